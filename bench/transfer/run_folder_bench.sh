#!/bin/bash
# Folder benchmark: a folder of 200 small files (1 to 4 KiB) up and down
# through the main window as one folder batch (the walk included), against the
# same 200 files selected in the file lists. Target: the folder batch no
# slower per file than the batch of selected files.
#
# Each way runs five times, the two kinds taking turns inside one process,
# and the best run of each counts.
# Usage: bench/transfer/run_folder_bench.sh [build folder]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
build=${1:-$repo/build}
bench=$build/bench/transfer/folder_bench
[ -x "$bench" ] || { echo "build the folder_bench target first" >&2; exit 2; }

scratch=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm
work=$(mktemp -d "$scratch/corvell-folder-bench.XXXXXX")
root=$work/root
mkdir -p "$root" "$work/small"

# shellcheck source=../test_server.sh
source "$repo/bench/test_server.sh"
bench_start_server "$work" --root "$root"

export QT_QPA_PLATFORM=offscreen
export XDG_CONFIG_HOME=$work/config
for n in $(seq -w 1 200); do
    head -c $((1024 + 10#$n * 15)) /dev/urandom > "$work/small/file$n.bin"
done

best() { sort -n | head -1; }
declare -A times
for _ in 1 2 3 4 5; do
    rm -rf "$root/small" "$root/selected" "$work/down"
    while read -r direction kind _ _ seconds _ perfile _; do
        times["$direction $kind"]+="$perfile"$'\n'
    done < <("$bench" upload "$port" "$work/small")
    diff -r "$work/small" "$root/small" >/dev/null || { echo "folder upload differs" >&2; exit 1; }
    diff -r "$work/small" "$root/selected" >/dev/null || { echo "selected upload differs" >&2; exit 1; }
    while read -r direction kind _ _ seconds _ perfile _; do
        times["$direction $kind"]+="$perfile"$'\n'
    done < <("$bench" download "$port" small "$work/down")
    diff -r "$work/small" "$work/down/folder/small" >/dev/null || { echo "folder download differs" >&2; exit 1; }
    diff -r "$work/small" "$work/down/selected" >/dev/null || { echo "selected download differs" >&2; exit 1; }
done
for direction in upload download; do
    folder=$(printf '%s' "${times["$direction folder"]}" | best)
    selected=$(printf '%s' "${times["$direction selected"]}" | best)
    printf '%-8s 200 files  folder %6s ms/file  selected %6s ms/file  ratio %s (target <= 1.00)\n' \
        "$direction" "$folder" "$selected" "$(awk -v f="$folder" -v s="$selected" 'BEGIN { printf "%.2f", f / s }')"
done
