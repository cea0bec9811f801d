# shellcheck shell=bash
# Sourced by the Data Transfer window benchmarks (with $bench, $root, $work
# and $size set, and bench/common.sh sourced): the window's side of a round.

# The window moves big.bin one way through the server on port $2, checked
# byte for byte; sets ours_transfer (the start button's run) and
# ours_process (the whole process, start-up and logon included).
dialog_round() {
    local direction=$1 port=$2 t0 t1 line
    if [ "$direction" = download ]; then
        t0=$(bench_now)
        line=$("$bench" download "$port" big.bin "$work/down" "$size" 2>/dev/null)
        t1=$(bench_now)
        cmp -s "$root/big.bin" "$work/down/big.bin" || { echo "download differs" >&2; exit 1; }
    else
        rm -f "$root/upload.bin"
        t0=$(bench_now)
        line=$("$bench" upload "$port" "$work/upload.bin" 2>/dev/null)
        t1=$(bench_now)
        cmp -s "$root/upload.bin" "$work/upload.bin" || { echo "upload differs" >&2; exit 1; }
    fi
    ours_transfer=$(awk '{ print $4 }' <<< "$line")
    ours_process=$(bench_elapsed "$t0" "$t1")
}
