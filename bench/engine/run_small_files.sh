#!/bin/bash
# Time per small file in one session, against the test server with Nagle's
# algorithm on its control connection (as inetutils ftpd has it), where a
# transfer's final reply waits for the client's acknowledgement of its "150".
# Target: below 10 ms a file either way (a delayed acknowledgement alone costs
# 40 ms).
# Usage: bench/engine/run_small_files.sh [build folder] [files]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
build=${1:-$repo/build}
files=${2:-200}
bench=$build/bench/engine/small_files_bench
[ -x "$bench" ] || { echo "build the small_files_bench target first" >&2; exit 2; }

work=$(mktemp -d /tmp/corvell-small-files.XXXXXX)
mkdir -p "$work/root"
# shellcheck source=../test_server.sh
source "$repo/bench/test_server.sh"
bench_start_server "$work" --root "$work/root" --nagle

line=$("$bench" "$port" "$files")
echo "$line"
# Both "<x> ms each" figures must stay under the target.
verdict=PASS
for ms in $(grep -oE '[0-9.]+ ms' <<<"$line" | cut -d' ' -f1); do
    bench_less "$ms" 10 || verdict=FAIL
done
echo "$verdict"
[ "$verdict" = PASS ]
