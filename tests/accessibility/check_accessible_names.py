#!/usr/bin/python3
"""Reads both windows through the AT-SPI bus, as a screen reader does, and
checks what each control is called.

Starts its own X display, session bus and accessibility bus; the probe program
(argument 1) shows the windows. Exits non-zero with the reason when any of
these cannot start or the windows never show on the bus: a check that never
ran is not a pass. Every wait is bounded."""

import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

# (role, name, description) every control must be found as. The read-outs are
# heard with their value; an empty one by its caption alone.
EXPECTED = [
    ("text", "Host name:", ""),
    ("push button", "Servers logged on to before", "Servers logged on to before"),
    ("text", "User name:", ""),
    ("password text", "Password:", ""),
    ("text", "Port:", ""),
    ("push button", "Logon", ""),
    ("push button", "Logoff", ""),
    ("image", "Encrypted connection", "Encrypted connection (TLSv1.3)"),
    ("combo box", "Local drive", "Local Drive List"),
    ("list", "Local folders", ""),
    ("list", "Local files", ""),
    ("push button", "Upload Selected File", ""),
    ("tree", "Remote folders", ""),
    ("tree", "Remote files", ""),
    ("push button", "New Folder", ""),
    ("push button", "Delete Folder", ""),
    ("push button", "Delete File", ""),
    ("push button", "Rename File", ""),
    ("push button", "Download File", ""),
    ("dialog", "Data Transfer", ""),
    ("label", "Kb to transfer: 12.00", ""),
    ("label", "Time elapsed: 0:00:01", ""),
    ("label", "Bytes sent:", ""),
    ("label", "Speed:", ""),
    ("progress bar", "Progress of this file", ""),
    ("progress bar", "Progress of all files", ""),
    ("push button", "Download", ""),
    ("push button", "Cancel", ""),
]
# Controls no name may be missing from, hidden ones too, whatever the table says.
NAMED_ROLES = {"text", "password text", "push button", "combo box", "list", "tree", "progress bar", "image"}
STARTUP_SECONDS = 5
APPEAR_SECONDS = 12


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def start(command, env):
    return subprocess.Popen(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)


def first_line(process, what):
    """The first line `process` prints, or a failure naming `what`."""
    ready, _, _ = select.select([process.stdout], [], [], STARTUP_SECONDS)
    line = process.stdout.readline().strip() if ready else ""
    if not line:
        fail(what + " did not start within %d s" % STARTUP_SECONDS)
    return line


def accessibility_bus_address(env):
    try:
        reply = subprocess.run(["dbus-send", "--session", "--print-reply=literal", "--dest=org.a11y.Bus",
                                "/org/a11y/bus", "org.a11y.Bus.GetAddress"],
                               env=env, capture_output=True, text=True, timeout=STARTUP_SECONDS)
    except subprocess.TimeoutExpired:
        return ""
    return reply.stdout.strip() if reply.returncode == 0 else ""


def walk(accessible, found, depth=0):
    if depth > 40:
        return
    try:
        entry = (accessible.getRoleName(), accessible.name or "", accessible.description or "")
        children = [accessible.getChildAtIndex(i) for i in range(accessible.childCount)]
    except Exception:  # a control that went away meanwhile
        return
    found.append(entry)
    for child in children:
        if child is not None:
            walk(child, found, depth + 1)


def probe_controls():
    desktop = pyatspi.Registry.getDesktop(0)
    found = []
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == "corvell-accessibility-probe":
            walk(app, found)
    return found


def main():
    global pyatspi
    if len(sys.argv) != 2:
        fail("usage: check_accessible_names.py PROBE")
    probe = sys.argv[1]
    for tool, package in (("Xvfb", "xvfb"), ("dbus-daemon", "dbus"), ("dbus-send", "dbus")):
        if not shutil.which(tool):
            fail("%s is missing (package %s)" % (tool, package))
    launcher = "/usr/libexec/at-spi-bus-launcher"
    if not os.access(launcher, os.X_OK):
        fail("the AT-SPI bus launcher is missing (package at-spi2-core)")

    env = dict(os.environ)
    for inherited in ("QT_QPA_PLATFORM", "LC_ALL", "LC_MESSAGES", "AT_SPI_BUS_ADDRESS"):
        env.pop(inherited, None)
    # English whatever the machine's locale: the table holds the English names.
    env.update(LANG="C.UTF-8", LANGUAGE="en", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    children = []
    home = tempfile.mkdtemp(prefix="corvell-a11y-")
    os.chmod(home, 0o700)
    env["HOME"] = env["XDG_CONFIG_HOME"] = env["XDG_RUNTIME_DIR"] = home
    try:
        display = start(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"], env)
        children.append(display)
        env["DISPLAY"] = ":" + first_line(display, "the X display (Xvfb)")

        bus = start(["dbus-daemon", "--session", "--nofork", "--print-address=1"], env)
        children.append(bus)
        env["DBUS_SESSION_BUS_ADDRESS"] = first_line(bus, "the session bus (dbus-daemon)")

        children.append(start([launcher, "--launch-immediately"], env))
        deadline = time.time() + STARTUP_SECONDS
        while not accessibility_bus_address(env):
            if time.time() > deadline:
                fail("the AT-SPI bus did not start within %d s" % STARTUP_SECONDS)
            time.sleep(0.2)

        # pyatspi finds the buses through the environment it is imported in.
        os.environ.clear()
        os.environ.update(env)
        try:
            import pyatspi
        except ImportError:
            fail("pyatspi cannot be imported (package python3-pyatspi)")

        program = start([probe], env)
        children.append(program)
        deadline = time.time() + APPEAR_SECONDS
        found = []
        while time.time() < deadline and program.poll() is None:
            try:
                found = probe_controls()
            except Exception:
                found = []
            if all(item in found for item in EXPECTED):
                break
            time.sleep(0.5)
        if program.poll() is not None:
            fail("the probe program ended with status %d" % program.returncode)
        if not found:
            fail("the windows never appeared on the AT-SPI bus within %d s" % APPEAR_SECONDS)
        faults = ["no %s %r described %r" % item for item in EXPECTED if item not in found]
        faults += ["a %s has no name" % role for role, name, _ in found if role in NAMED_ROLES and not name]
        if faults:
            print("Found on the bus:", file=sys.stderr)
            for entry in found:
                print("  %s: %r %r" % entry, file=sys.stderr)
            fail("; ".join(faults))
        print("all %d controls are named" % len(EXPECTED))
    finally:
        for child in reversed(children):
            child.terminate()
            try:
                child.wait(timeout=5)
            except subprocess.TimeoutExpired:
                child.kill()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
