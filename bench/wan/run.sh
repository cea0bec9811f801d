#!/usr/bin/env bash
# Round trips over a slow link: the engine against curl and lftp through a
# proxy that delays every byte both ways (wan_proxy.py), in clear and over
# TLS, at each round-trip time asked for.
#
#   bench/wan/run.sh [--rtt "20 80"] [--quick] [build-dir]
#
# Work: 200 downloads and 200 uploads of 4 KiB files, a 1,000-entry listing
# (three times, each in a session of its own, the median kept: one alone is
# too short to time), a walk of 50 folders, a 50 MiB file down and up
# (--quick: 20 files, a walk of 7 folders, 5 MiB). Each client does each job
# in one process, so curl and lftp reuse their connection as the engine does;
# curl, which cannot find folders by itself, is handed the walk's folders.
#
# The six client/encryption pairs run side by side, each against its own test
# server and proxy (the jobs wait on the link, not on the processor); the big
# file goes one pair at a time. Prints the figures, the commands and round
# trips per item counted from each server's command log, and lines such as
# "ratio engine/curl small-file download at 80 ms (TLS): 0.85" (the job's
# time from the server's log, logon left out: see report.py).
#
# The link: the clients talk to the proxy on ::1 and it forwards to the test
# server on 127.0.0.1, holding every chunk half the round trip each way.
# EPSV names only a port, and the proxy listens on the server's passive ports,
# so data connections cross the link too, in clear and over TLS alike.
# Loopback completes connect() at once; connect_delay.so, preloaded into the
# three clients alike, makes it take the round trip a SYN and SYN-ACK take,
# and the proxy lets the connection reach the server half a round trip later.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
rtts="20 80"
quick=0
build="$repo/build"
while (($#)); do
    case "$1" in
        --rtt) rtts="$2"; shift 2 ;;
        --quick) quick=1; shift ;;
        -h|--help) sed -n '2,17p' "$0"; exit 0 ;;
        *) build="$1"; shift ;;
    esac
done
if ((quick)); then
    files=20 big_mib=5 walk_root=/walk/a0
else
    files=200 big_mib=50 walk_root=/walk
fi
listing=1000
listings=3

# shellcheck source=../../scripts/install_packages.sh
source "$repo/scripts/install_packages.sh"
corvell_install_packages curl lftp

# shellcheck source=../common.sh
source "$repo/bench/common.sh"
bench_build "$build" wan_client wan_connect_delay
engine="$build/bench/wan/wan_client"
preload="$build/bench/wan/connect_delay.so"

scratch=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm
work="$(mktemp -d "$scratch/corvell-wan-XXXXXX")"
root="$work/root"

echo "Making the files..."
mkdir -p "$root/small" "$root/list" "$root/big" "$root/up" "$work/local"
/usr/bin/python3 - "$root" "$files" "$listing" "$big_mib" <<'EOF'
import os, sys
root, files, listing, big_mib = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
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
for name in ("one.txt", "two.txt"):
    with open(os.path.join(root, "walk", name), "wb") as out:
        out.write(b"x" * 100)
with open(os.path.join(root, "big", "big.bin"), "wb") as out:
    for _ in range(big_mib):
        out.write(os.urandom(1024 * 1024))
EOF
cp -r "$root/small" "$work/local/small"
mkdir -p "$work/local/big" && cp "$root/big/big.bin" "$work/local/big/"
names=()
for ((i = 0; i < files; ++i)); do names+=("$(printf 'f%03d.bin' "$i")"); done
walk_folders=()
while IFS= read -r folder; do walk_folders+=("${folder#"$root"}"); done \
    < <(find "$root$walk_root" -type d | sort)

/usr/bin/python3 "$repo/tests/support/make_test_certificates.py" "$work/certs"
ca="$work/certs/ca.pem"

# One server per client and encryption, each with its own command log and its
# own passive ports, below the system's range for outgoing connections.
# shellcheck source=../test_server.sh
source "$repo/bench/test_server.sh"
clients=(engine curl lftp)
modes=(plain tls)
declare -A server_port passive
next_passive=$((20000 + (RANDOM % 600) * 16))
for mode in "${modes[@]}"; do
    for client in "${clients[@]}"; do
        pair="$client-$mode"
        passive[$pair]="$next_passive-$((next_passive + 15))"
        next_passive=$((next_passive + 16))
        # TLS 1.2: curl 7.88 over TLS 1.3 offers no resumable session on its
        # third upload's data connection, which a server that insists on
        # reuse (as this one and vsftpd do) refuses. A resumed handshake costs
        # the same round trip in either version; only the logon's full
        # handshake takes one more, outside the job times.
        tls=()
        [ "$mode" = tls ] && tls=(--tls-required --tls12 --tls-cert "$work/certs/trusted.pem")
        bench_start_server "$work" --root "$root" --log "$work/$pair.log" --log-times \
            --passive-ports "${passive[$pair]}" "${tls[@]}"
        server_port[$pair]=$port
    done
