#!/usr/bin/env bash
# Round trips over a slow link for SFTP: the engine against OpenSSH's sftp,
# curl (libssh2) and lftp, each against an OpenSSH sshd of its own, through
# the delaying proxy of bench/wan, at each round-trip time asked for.
#
#   bench/sftp_wan/run.sh [--rtt "0 20 80"] [--quick] [build-dir]
#
# Work: 50 downloads and 50 uploads of 4 KiB files (also through the Data
# Transfer window, as one batch of selected files: the "window" client), a 1,000-entry listing
# (three times, each in a session of its own, the median kept), a walk of 50
# folders (--quick: 10 files, one listing, a walk of 7 folders). Each client
# does each job in one process, on one connection; OpenSSH's sftp and curl,
# which cannot find folders by themselves, are handed the walk's folders.
#
# The server is OpenSSH's sftp-server logging every request it takes; a
# job's time runs from the server's receipt of its first request after the
# logon's (the version, REALPATH, extensions asked at once) to the end of the
# session, so connecting and logging on, which each client pays once, are
# left out. Prints the time per item, the requests per item counted from the
# server's log and the ratio of the engine to the best of the others ("ratio
# engine/best ... (target <= 0.80)").
#
# At a round trip of 0 (plain loopback, through the proxy) the clients run
# one at a time, as the processor is what they then wait on; on a slower link
# they run side by side.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
rtts="0 20 80"
quick=0
build="$repo/build"
while (($#)); do
    case "$1" in
        --rtt) rtts="$2"; shift 2 ;;
        --quick) quick=1; shift ;;
        -h|--help) sed -n '2,24p' "$0"; exit 0 ;;
        *) build="$1"; shift ;;
    esac
done
if ((quick)); then
    files=10 listings=1 walk_root=walk/a0
else
    files=50 listings=3 walk_root=walk
fi
listing=1000

# shellcheck source=../../scripts/install_packages.sh
source "$repo/scripts/install_packages.sh"
corvell_install_packages curl lftp openssh-client openssh-server openssh-sftp-server

# shellcheck source=../common.sh
source "$repo/bench/common.sh"
bench_build "$build" sftp_wan_client wan_connect_delay transfer_bench
engine="$build/bench/sftp_wan/sftp_wan_client"
window="$build/bench/transfer/transfer_bench"
preload="$build/bench/wan/connect_delay.so"

scratch=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm
work="$(mktemp -d "$scratch/corvell-sftp-wan-XXXXXX")"
root="$work/root"

echo "Making the files..."
mkdir -p "$root/small" "$root/list" "$root/up" "$work/local"
/usr/bin/python3 - "$root" "$files" "$listing" <<'PY'
import os, sys
root, files, listing = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for i in range(files):
    with open(os.path.join(root, "small", "f%03d.bin" % i), "wb") as out:
        out.write(os.urandom(4096))
for i in range(listing):
    open(os.path.join(root, "list", "entry-%04d.txt" % i), "wb").close()
# 1 + 7 + 7 * 6 = 50 folders, two small files in each.
for a in range(7):
    for b in [None] + list(range(6)):
        folder = os.path.join(root, "walk", "a%d" % a, "" if b is None else "b%d" % b)
        os.makedirs(folder, exist_ok=True)
        for name in ("one.txt", "two.txt"):
            with open(os.path.join(folder, name), "wb") as out:
                out.write(b"x" * 100)
PY
cp -r "$root/small" "$work/local/small"
names=()
for ((i = 0; i < files; ++i)); do names+=("$(printf 'f%03d.bin' "$i")"); done
walk_folders=()
while IFS= read -r folder; do walk_folders+=("$folder"); done < <(find "$root/$walk_root" -type d | sort)

clients=(engine sftp curl lftp window)
helper_pids=()
stop_helpers() {
    local pid
    for pid in "${helper_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    helper_pids=()
}
trap stop_helpers EXIT

# One sshd per client, each with its own request log: sftp-server writes to
# a named pipe and stamp_lines.py puts each line's arrival time in front.
# shellcheck source=../ssh_server.sh
source "$repo/bench/ssh_server.sh"
declare -A sshd_of keys_of stampers
for client in "${clients[@]}"; do
    mkdir -p "$work/$client"
    mkfifo "$work/$client/log.pipe"
    /usr/bin/python3 "$here/stamp_lines.py" "$work/$client/log.pipe" "$work/$client.log" &
    stampers[$client]=$!
    : > "$work/$client.log"
    bench_start_sshd "$work/$client" "$root" "$here/logged_sftp_server.sh $root $work/$client/log.pipe"
    sshd_of[$client]=$sshd_port
    keys_of[$client]=$ssh_folder
