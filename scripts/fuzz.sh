#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/) with clang, libFuzzer, AddressSanitizer and
# UBSan into build-fuzz/ and runs each in turn for the given seconds.
#
#   scripts/fuzz.sh [seconds-per-target [target...]]   (default: 60 s, every target)
#
# 0 seconds builds only. The seeds come from the test tables
# (fuzz/seed_corpus.py, into build-fuzz/seeds/); what the fuzzer learns on top
# stays in build-fuzz/corpus/, kept between runs and never committed. An
# input that crashes or hangs a target is written to fuzz/crashes/<target>/:
# once the fault is fixed, move it to fuzz/regressions/<target>/, where the
# tests replay it on every run.
# The final libFuzzer line per target (runs, cov, ft) closes the output;
# the full logs are in build-fuzz/logs/.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=install_packages.sh
source "$repo/scripts/install_packages.sh"
corvell_install_packages g++ cmake make qt6-base-dev "${CORVELL_FUZZ_PACKAGES[@]}"

seconds="${1:-60}"
shift || true
build="$repo/build-fuzz"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$repo/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE= "${launcher[@]}" >/dev/null
cmake --build "$build" -j2 >/dev/null

targets=("$@")
if ((${#targets[@]} == 0)); then
    mapfile -t targets < <(cd "$build" && ls fuzz_* | sed 's/^fuzz_//')
fi
((seconds > 0)) || { echo "built: ${targets[*]}"; exit 0; }
/usr/bin/python3 "$repo/fuzz/seed_corpus.py" "$build/seeds"

# Bodies and reply streams need room for long lines and many of them.
max_len() {
    case "$1" in
        reply_reader) echo 131072 ;;
        listing_mlsd | listing_list) echo 65536 ;;
        # Room for a 64 x 64 true-colour cursor.
        cursor_file) echo 20000 ;;
        *) echo 4096 ;;
    esac
}

mkdir -p "$build/logs"
status=0
for target in "${targets[@]}"; do
    mkdir -p "$build/corpus/$target" "$repo/fuzz/crashes/$target"
    log="$build/logs/$target.log"
    echo "== $target: $seconds s"
    # Fork mode goes on after a find, so one known fault does not end the run
    # before the time is up; each find is still written out.
    "$build/fuzz_$target" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len="$(max_len "$target")" -artifact_prefix="$repo/fuzz/crashes/$target/" \
        "$build/corpus/$target" "$build/seeds/$target" >"$log" 2>&1 || true
    # "#<runs>: cov: <n> ft: <n> corp: ... oom/timeout/crash: a/b/c time: <s>s ..."
    grep -E '^#[0-9]+: cov:' "$log" | tail -1 | sed 's/^/   /' || true
    finds=$(find "$repo/fuzz/crashes/$target" -type f | wc -l)
    if ((finds > 0)); then
        echo "   FOUND $finds input(s) in fuzz/crashes/$target/ (log: $log)"
        grep -m2 -E 'ERROR: |broken rule' "$log" | sed 's/^/   /' || true
        status=1
    fi
    rmdir "$repo/fuzz/crashes/$target" 2>/dev/null || true
done
rmdir "$repo/fuzz/crashes" 2>/dev/null || true
exit "$status"
