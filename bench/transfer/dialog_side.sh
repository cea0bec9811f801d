# shellcheck shell=bash
# Sourced by the Data Transfer window benchmarks (with $bench, $root, $work
# and $size set): the arithmetic they share and the window's side of a round.

calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }
now() { date +%s.%N; }
min() { if [ -z "$1" ] || awk "BEGIN { exit !($2 < $1) }"; then echo "$2"; else echo "$1"; fi; }
mibs() { calc "$1 / 1048576 / $2"; }

# The window moves big.bin one way through the server on port $2, checked
# byte for byte; sets ours_transfer (the start button's run) and
# ours_process (the whole process, start-up and logon included).
dialog_round() {
    local direction=$1 port=$2 t0 t1 line
    if [ "$direction" = download ]; then
        t0=$(now)
        line=$("$bench" download "$port" big.bin "$work/down" "$size" 2>/dev/null)
        t1=$(now)
        cmp -s "$root/big.bin" "$work/down/big.bin" || { echo "download differs" >&2; exit 1; }
    else
        rm -f "$root/upload.bin"
        t0=$(now)
        line=$("$bench" upload "$port" "$work/upload.bin" 2>/dev/null)
        t1=$(now)
        cmp -s "$root/upload.bin" "$work/upload.bin" || { echo "upload differs" >&2; exit 1; }
    fi
    ours_transfer=$(awk '{ print $4 }' <<< "$line")
    ours_process=$(calc "$t1 - $t0")
}
