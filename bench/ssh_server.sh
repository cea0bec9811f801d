# Sourced by benchmark scripts that need OpenSSH's sshd.
#
#   bench_start_sshd WORK ROOT [SFTP-COMMAND]
#
# Starts /usr/sbin/sshd on 127.0.0.1 with a free port and a config of its own
# under WORK (host key made now, SFTP by internal-sftp starting in ROOT, or by
# SFTP-COMMAND, run through the shell) and
# sets `sshd_port`, `sshd_user` (the current user, who logs on by key) and
# `ssh_folder`, a stand-in for ~/.ssh holding that key (id_ed25519) and a
# known_hosts that vouches for the server. Stopped on exit.
# shellcheck source=common.sh
source "$repo/bench/common.sh"

bench_start_sshd() {
    local work=$1 root=$2 subsystem=${3:-"internal-sftp -d $2"}
    mkdir -p "$work/sshd" "$work/ssh"
    ssh-keygen -q -t ed25519 -N '' -f "$work/sshd/host_ed25519"
    ssh-keygen -q -t ed25519 -N '' -f "$work/ssh/id_ed25519"
    cp "$work/ssh/id_ed25519.pub" "$work/sshd/authorized_keys"
    sshd_port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    sshd_user=$(id -un)
    ssh_folder="$work/ssh"
    echo "[127.0.0.1]:$sshd_port $(cut -d' ' -f1,2 "$work/sshd/host_ed25519.pub")" > "$ssh_folder/known_hosts"
    # The tests' own sshd configuration, filled in for this user.
    sed -e "s|@PORT@|$sshd_port|" -e "s|@FOLDER@|$work/sshd|" -e "s|@ROOT@|$root|" \
        -e "s|@USER@|$sshd_user|" -e "s|@PASSWORDS@|no|" -e "s|^Subsystem sftp .*|Subsystem sftp $subsystem|" \
        "$repo/tests/support/sshd_config.in" > "$work/sshd/config"
    [ "$(id -u)" = 0 ] && mkdir -p /run/sshd
    /usr/sbin/sshd -D -f "$work/sshd/config" -E "$work/sshd/log" &
    bench_sshd_pid=$!
    # Stopped first on exit, then whatever the caller set up to run.
    local before
    before=$(trap -p EXIT | sed "s/^trap -- '\(.*\)' EXIT\$/\1/")
    trap "kill $bench_sshd_pid 2>/dev/null || true; wait $bench_sshd_pid 2>/dev/null || true; $before" EXIT
    for _ in $(seq 100); do
        (exec 3<>"/dev/tcp/127.0.0.1/$sshd_port") 2>/dev/null && return 0
        sleep 0.05
    done
    echo "sshd did not start:" >&2
    cat "$work/sshd/log" >&2
    exit 1
}