done
user=$sshd_user
trap 'stop_helpers; for pid in "${stampers[@]}"; do kill "$pid" 2>/dev/null || true; done; '"$(trap -p EXIT | sed "s/^trap -- '\(.*\)' EXIT\$/\1/")"'; rm -rf "$work"' EXIT

declare -A proxy_port
start_proxy() {  # client rtt
    local pipe="$work/proxy-$1"
    rm -f "$pipe.stdin" "$pipe.port" "$pipe.log" && mkfifo "$pipe.stdin"
    /usr/bin/python3 "$repo/bench/wan/wan_proxy.py" --upstream-port "${sshd_of[$1]}" --rtt-ms "$2" \
        < "$pipe.stdin" > "$pipe.port" 2> "$pipe.log" &
    helper_pids+=("$!")
    sleep infinity > "$pipe.stdin" &
    helper_pids+=("$!")
    bench_wait_port "$pipe.port" "$pipe.log" "the proxy"
    proxy_port[$1]=$bench_port
    # The clients reach the server as [::1] on the proxy's port.
    local keys=${keys_of[$1]}
    echo "[::1]:$bench_port $(cut -d' ' -f1,2 "$work/$1/sshd/host_ed25519.pub")" >> "$keys/known_hosts"
}

ssh_options() {  # client
    local keys=${keys_of[$1]}
    echo "-i $keys/id_ed25519 -o UserKnownHostsFile=$keys/known_hosts -o BatchMode=yes -o IdentitiesOnly=yes"
}

# The command one client runs for one job, in "$job_command".
prepare_job() {  # client job rtt
    local client=$1 job=$2 rtt=$3 port=${proxy_port[$1]} keys=${keys_of[$1]}
    local got="$work/got/$client-$rtt" up="$root/up/$client-$rtt" script="$work/$client/$job.script"
    local url="sftp://[::1]:$port" name folder
    mkdir -p "$got" "$up"
    case "$client:$job" in
        engine:download) job_command=("$engine" ::1 "$port" "$user" "$keys" download "$root/small" "$got" "${names[@]}") ;;
        engine:upload) job_command=("$engine" ::1 "$port" "$user" "$keys" upload "$work/local/small" "$up" "${names[@]}") ;;
        engine:list) job_command=("$engine" ::1 "$port" "$user" "$keys" list "$root/list") ;;
        engine:walk) job_command=("$engine" ::1 "$port" "$user" "$keys" walk "$root/$walk_root") ;;
        window:*)
            local window_env=(env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/window/config"
                              BENCH_SSH_FOLDER="$keys" BENCH_USER="$user" BENCH_HOST="[::1]")
            if [ "$job" = download ]; then
                local pairs=()
                for name in "${names[@]:1}"; do pairs+=("$name" 4096); done
                job_command=("${window_env[@]}" BENCH_REMOTE_FOLDER="$root/small"
                             "$window" download "$port" "${names[0]}" "$got" 4096 "${pairs[@]}")
            else
                job_command=("${window_env[@]}" BENCH_REMOTE_FOLDER="$up"
                             "$window" upload "$port" "${names[@]/#/$work/local/small/}")
            fi ;;
        sftp:*|curl:*|lftp:*)
            : > "$script"
            case "$client:$job" in
                sftp:download) for name in "${names[@]}"; do echo "get $root/small/$name $got/$name"; done > "$script" ;;
                sftp:upload) for name in "${names[@]}"; do echo "put $work/local/small/$name $up/$name"; done > "$script" ;;
                sftp:list) echo "ls -l $root/list" > "$script" ;;
                sftp:walk) for folder in "${walk_folders[@]}"; do echo "ls -l $folder"; done > "$script" ;;
                curl:download) for name in "${names[@]}"; do echo "url = \"$url$root/small/$name\""; echo "output = \"$got/$name\""; done > "$script" ;;
                curl:upload) for name in "${names[@]}"; do echo "upload-file = \"$work/local/small/$name\""; echo "url = \"$url$up/$name\""; done > "$script" ;;
                curl:list) echo "url = \"$url$root/list/\"" > "$script" ;;
                curl:walk) for folder in "${walk_folders[@]}"; do echo "url = \"$url$folder/\""; done > "$script" ;;
                lftp:*)
                    {
                        echo "set cmd:fail-exit yes"
                        echo "set net:max-retries 2"
                        echo "set net:timeout 60"
                        echo "set sftp:connect-program \"ssh -a -x $(ssh_options "$client")\""
                        echo "open -u $user,unused sftp://[::1]:$port"
                        case "$job" in
                            download) echo "get -O $got $(printf "$root/small/%s " "${names[@]}")" ;;
                            upload) echo "put -O $up $(printf "$work/local/small/%s " "${names[@]}")" ;;
                            list) echo "ls $root/list" ;;
                            walk) echo "find $root/$walk_root" ;;
                        esac
                    } > "$script" ;;
            esac
            case "$client" in
                # shellcheck disable=SC2046 # the options are words
                sftp) job_command=(sftp -q -b "$script" $(ssh_options "$client") -P "$port" "$user@[::1]") ;;
                curl) job_command=(curl -sS -u "$user:" --key "$keys/id_ed25519" --pubkey "$keys/id_ed25519.pub" -k -K "$script") ;;
                lftp) job_command=(lftp -f "$script") ;;
            esac ;;
    esac
}

