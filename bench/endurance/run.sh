#!/bin/bash
# Endurance: 1,000 logons and logoffs, then 200 downloads of a 1 MB file in a
# row, through the FTP client interface against the test server. Prints the
# open file descriptors and the resident memory before and after each run;
# neither may grow (descriptors not at all, memory not beyond 512 KiB of
# noise). Ends with PASS or FAIL and exits non-zero on FAIL.
# Usage: bench/endurance/run.sh [build folder] [logons] [downloads]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
build=${1:-$repo/build}
logons=${2:-1000}
downloads=${3:-200}
bench=$build/bench/endurance/endurance_bench
[ -x "$bench" ] || { echo "build the endurance_bench target first" >&2; exit 2; }

work=$(mktemp -d /tmp/corvell-endurance.XXXXXX)
mkdir -p "$work/root"
# shellcheck source=../test_server.sh
source "$repo/bench/test_server.sh"
bench_start_server "$work" --root "$work/root" --log "$work/commands.log"

size=$((1024 * 1024))
head -c "$size" /dev/urandom > "$work/root/one-megabyte.bin"
start=$(date +%s)
"$bench" "$port" /one-megabyte.bin "$size" "$logons" "$downloads"
echo "took $(( $(date +%s) - start )) s; the server saw $(grep -c "^PASS" "$work/commands.log") logons and $(grep -c "^RETR" "$work/commands.log") downloads"
