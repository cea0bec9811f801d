#!/usr/bin/python3
"""Reads both windows through the AT-SPI bus, as a screen reader does, and
checks what each control is called.

Starts its own X display, session bus and accessibility bus; the probe program
(argument 1) shows the windows. Exits non-zero with the reason when any of
these cannot start or the windows never show on the bus: a check that never
ran is not a pass."""

import sys
import time

from private_desktop import Desktop, application, fail, import_pyatspi, walk

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
APPEAR_SECONDS = 12


def probe_controls(pyatspi):
    found = []
    for accessible in walk(application(pyatspi, "corvell-accessibility-probe")):
        try:
            found.append((accessible.getRoleName(), accessible.name or "", accessible.description or ""))
        except Exception:  # a control that went away meanwhile
            pass
    return found


def main():
    if len(sys.argv) != 2:
        fail("usage: check_accessible_names.py PROBE")
    with Desktop() as desktop:
        pyatspi = import_pyatspi()
        program = desktop.start([sys.argv[1]])
        deadline = time.time() + APPEAR_SECONDS
        found = []
        while time.time() < deadline and program.poll() is None:
            try:
                found = probe_controls(pyatspi)
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


if __name__ == "__main__":
    main()