# Runs one job and appends "rtt client job items first-log-line
# last-log-line" to the results.
run_job() {  # client job rtt items
    local client=$1 job=$2 rtt=$3 items=$4 first last log="$work/$1.log" out="$work/out-$1-$3-$2"
    prepare_job "$client" "$job" "$rtt"
    first=$(wc -l < "$log")
    if ! LD_PRELOAD="$preload" CORVELL_WAN_CONNECT_MS="$rtt" timeout 900 "${job_command[@]}" \
            > "$out" 2> "$work/err-$client-$rtt-$job"; then
        echo "$client $job at $rtt ms failed:" >&2
        cat "$work/err-$client-$rtt-$job" >&2
        return 1
    fi
    # The session's end is the job's: wait for the server to log it.
    for _ in $(seq 300); do
        tail -n +"$((first + 1))" "$log" | grep -q 'session closed' && break
        sleep 0.01
    done
    last=$(wc -l < "$log")
    echo "$rtt $client $job $items $first $last" >> "$work/results"
}

run_client() {  # client rtt
    run_job "$1" download "$2" "$files"
    run_job "$1" upload "$2" "$files"
    # The window's side is the batch of files alone.
    [ "$1" != window ] || return 0
    for ((i = 0; i < listings; ++i)); do run_job "$1" list "$2" 1; done
    run_job "$1" walk "$2" "${#walk_folders[@]}"
}

: > "$work/results"
for rtt in $rtts; do
    echo "Round trip $rtt ms: $files downloads and uploads, a $listing-entry listing and a walk of ${#walk_folders[@]} folders, five clients..."
    for client in "${clients[@]}"; do start_proxy "$client" "$rtt"; done
    if [ "$rtt" = 0 ]; then
        for client in "${clients[@]}"; do run_client "$client" "$rtt"; done
    else
        pids=()
        for client in "${clients[@]}"; do
            run_client "$client" "$rtt" &
            pids+=("$!")
        done
        failed=0
        for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
        ((failed == 0)) || exit 1
    fi
    for client in "${clients[@]}"; do
        out="$work/out-$client-$rtt-list"
        case "$client" in
            window) listed=$listing ;;
            engine) listed=$(sed -n 's/^list: \([0-9]*\) items$/\1/p' "$out") ;;
            *) listed=$(grep -c 'entry-' "$out" || true) ;;
        esac
        [ "$listed" = "$listing" ] || { echo "$client listed $listed entries, not $listing" >&2; exit 1; }
        diff -rq "$root/small" "$work/got/$client-$rtt" > /dev/null \
            || { echo "$client: small downloads not byte-exact" >&2; exit 1; }
        diff -rq "$work/local/small" "$root/up/$client-$rtt" > /dev/null \
            || { echo "$client: small uploads not byte-exact" >&2; exit 1; }
    done
    stop_helpers
done

/usr/bin/python3 "$here/report.py" "$work"
