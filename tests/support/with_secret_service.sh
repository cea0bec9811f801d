#!/bin/sh
# Runs a test on a private session bus, so no test ever reaches the user's own
# keyring:
#   with_secret_service.sh keyring FOLDER COMMAND...  an unlocked gnome-keyring
#       answers as the Secret Service;
#   with_secret_service.sh bare FOLDER COMMAND...     the bus has no secret
#       service at all.
# FOLDER (emptied first) holds the keyring files and home. The bus and keyring
# sockets live in a runtime folder of their own under the temporary folder,
# removed afterwards: a Unix socket's path may not pass 108 bytes, and FOLDER
# sits as deep as the checkout does.
set -eu
mode=$1
folder=$2
shift 2

rm -rf "$folder"
mkdir -p "$folder/home" "$folder/data"
# A temporary folder set deep is no better than the build folder.
temporary=${TMPDIR:-/tmp}
[ "${#temporary}" -le 40 ] || temporary=/tmp
runtime=$(mktemp -d "$temporary/corvell-bus.XXXXXX")
trap 'rm -rf "$runtime"' EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
trap 'exit 129' HUP
export HOME="$folder/home" XDG_DATA_HOME="$folder/data" XDG_RUNTIME_DIR="$runtime"
unset DISPLAY WAYLAND_DISPLAY

case "$mode" in
keyring)
    # A password on stdin creates the login keyring, makes it the default
    # collection and unlocks it, with no prompt; the daemon ends with the bus.
    dbus-run-session -- sh -c \
        'printf corvell | gnome-keyring-daemon --unlock --components=secrets >/dev/null && exec "$@"' \
        with_secret_service "$@"
    ;;
bare)
    # A session bus that activates nothing: asking for the secrets service
    # gets "no such name" at once.
    cat >"$runtime/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$runtime</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
    dbus-run-session --config-file="$runtime/bus.conf" -- "$@"
    ;;
*)
    echo "usage: $0 keyring|bare FOLDER COMMAND..." >&2
    exit 2
    ;;
esac
