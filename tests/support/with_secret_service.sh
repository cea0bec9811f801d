#!/bin/sh
# Runs a test on a private session bus, so no test ever reaches the user's own
# keyring:
#   with_secret_service.sh keyring FOLDER COMMAND...  an unlocked gnome-keyring
#       answers as the Secret Service;
#   with_secret_service.sh bare FOLDER COMMAND...     the bus has no secret
#       service at all.
# FOLDER (emptied first) holds the keyring files, home and runtime folder.
set -eu
mode=$1
folder=$2
shift 2

rm -rf "$folder"
mkdir -p "$folder/home" "$folder/data" "$folder/runtime"
chmod 700 "$folder/runtime"
export HOME="$folder/home" XDG_DATA_HOME="$folder/data" XDG_RUNTIME_DIR="$folder/runtime"
unset DISPLAY WAYLAND_DISPLAY

case "$mode" in
keyring)
    # A password on stdin creates the login keyring, makes it the default
    # collection and unlocks it, with no prompt; the daemon ends with the bus.
    exec dbus-run-session -- sh -c \
        'printf corvell | gnome-keyring-daemon --unlock --components=secrets >/dev/null && exec "$@"' \
        with_secret_service "$@"
    ;;
bare)
    # A session bus that activates nothing: asking for the secrets service
    # gets "no such name" at once.
    cat >"$folder/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$folder/runtime</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
    exec dbus-run-session --config-file="$folder/bus.conf" -- "$@"
    ;;
*)
    echo "usage: $0 keyring|bare FOLDER COMMAND..." >&2
    exit 2
    ;;
esac
