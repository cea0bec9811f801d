#!/usr/bin/env bash
# Installs what is missing, builds Corvell, starts the demo FTP server and
# opens Corvell with its logon details pre-filled for it (127.0.0.1:2121, demo/demo).
# The demo server and the temporary settings are removed when Corvell closes.
# Without a display, Corvell runs on a virtual one (xvfb-run).
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=install_packages.sh
source "$repo/scripts/install_packages.sh"

packages=("${CORVELL_BUILD_PACKAGES[@]}")
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset)."
    echo "Corvell will run on a virtual X display, invisible on screen."
    echo "To see the window, run scripts/run.sh from a terminal of your desktop session."
    packages+=(xvfb xauth)
    corvell_install_packages "${packages[@]}"
    exec xvfb-run -a "$0" "$@"
fi
corvell_install_packages "${packages[@]}"

build="$repo/build"
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target corvell

demo_port=2121
config_home="$(mktemp -d /tmp/corvell-config-XXXXXX)"
demo_pid=""
app_pid=""

cleanup() {
    if [[ -n "$app_pid" ]]; then
        kill "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
    fi
    if [[ -n "$demo_pid" ]]; then
        kill "$demo_pid" 2>/dev/null || true
        wait "$demo_pid" 2>/dev/null || true
    fi
    rm -rf "$config_home"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

/usr/bin/python3 "$repo/scripts/demo_server.py" --port "$demo_port" &
demo_pid=$!

# Wait until the demo server listens (building the sample tree takes a moment).
for _ in $(seq 1 150); do
    if ! kill -0 "$demo_pid" 2>/dev/null; then
        echo "error: the demo FTP server did not start (is port $demo_port in use?)" >&2
        demo_pid=""
        exit 1
    fi
    if (exec 3<>"/dev/tcp/127.0.0.1/$demo_port") 2>/dev/null; then
        break
    fi
    sleep 0.2
done
if ! (exec 3<>"/dev/tcp/127.0.0.1/$demo_port") 2>/dev/null; then
    echo "error: the demo FTP server does not answer on port $demo_port" >&2
    exit 1
fi

# The settings file Corvell reads at start: QSettings writes keys with spaces
# percent-encoded, so it reads them back the same way.
cat >"$config_home/Brannock.conf" <<EOF
[Corvell]
Host%20Name=127.0.0.1
Port=$demo_port
User%20Name=demo
Password=demo
EOF
chmod 600 "$config_home/Brannock.conf"

# Run in the background and wait, so a signal to this script is handled at
# once and takes Corvell and the demo server down with it. The demo keeps its
# password in its own settings file and never touches the user's keyring.
# It speaks English, as the demo is written, whatever the desktop's language.
LANGUAGE=en LC_ALL=C.UTF-8 XDG_CONFIG_HOME="$config_home" CORVELL_NO_KEYRING=1 "$build/src/corvell" "$@" &
app_pid=$!
status=0
wait "$app_pid" || status=$?
app_pid=""
exit "$status"