done

proxy_pids=()
declare -A proxy_port
start_proxy() {  # pair rtt
    local pipe="$work/proxy-$1"
    rm -f "$pipe.stdin" "$pipe.port" "$pipe.log" && mkfifo "$pipe.stdin"
    /usr/bin/python3 "$here/wan_proxy.py" --upstream-port "${server_port[$1]}" \
        --passive "${passive[$1]}" --rtt-ms "$2" < "$pipe.stdin" > "$pipe.port" 2> "$pipe.log" &
    proxy_pids+=("$!")
    sleep infinity > "$pipe.stdin" &
    proxy_pids+=("$!")
    bench_wait_port "$pipe.port" "$pipe.log" "the proxy"
    proxy_port[$1]=$bench_port
}
stop_proxies() {
    local pid
    for pid in "${proxy_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    proxy_pids=()
}
trap 'stop_proxies; bench_stop_servers' EXIT

# The command one client runs for one job, in "$job_command".
lftp_script() {  # pair port command...
    local pair=$1 port=$2
    shift 2
    {
        echo "set cmd:fail-exit yes"
        echo "set net:max-retries 2"
        echo "set net:timeout 60"
        if [ "${pair#*-}" = tls ]; then
            echo "set ftp:ssl-force yes"
            echo "set ftp:ssl-protect-data yes"
            echo "set ftp:ssl-protect-list yes"
            echo "set ssl:ca-file $ca"
        else
            echo "set ftp:ssl-allow no"
        fi
        echo "open -u test,secret ftp://[::1]:$port"
        printf '%s\n' "$@"
    } > "$work/$pair.lftp"
    job_command=(lftp -f "$work/$pair.lftp")
}
curl_config() {  # pair then lines
    local pair=$1
    shift
    printf '%s\n' "$@" > "$work/$pair.curl"
    job_command=(curl -sS -u test:secret --ftp-pasv -K "$work/$pair.curl")
    [ "${pair#*-}" = tls ] && job_command+=(--ssl-reqd --cacert "$ca")
    return 0
}
prepare_job() {  # pair job rtt
    local pair=$1 job=$2 rtt=$3 client=${1%-*} port=${proxy_port[$1]}
    local url="ftp://[::1]:$port" got="$work/got/$pair-$rtt" up="/up/$pair-$rtt"
    local authority=-
    [ "${pair#*-}" = tls ] && authority=$ca
    mkdir -p "$got" "$root$up"
    local lines=() name folder
    case "$client:$job" in
        engine:download) job_command=("$engine" ::1 "$port" "$authority" download /small "$got" "${names[@]}") ;;
        engine:upload) job_command=("$engine" ::1 "$port" "$authority" upload "$work/local/small" "$up" "${names[@]}") ;;
        engine:list) job_command=("$engine" ::1 "$port" "$authority" list /list) ;;
        engine:walk) job_command=("$engine" ::1 "$port" "$authority" walk "$walk_root") ;;
        engine:big-download) job_command=("$engine" ::1 "$port" "$authority" download /big "$got" big.bin) ;;
        engine:big-upload) job_command=("$engine" ::1 "$port" "$authority" upload "$work/local/big" "$up" big.bin) ;;
        curl:download)
            for name in "${names[@]}"; do lines+=("url = \"$url/small/$name\"" "output = \"$got/$name\""); done
            curl_config "$pair" "${lines[@]}" ;;
        curl:upload)
            for name in "${names[@]}"; do lines+=("upload-file = \"$work/local/small/$name\"" "url = \"$url$up/$name\""); done
            curl_config "$pair" "${lines[@]}" ;;
        curl:list) curl_config "$pair" "url = \"$url/list/\"" ;;
        curl:walk)
            for folder in "${walk_folders[@]}"; do lines+=("url = \"$url$folder/\""); done
            curl_config "$pair" "${lines[@]}" ;;
        curl:big-download) curl_config "$pair" "url = \"$url/big/big.bin\"" "output = \"$got/big.bin\"" ;;
        curl:big-upload) curl_config "$pair" "upload-file = \"$work/local/big/big.bin\"" "url = \"$url$up/big.bin\"" ;;
        lftp:download) lftp_script "$pair" "$port" "get -O $got $(printf '/small/%s ' "${names[@]}")" ;;
        lftp:upload) lftp_script "$pair" "$port" "put -O $up $(printf "$work/local/small/%s " "${names[@]}")" ;;
        lftp:list) lftp_script "$pair" "$port" "ls /list" ;;
        lftp:walk) lftp_script "$pair" "$port" "find $walk_root" ;;
        lftp:big-download) lftp_script "$pair" "$port" "get -O $got /big/big.bin" ;;
        lftp:big-upload) lftp_script "$pair" "$port" "put -O $up $work/local/big/big.bin" ;;
    esac
}

