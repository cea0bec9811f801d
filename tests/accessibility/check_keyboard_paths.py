#!/usr/bin/python3
"""Drives the real program with the keyboard alone on an X display with no
window manager, against the test FTP server, and checks each key did on the
server what its button does.

Arguments: the program, the test FTP server script. Keys are pressed with
xdotool; what has the focus is read through the AT-SPI bus; what a key did
is read from the server's files. Exits non-zero with the reason at the first
step that does not happen within its time."""

import os
import shutil
import subprocess
import sys
import tempfile

from private_desktop import Desktop, application, fail, first_line, import_pyatspi, wait_until, walk

STEP_SECONDS = 10


class Session:
    def __init__(self, desktop, program, pyatspi):
        self.desktop, self.program, self.pyatspi = desktop, program, pyatspi

    def press(self, *keys):
        if self.program.poll() is not None:
            fail("the program ended with status %d" % self.program.returncode)
        subprocess.run(["xdotool", "key", "--delay", "60"] + list(keys), env=self.desktop.env, check=True,
                       timeout=STEP_SECONDS)

    def type(self, text):
        subprocess.run(["xdotool", "type", "--delay", "30", text], env=self.desktop.env, check=True,
                       timeout=STEP_SECONDS)

    def controls(self):
        return walk(application(self.pyatspi, "Corvell"))

    def focused(self):
        """(role, name) of every control with the keyboard focus: a list and its current row both have it."""
        return [(a.getRoleName(), a.name or "") for a in self.controls()
                if a.getState().contains(self.pyatspi.STATE_FOCUSED)]

    def expect_focus(self, role, name, why):
        def there():
            if self.program.poll() is not None:
                fail("the program ended with status %d while %s" % (self.program.returncode, why))
            return (role, name) in self.focused()
        try:
            wait_until(there, STEP_SECONDS, "%s: no focus on %s %r" % (why, role, name))
        except SystemExit:
            print("focus is on %r" % (self.focused(),), file=sys.stderr)
            raise

    def expect_control(self, role, name, why):
        try:
            wait_until(lambda: any(a.getRoleName() == role and (name is None or a.name == name)
                                   for a in self.controls()),
                       STEP_SECONDS, "%s: no %s showed" % (why, role))
        except SystemExit:
            print("showing: %r" % sorted({(a.getRoleName(), a.name) for a in self.controls()
                                          if a.getState().contains(self.pyatspi.STATE_SHOWING)}), file=sys.stderr)
            raise

    def tab_to(self, role, name):
        for _ in range(15):
            before = self.focused()
            if (role, name) in before:
                return
            self.press("Tab")
            # The next Tab only once this one has moved the focus, or it may overshoot.
            wait_until(lambda: self.focused() != before, STEP_SECONDS, "Tab moved the focus nowhere")
        fail("Tab never reaches %s %r" % (role, name))


def expect_path(path, exists, why):
    wait_until(lambda: os.path.exists(path) == exists, STEP_SECONDS, why)


def main():
    if len(sys.argv) != 3:
        fail("usage: check_keyboard_paths.py PROGRAM FTP_SERVER_SCRIPT")
    program_path, server_script = sys.argv[1:]
    if not shutil.which("xdotool"):
        fail("xdotool is missing (package xdotool)")
    work = tempfile.mkdtemp(prefix="corvell-keys-")
    try:
        remote, local = os.path.join(work, "remote"), os.path.join(work, "local")
        os.makedirs(remote)
        os.makedirs(local)
        with open(os.path.join(remote, "a.txt"), "w") as file:
            file.write("alpha\n")
        with Desktop() as desktop:
            server = desktop.start(["/usr/bin/python3", server_script, "--root", remote], stdin=subprocess.PIPE)
            port = first_line(server, "the test FTP server").split()[-1]
            settings = os.path.join(desktop.home, "Brannock.conf")
            with open(settings, "w") as file:
                file.write("[Corvell]\nHost%%20Name=127.0.0.1\nPort=%s\nUser%%20Name=test\nPassword=secret\n" % port)
            os.chmod(settings, 0o600)
            program = desktop.start([program_path], cwd=local)
            keys = Session(desktop, program, import_pyatspi())

            keys.expect_focus("text", "Host name:", "the program starts")
            keys.tab_to("push button", "Logon")
            keys.press("Return")
            keys.expect_focus("push button", "Logoff", "Enter on Logon logs on")
            keys.expect_control("table cell", "a.txt", "the remote files are listed")
            keys.press("shift+Tab", "Down")
            keys.expect_focus("tree", "Remote files", "Shift+Tab from Logoff")

            keys.press("Return")
            keys.expect_focus("push button", "Download", "Enter in the remote files opens Data Transfer")
            keys.press("Return")
            keys.expect_focus("push button", "OK", "Enter on Download ends in a box")
            keys.press("Return")
            keys.expect_focus("tree", "Remote files", "the main window takes the keyboard back")
            with open(os.path.join(local, "a.txt")) as file:
                if file.read() != "alpha\n":
                    fail("the download by keyboard wrote something else")

            keys.press("F2")
            keys.expect_control("text", None, "F2 edits the name")
            keys.type("b.txt")
            keys.press("Return")
            expect_path(os.path.join(remote, "b.txt"), True, "F2 and Enter did not rename a.txt to b.txt")

            keys.expect_focus("tree", "Remote files", "after renaming")
            keys.press("Home", "Delete")
            keys.expect_focus("push button", "Yes", "Delete asks")
            keys.press("Escape")
            keys.expect_focus("tree", "Remote files", "Escape closes the box")
            keys.press("Delete")
            keys.expect_focus("push button", "Yes", "Delete asks again")
            keys.press("Return")
            expect_path(os.path.join(remote, "b.txt"), False, "Delete and Yes did not delete b.txt")

            # "New Folder" is second from the end of the menu: Up from no choice
            # picks the last entry first.
            for menu_keys, folder in ((["Menu"], "by menu key"), (["shift+F10"], "by shift F10")):
                keys.expect_focus("tree", "Remote files", "before " + menu_keys[0])
                # A menu is no window of its own on the bus: what it does shows it.
                keys.press(*menu_keys)
                keys.press("Up", "Up", "Return")
                keys.expect_control("dialog", None, "New Folder from the menu asks for a name")
                keys.type(folder)
                keys.press("Return")
                expect_path(os.path.join(remote, folder), True, "%s and New Folder made no folder" % menu_keys[0])
            if program.poll() is not None:
                fail("the program ended with status %d" % program.returncode)
            print("every keyboard path did what its button does")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
