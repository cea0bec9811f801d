# Sourced by run.sh (with $repo, $build, $runs and a scratch folder $work):
# the SFTP engine in 1024-byte calls against OpenSSH's sftp on the same sshd,
# 256 MiB each way, alternating, best of $runs. Target: ratio >= 0.9 both ways.

# shellcheck source=../ssh_server.sh
source "$repo/bench/ssh_server.sh"
sftp_root="$work/sftp-root"
mkdir -p "$sftp_root"
[ -f "$work/big.bin" ] || head -c $((256 * 1024 * 1024)) /dev/urandom > "$work/big.bin"
cp "$work/big.bin" "$sftp_root/big.bin"
bench_start_sshd "$work" "$sftp_root"
sftp_bench="$build/bench/engine/sftp_bench"

openssh_sftp_seconds() {  # one batch command
    local t0 t1
    t0=$(bench_now)
    sftp -q -b - -i "$ssh_folder/id_ed25519" -o UserKnownHostsFile="$ssh_folder/known_hosts" \
        -o BatchMode=yes -P "$sshd_port" "$sshd_user@127.0.0.1" <<< "$1" > /dev/null
    t1=$(bench_now)
    bench_elapsed "$t0" "$t1"
}
sftp_engine_seconds() {  # download|upload from to
    "$sftp_bench" "$1" 127.0.0.1 "$sshd_port" "$sshd_user" "$ssh_folder" "$2" "$3" \
        | sed -n 's/.* seconds=\([0-9.]*\).*/\1/p'
}

echo "sshd on port $sshd_port; $runs runs each, alternating engine and OpenSSH sftp, best time kept."
: > "$work/sftp-times"
for _ in $(seq "$runs"); do
    echo "engine_down $(sftp_engine_seconds download big.bin /dev/null)" >> "$work/sftp-times"
    echo "sftp_down $(openssh_sftp_seconds "get big.bin /dev/null")" >> "$work/sftp-times"
    rm -f "$sftp_root/up_engine.bin" "$sftp_root/up_sftp.bin"
    echo "engine_up $(sftp_engine_seconds upload "$work/big.bin" up_engine.bin)" >> "$work/sftp-times"
    echo "sftp_up $(openssh_sftp_seconds "put $work/big.bin up_sftp.bin")" >> "$work/sftp-times"
done
for uploaded in up_engine.bin up_sftp.bin; do
    cmp -s "$work/big.bin" "$sftp_root/$uploaded" || { echo "SFTP upload $uploaded is not byte-exact"; exit 1; }
done
sftp_fastest() { awk -v k="$1" '$1 == k { print $2 }' "$work/sftp-times" | bench_best; }
engine_down=$(sftp_fastest engine_down); sftp_down=$(sftp_fastest sftp_down)
engine_up=$(sftp_fastest engine_up); sftp_up=$(sftp_fastest sftp_up)
printf '%-40s %10s MiB/s\n' "SFTP engine download (1024-byte reads)" "$(bench_rate 256 "$engine_down")"
printf '%-40s %10s MiB/s\n' "OpenSSH sftp download" "$(bench_rate 256 "$sftp_down")"
printf '%-40s %10s MiB/s\n' "SFTP engine upload (1024-byte writes)" "$(bench_rate 256 "$engine_up")"
printf '%-40s %10s MiB/s\n' "OpenSSH sftp upload" "$(bench_rate 256 "$sftp_up")"
printf 'ratio engine/openssh-sftp download: %s (target >= 0.90)\n' "$(bench_ratio "$engine_down" "$sftp_down")"
printf 'ratio engine/openssh-sftp upload: %s (target >= 0.90)\n' "$(bench_ratio "$engine_up" "$sftp_up")"
rm -f "$sftp_root"/*.bin
