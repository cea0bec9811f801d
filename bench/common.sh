# shellcheck shell=bash
# Sourced by the benchmark scripts: what several of them need.
#
#   bench_build BUILD-DIR TARGET...   configure BUILD-DIR when it is new and
#                                     build the targets, one build at a time
#                                     across scripts running side by side
#   bench_wait_port OUT LOG WHAT      sets bench_port to the port a starting
#                                     helper printed as "PORT n" in OUT; shows
#                                     its LOG and exits when none came in ten
#                                     seconds
#   bench_rate MIB SECONDS            MiB/s with one decimal
#   bench_ratio OURS THEIRS           their time over ours, two decimals

bench_build() {
    local build=$1
    shift
    local lock=()
    command -v flock >/dev/null && lock=(flock /tmp/corvell-build.lock)
    if [ ! -f "$build/CMakeCache.txt" ]; then
        "${lock[@]}" cmake -S "$repo" -B "$build" >/dev/null
    fi
    "${lock[@]}" cmake --build "$build" --target "$@" -j2 >/dev/null
}

bench_wait_port() {
    local out=$1 log=$2 what=$3
    for _ in $(seq 100); do
        grep -q '^PORT ' "$out" 2>/dev/null && break
        sleep 0.1
    done
    bench_port=$(sed -n 's/^PORT //p' "$out")
    [ -n "$bench_port" ] || { echo "$what did not start:" >&2; cat "$log" >&2; exit 1; }
}

bench_rate() { awk -v m="$1" -v s="$2" 'BEGIN { printf "%.1f", m / s }'; }
bench_ratio() { awk -v e="$1" -v c="$2" 'BEGIN { printf "%.2f", c / e }'; }
