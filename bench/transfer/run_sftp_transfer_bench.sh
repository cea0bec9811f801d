#!/bin/bash
# The Data Transfer dialog over SFTP: a 256 MiB file down and up through the
# dialog (1024-byte blocks, read-outs and all) against OpenSSH's sftp on the
# same file and the same sshd. Target: at least 0.85 x OpenSSH's sftp both ways,
# and at least 0.95 x the SFTP engine alone (bench/engine/sftp_bench, the
# same 1024-byte calls without the window) both ways.
#
# Each side runs nine times, taking turns, and the best run counts. Two
# figures per direction:
#   transfer: the file alone (sftp: its run less the best run that moves
#             nothing; dialog: the start button's run)
#   process:  the whole process, start-up and logon included
# Usage: bench/transfer/run_sftp_transfer_bench.sh [build folder]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
build=${1:-$repo/build}
bench=$build/bench/transfer/transfer_bench
[ -x "$bench" ] || { echo "build the transfer_bench target first" >&2; exit 2; }
engine=$build/bench/engine/sftp_bench
[ -x "$engine" ] || { echo "build the sftp_bench target first" >&2; exit 2; }

scratch=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm
work=$(mktemp -d "$scratch/corvell-sftp-transfer-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
root=$work/root
mkdir -p "$root" "$work/down"

# shellcheck source=../ssh_server.sh
source "$repo/bench/ssh_server.sh"
bench_start_sshd "$work" "$root"

export QT_QPA_PLATFORM=offscreen
export XDG_CONFIG_HOME=$work/config
export BENCH_SSH_FOLDER=$ssh_folder BENCH_USER=$sshd_user
size=$((256 * 1024 * 1024))
head -c "$size" /dev/urandom > "$root/big.bin"
cp "$root/big.bin" "$work/upload.bin"

# shellcheck source=dialog_side.sh
source "$here/dialog_side.sh"
openssh_sftp() {
    sftp -q -b - -i "$ssh_folder/id_ed25519" -o UserKnownHostsFile="$ssh_folder/known_hosts" \
        -o BatchMode=yes -P "$sshd_port" "$sshd_user@127.0.0.1" <<< "$1" > /dev/null
}

# What an sftp run costs that moves nothing: start-up, key exchange, logon.
setup=""
for _ in 1 2 3 4 5; do
    t0=$(bench_now); openssh_sftp "pwd"; t1=$(bench_now)
    setup=$(bench_min "$setup" "$(bench_elapsed "$t0" "$t1")")
done

# The engine alone moves the file, timed from its open to its close.
engine_seconds() {  # download|upload from to
    "$engine" "$1" 127.0.0.1 "$sshd_port" "$sshd_user" "$ssh_folder" "$2" "$3" \
        | sed -n 's/.* seconds=\([0-9.]*\).*/\1/p'
}

# One round of each side; sets sftp_process, engine_transfer, ours_transfer, ours_process.
round() {
    local direction=$1 t0 t1
    if [ "$direction" = download ]; then
        t0=$(bench_now); openssh_sftp "get big.bin $work/sftp-down.bin"; t1=$(bench_now)
        engine_transfer=$(engine_seconds download big.bin "$work/engine-down.bin")
        cmp -s "$root/big.bin" "$work/engine-down.bin" || { echo "engine download differs" >&2; exit 1; }
    else
        rm -f "$root/sftp-up.bin" "$root/engine-up.bin"
        t0=$(bench_now); openssh_sftp "put $work/upload.bin sftp-up.bin"; t1=$(bench_now)
        engine_transfer=$(engine_seconds upload "$work/upload.bin" engine-up.bin)
        cmp -s "$root/engine-up.bin" "$work/upload.bin" || { echo "engine upload differs" >&2; exit 1; }
    fi
    sftp_process=$(bench_elapsed "$t0" "$t1")

    dialog_round "$direction" "$sshd_port"
}

measure() {
    local direction=$1 best_sp="" best_ot="" best_op="" best_et=""
    for _ in 1 2 3 4 5 6 7 8 9; do
        round "$direction"
        best_sp=$(bench_min "$best_sp" "$sftp_process")
        best_et=$(bench_min "$best_et" "$engine_transfer")
        best_ot=$(bench_min "$best_ot" "$ours_transfer"); best_op=$(bench_min "$best_op" "$ours_process")
    done
    local best_st
    best_st=$(bench_elapsed "$setup" "$best_sp")
    printf '%-8s 256 MiB  transfer: sftp %8s MiB/s  dialog %8s MiB/s  ratio %s (target >= 0.85)\n' \
        "$direction" "$(bench_rate_bytes "$size" "$best_st")" "$(bench_rate_bytes "$size" "$best_ot")" \
        "$(bench_ratio "$best_ot" "$best_st")"
    printf '%-8s 256 MiB  process:  sftp %8s MiB/s  dialog %8s MiB/s  ratio %s\n' \
        "$direction" "$(bench_rate_bytes "$size" "$best_sp")" "$(bench_rate_bytes "$size" "$best_op")" \
        "$(bench_ratio "$best_op" "$best_sp")"
    printf '%-8s 256 MiB  transfer: engine %6s MiB/s  dialog %8s MiB/s  ratio %s (target >= 0.95)\n' \
        "$direction" "$(bench_rate_bytes "$size" "$best_et")" "$(bench_rate_bytes "$size" "$best_ot")" \
        "$(bench_ratio "$best_ot" "$best_et")"
}

openssh_sftp "get big.bin /dev/null"  # warm the page cache and the server
measure download
measure upload
