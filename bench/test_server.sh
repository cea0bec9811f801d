# Sourced by benchmark scripts that need the test FTP server.
#
#   bench_start_server WORK SERVER-OPTION...
#
# Starts tests/support/ftp_test_server.py with the options, sets `port` to
# the port it took, and on exit stops it and removes the folder WORK. The
# server runs as long as its standard input (the coprocess pipe) stays open.
bench_start_server() {
    bench_work=$1
    shift
    coproc SERVER { exec /usr/bin/python3 "$repo/tests/support/ftp_test_server.py" "$@"; }
    bench_server_pid=$SERVER_PID
    trap bench_stop_server EXIT
    local word
    read -r word port <&"${SERVER[0]}"
    [ "$word" = PORT ] || { echo "server did not start" >&2; exit 1; }
}

bench_stop_server() {
    kill "$bench_server_pid" 2>/dev/null || true
    wait "$bench_server_pid" 2>/dev/null || true
    rm -rf "$bench_work"
}