# Runs one job and appends "rtt pair job items seconds first-log-line
# last-log-line" to the pair's results; output that proves the job done is
# checked afterwards.
run_job() {  # pair job rtt items
    local pair=$1 job=$2 rtt=$3 items=$4 first last start end
    prepare_job "$pair" "$job" "$rtt"
    first=$(wc -l < "$work/$pair.log")
    start=$(bench_now)
    if ! LD_PRELOAD="$preload" CORVELL_WAN_CONNECT_MS="$rtt" timeout 900 "${job_command[@]}" \
            > "$work/out-$pair-$rtt-$job" 2> "$work/err-$pair-$rtt-$job"; then
        echo "$pair $job at $rtt ms failed:" >&2
        cat "$work/err-$pair-$rtt-$job" >&2
        return 1
    fi
    end=$(bench_now)
    # A client that does not wait for QUIT's answer may exit before the
    # server has logged it: the job ends with that line, not the next job.
    for _ in $(seq 200); do
        tail -n 1 "$work/$pair.log" | grep -q ' QUIT' && break
        sleep 0.01
    done
    last=$(wc -l < "$work/$pair.log")
    echo "$rtt $pair $job $items $(bench_elapsed "$start" "$end") $first $last" \
        >> "$work/results"
}

: > "$work/results"
for rtt in $rtts; do
    echo "Round trip $rtt ms: $files downloads and uploads, a $listing-entry listing and a walk of ${#walk_folders[@]} folders, six clients side by side..."
    for mode in "${modes[@]}"; do
        for client in "${clients[@]}"; do start_proxy "$client-$mode" "$rtt"; done
    done
    pids=()
    for mode in "${modes[@]}"; do
        for client in "${clients[@]}"; do
            pair="$client-$mode"
            (
                run_job "$pair" download "$rtt" "$files"
                run_job "$pair" upload "$rtt" "$files"
                for ((i = 0; i < listings; ++i)); do run_job "$pair" list "$rtt" 1; done
                run_job "$pair" walk "$rtt" "${#walk_folders[@]}"
            ) &
            pids+=("$!")
        done
    done
    failed=0
    for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
    ((failed == 0)) || exit 1
    for pair in "${!server_port[@]}"; do
        out="$work/out-$pair-$rtt-list"
        if [ "${pair%-*}" = engine ]; then
            listed=$(sed -n 's/^list: \([0-9]*\) items$/\1/p' "$out")
        else
            listed=$(wc -l < "$out")
        fi
        [ "$listed" = "$listing" ] || { echo "$pair listed $listed entries, not $listing" >&2; exit 1; }
    done
    echo "Round trip $rtt ms: a $big_mib MiB file down and up, one client at a time..."
    for mode in "${modes[@]}"; do
        for client in "${clients[@]}"; do
            pair="$client-$mode"
            rm -f "$work/got/$pair-$rtt/big.bin"
            run_job "$pair" big-download "$rtt" 1
            run_job "$pair" big-upload "$rtt" 1
            cmp -s "$root/big/big.bin" "$work/got/$pair-$rtt/big.bin" || { echo "$pair: big download not byte-exact" >&2; exit 1; }
            cmp -s "$root/big/big.bin" "$root/up/$pair-$rtt/big.bin" || { echo "$pair: big upload not byte-exact" >&2; exit 1; }
            rm "$work/got/$pair-$rtt/big.bin"
            diff -rq "$root/small" "$work/got/$pair-$rtt" > /dev/null \
                || { echo "$pair: small downloads not byte-exact" >&2; exit 1; }
            rm "$root/up/$pair-$rtt/big.bin"
            diff -rq "$work/local/small" "$root/up/$pair-$rtt" > /dev/null \
                || { echo "$pair: small uploads not byte-exact" >&2; exit 1; }
        done
    done
    stop_proxies
done

/usr/bin/python3 "$here/report.py" "$work" "$big_mib"
