"""A desktop of the checks' own: an X display, a session bus and the
accessibility bus on it, none of them the user's. Whatever cannot start ends
the check with the reason; every wait is bounded."""

import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

STARTUP_SECONDS = 5
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def first_line(process, what):
    """The first line `process` prints, or a failure naming `what`."""
    ready, _, _ = select.select([process.stdout], [], [], STARTUP_SECONDS)
    line = process.stdout.readline().strip() if ready else ""
    if not line:
        fail(what + " did not start within %d s" % STARTUP_SECONDS)
    return line


def wait_until(condition, seconds, what):
    """Polls `condition` until it gives something true; fails naming `what`."""
    deadline = time.time() + seconds
    while True:
        try:
            result = condition()
        except Exception:  # a control that went away while it was read
            result = None
        if result:
            return result
        if time.time() > deadline:
            fail("%s within %g s" % (what, seconds))
        time.sleep(0.2)


class Desktop:
    """Use as a context manager; `env` is what programs on it run with."""

    def __init__(self):
        self.children = []
        self.home = tempfile.mkdtemp(prefix="corvell-desktop-")
        os.chmod(self.home, 0o700)
        self.env = dict(os.environ)
        for inherited in ("QT_QPA_PLATFORM", "LC_ALL", "LC_MESSAGES", "AT_SPI_BUS_ADDRESS"):
            self.env.pop(inherited, None)
        # English whatever the machine's locale: the checks hold English names.
        # Passwords stay in the settings file here, away from any keyring.
        self.env.update(LANG="C.UTF-8", LANGUAGE="en", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                        QT_ACCESSIBILITY="1", HOME=self.home, XDG_CONFIG_HOME=self.home,
                        XDG_RUNTIME_DIR=self.home, CORVELL_NO_KEYRING="1")

    def start(self, command, **options):
        options.setdefault("stdout", subprocess.PIPE)
        options.setdefault("stderr", subprocess.DEVNULL)
        process = subprocess.Popen(command, env=options.pop("env", self.env), text=True, **options)
        self.children.append(process)
        return process

    def __enter__(self):
        for tool, package in (("Xvfb", "xvfb"), ("dbus-daemon", "dbus"), ("dbus-send", "dbus")):
            if not shutil.which(tool):
                fail("%s is missing (package %s)" % (tool, package))
        if not os.access(LAUNCHER, os.X_OK):
            fail("the AT-SPI bus launcher is missing (package at-spi2-core)")
        display = self.start(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"])
        self.env["DISPLAY"] = ":" + first_line(display, "the X display (Xvfb)")
        bus = self.start(["dbus-daemon", "--session", "--nofork", "--print-address=1"])
        self.env["DBUS_SESSION_BUS_ADDRESS"] = first_line(bus, "the session bus (dbus-daemon)")
        self.start([LAUNCHER, "--launch-immediately"])
        wait_until(self.accessibility_bus_address, STARTUP_SECONDS, "the AT-SPI bus did not start")
        # pyatspi finds the buses through the environment it is imported in.
        os.environ.clear()
        os.environ.update(self.env)
        return self

    def accessibility_bus_address(self):
        try:
            reply = subprocess.run(["dbus-send", "--session", "--print-reply=literal", "--dest=org.a11y.Bus",
                                    "/org/a11y/bus", "org.a11y.Bus.GetAddress"],
                                   env=self.env, capture_output=True, text=True, timeout=STARTUP_SECONDS)
        except subprocess.TimeoutExpired:
            return ""
        return reply.stdout.strip() if reply.returncode == 0 else ""

    def __exit__(self, *_):
        for child in reversed(self.children):
            if child.stdin:
                child.stdin.close()
            child.terminate()
            try:
                child.wait(timeout=5)
            except subprocess.TimeoutExpired:
                child.kill()
        shutil.rmtree(self.home, ignore_errors=True)
        return False


def import_pyatspi():
    try:
        import pyatspi
    except ImportError:
        fail("pyatspi cannot be imported (package python3-pyatspi)")
    return pyatspi


def application(pyatspi, name):
    """The running program called `name` on the accessibility bus, or None."""
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == name:
            return app
    return None


def walk(accessible, depth=0):
    """Every accessible under `accessible`, itself first."""
    if accessible is None or depth > 40:
        return
    yield accessible
    try:
        children = [accessible.getChildAtIndex(i) for i in range(accessible.childCount)]
    except Exception:  # went away meanwhile
        return
    for child in children:
        yield from walk(child, depth + 1)
