# Sourced by benchmark scripts that need the test FTP server.
#
#   bench_start_server WORK SERVER-OPTION...
#
# Starts tests/support/ftp_test_server.py with the options and sets `port` to
# the port it took. It may be called more than once (one server per call);
# on exit every server started is stopped and the folder WORK is removed.
# A server runs as long as its standard input stays open: a pipe in WORK,
# held open by a sleeping writer rather than by this shell, so the programs
# being measured inherit no extra descriptor.
# shellcheck source=common.sh
source "$repo/bench/common.sh"
bench_server_pids=()

bench_start_server() {
    bench_work=$1
    shift
    local pipe
    pipe="$bench_work/server-${#bench_server_pids[@]}"
    mkfifo "$pipe.stdin"
    /usr/bin/python3 "$repo/tests/support/ftp_test_server.py" "$@" \
        < "$pipe.stdin" > "$pipe.port" 2> "$pipe.log" &
    bench_server_pids+=("$!")
    sleep infinity > "$pipe.stdin" &
    bench_server_pids+=("$!")
    trap bench_stop_servers EXIT
    bench_wait_port "$pipe.port" "$pipe.log" "the test server"
    port=$bench_port
}

bench_stop_servers() {
    local pid
    for pid in "${bench_server_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$bench_work"
}
