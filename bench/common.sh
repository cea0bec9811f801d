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
#
# The arithmetic of their figures, all of it here so that every script
# rounds alike (times are seconds with decimals, as date +%s.%N and curl's
# -w give them):
#   bench_now                         the time now, in seconds
#   bench_elapsed FROM TO             TO - FROM in seconds, four decimals
#   bench_rate MIB SECONDS            MiB/s with one decimal
#   bench_rate_bytes BYTES SECONDS    the same for a size in bytes
#   bench_ratio OURS THEIRS           their time over ours, two decimals
#   bench_mib_of_kib KIB              KiB as MiB, one decimal
#   bench_less A B                    true when A < B
#   bench_min BEST VALUE              the smaller; VALUE when BEST is empty
#   bench_best                        the smallest of the numbers on standard input

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

bench_now() { date +%s.%N; }
bench_elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", b - a }'; }
bench_rate() { awk -v m="$1" -v s="$2" 'BEGIN { printf "%.1f", m / s }'; }
bench_rate_bytes() { awk -v b="$1" -v s="$2" 'BEGIN { printf "%.1f", b / 1048576 / s }'; }
bench_ratio() { awk -v e="$1" -v c="$2" 'BEGIN { printf "%.2f", c / e }'; }
bench_mib_of_kib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
bench_less() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 < b + 0) }'; }
bench_min() { if [ -z "$1" ] || bench_less "$2" "$1"; then echo "$2"; else echo "$1"; fi; }
bench_best() { sort -g | head -1; }
