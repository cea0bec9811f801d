#!/usr/bin/python3
"""A real FTP server for the tests, built on pyftpdlib, with switchable faults.

Serves --root to user "test" / password "secret" on 127.0.0.1 with a free
port and prints "PORT <n>" as its first line of output. Every command line
received is appended to --log (passwords masked). The server stops when its
standard input reaches end of file (so a crashed test never leaves it behind)
and on SIGTERM.

Faults (see tests/support/test_ftp_server.h for the list the tests rely on):
  --no-mlst                  MLST/MLSD are unknown commands and FEAT omits them
  --refuse-retr NAME         RETR of a file named NAME answers 550
  --refuse-stor NAME         STOR/APPE of a file named NAME answers 550
  --cut-after N              RETR data connections close after N bytes, 426
  --fail-stor-after N        STOR keeps N bytes, drops the data connection, 451
  --reply CMD=CODE[ TEXT]    answer CMD with CODE (GREETING: the 220 banner)
  --reply-file CMD:NAME=CODE answer CMD so only when the argument's last path
                             component is NAME
  --stall CMD                never answer CMD (GREETING: send no banner);
                             several commands may be given as LIST/MLSD
  --foreign-pasv             EPSV unknown (500); PASV names 10.1.2.3
  --endless-line CMD         answer CMD (or GREETING) with a line that never
                             ends: 16 MiB without CRLF, then silence
  --initial-dir /pub         sessions start in /pub (created if missing)
  --rate MB_PER_S            limit each data connection to this speed; the
                             faults above still apply

Run with /usr/bin/python3: that interpreter has pyftpdlib.
"""

import argparse
import logging
import os
import signal
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import (DTPHandler, FTPHandler, ThrottledDTPHandler,
                                asynchat, proto_cmds)
from pyftpdlib.ioloop import RetryError
from pyftpdlib.servers import FTPServer

# Big buffers: the benchmark compares transfer speed against curl.
BUFFER_SIZE = 1024 * 1024
ENDLESS_LINE_LIMIT = 16 * 1024 * 1024
FOREIGN_PASV_ADDRESS = "10.1.2.3"


class FaultyDTPHandler(DTPHandler):
    """Data connection that can cut downloads and uploads short."""

    ac_in_buffer_size = BUFFER_SIZE
    ac_out_buffer_size = BUFFER_SIZE

    def use_sendfile(self):
        # sendfile() bypasses send(), where downloads are cut.
        if self.cmd_channel.cut_limit is not None:
            return False
        return super().use_sendfile()

    def _abort(self, reply):
        if not self._closed:
            self._resp = (reply, logging.getLogger("pyftpdlib").debug)
            self.transfer_finished = False
            self.close()

    def send(self, data):
        limit = self.cmd_channel.cut_limit
        if limit is None:
            return super().send(data)
        room = limit - self.tot_bytes_sent
        if room <= 0:
            self._abort("426 Connection closed; transfer aborted.")
            return 0
        sent = super().send(data[:room])
        if self.tot_bytes_sent >= limit:
            self._abort("426 Connection closed; transfer aborted.")
        return sent

    def handle_read(self):
        limit = self.cmd_channel.stor_limit
        if limit is None:
            return super().handle_read()
        room = limit - self.tot_bytes_received
        if room > 0:
            try:
                chunk = self.recv(min(room, self.ac_in_buffer_size))
            except RetryError:
                return
            except OSError:
                self.handle_error()
                return
            if chunk:
                self.tot_bytes_received += len(chunk)
                self.file_obj.write(chunk)
                if self.tot_bytes_received < limit:
                    return
            elif self._closed:
                return
        self._abort("451 Requested action aborted: local error in processing.")

    handle_read_event = handle_read


class EndlessProducer:
    """A reply line with no end: bounded so a broken client cannot hang us."""

    def __init__(self, prefix):
        self.first = prefix.encode("ascii")
        self.sent = 0
        self.chunk = b"Endless reply text " * 3449  # about 64 KiB

    def more(self):
        if self.sent >= ENDLESS_LINE_LIMIT:
            return b""
        data = self.first + self.chunk if self.first else self.chunk
        self.first = b""
        data = data[:ENDLESS_LINE_LIMIT - self.sent]
        self.sent += len(data)
        return data


def _last_component(arg):
    return arg.rstrip("/").split("/")[-1]


class FaultyFTPHandler(FTPHandler):
    """Control connection that logs commands and injects the chosen faults."""

    dtp_handler = FaultyDTPHandler
    auth_failed_timeout = 0.05
    banner = "Corvell test server ready."

    def push(self, s):
        # Replies that quote a raw name carry its bytes back unchanged.
        if self.unicode_errors == "surrogateescape":
            asynchat.async_chat.push(self, s.encode("utf8", "surrogateescape"))
        else:
            FTPHandler.push(self, s)

    # Set by configure().
    log_file = None
    refuse_retr = ()
    refuse_stor = ()
    cut_after = None
    fail_stor_after = None
    replies = {}
    file_replies = {}
    stalls = frozenset()
    endless = frozenset()
    initial_dir = None

    def __init__(self, *args, **kwargs):
        self.cut_limit = None
        self.stor_limit = None
        FTPHandler.__init__(self, *args, **kwargs)

    # --- greeting faults

    def handle(self):
        if "GREETING" in self.stalls:
            self.on_connect()
            return
        if "GREETING" in self.endless:
            self._send_endless("220 ")
            return
        if "GREETING" in self.replies:
            self.on_connect()
            self.respond(self.replies["GREETING"])
            return
        FTPHandler.handle(self)

    def _send_endless(self, prefix):
        self.push_with_producer(EndlessProducer(prefix))

    # --- every command passes here

    def _log_command(self, line, cmd):
        if self.log_file is None:
            return
        if cmd == "PASS":
            line = "PASS ******"
        self.log_file.write(line + "\n")
        self.log_file.flush()

    def pre_process_command(self, line, cmd, arg):
        self._log_command(line, cmd)
        if cmd in self.stalls:
            return
        if cmd in self.endless:
            self._send_endless("200 ")
            return
        reply = self.file_replies.get((cmd, _last_component(arg)))
        if reply is None:
            reply = self.replies.get(cmd)
        if reply is not None:
            if cmd == "RNFR":
                self._rnfr = None
            self.respond(reply)
            return
        FTPHandler.pre_process_command(self, line, cmd, arg)

    # --- transfers

    def ftp_RETR(self, file):
        if os.path.basename(file) in self.refuse_retr:
            self.respond("550 Refused by the test server.")
            return None
        self.cut_limit = self.cut_after
        result = FTPHandler.ftp_RETR(self, file)
        if result is None:
            self.cut_limit = None
        return result

    def ftp_STOR(self, file, mode="w"):
        if os.path.basename(file) in self.refuse_stor:
            self.respond("550 Refused by the test server.")
            return None
        self.stor_limit = self.fail_stor_after
        result = FTPHandler.ftp_STOR(self, file, mode)
        if result is None:
            self.stor_limit = None
        return result

    def _on_dtp_close(self):
        self.cut_limit = None
        self.stor_limit = None
        FTPHandler._on_dtp_close(self)

    def on_login(self, username):
        if self.initial_dir:
            self.fs.cwd = self.initial_dir


def _parse_reply(value, option):
    """'550' or '550 Some text' -> a full reply line."""
    value = value.strip()
    code, _, text = value.partition(" ")
    if len(code) != 3 or not code.isdigit():
        raise SystemExit("%s: bad reply code in %r" % (option, value))
    return "%s %s" % (code, text.strip() or "Refused by the test server.")


def _command_names(values):
    names = set()
    for value in values:
        for name in value.replace(",", "/").split("/"):
            if name.strip():
                names.add(name.strip().upper())
    return frozenset(names)


def make_handler_class(args, log_file=None):
    """A handler class configured from parsed options (see add_fault_options)."""
    replies = {}
    for item in args.reply:
        cmd, sep, value = item.partition("=")
        if not sep or not cmd:
            raise SystemExit("--reply wants CMD=CODE, got %r" % item)
        replies[cmd.strip().upper()] = _parse_reply(value, "--reply")
    file_replies = {}
    for item in args.reply_file:
        left, sep, value = item.rpartition("=")
        cmd, colon, name = left.partition(":")
        if not sep or not colon or not cmd or not name:
            raise SystemExit("--reply-file wants CMD:NAME=CODE, got %r" % item)
        file_replies[(cmd.strip().upper(), name)] = _parse_reply(
            value, "--reply-file")

    commands = dict(proto_cmds)
    if args.no_mlst:
        commands.pop("MLST", None)
        commands.pop("MLSD", None)
    masquerade = None
    if args.foreign_pasv:
        commands.pop("EPSV", None)
        masquerade = FOREIGN_PASV_ADDRESS

    initial_dir = None
    if args.initial_dir:
        initial_dir = "/" + args.initial_dir.strip("/")

    attributes = dict(
        proto_cmds=commands,
        masquerade_address=masquerade,
        log_file=log_file,
        refuse_retr=frozenset(args.refuse_retr),
        refuse_stor=frozenset(args.refuse_stor),
        cut_after=args.cut_after,
        fail_stor_after=args.fail_stor_after,
        replies=replies,
        file_replies=file_replies,
        stalls=_command_names(args.stall),
        endless=_command_names(args.endless_line),
        initial_dir=initial_dir,
    )
    if args.rate:
        # The faults come first in the method order and pass every byte on
        # to the throttle, so a slow server can still cut or refuse.
        limit = int(args.rate * 1000 * 1000)
        attributes["dtp_handler"] = type(
            "ThrottledFaultyDTPHandler",
            (FaultyDTPHandler, ThrottledDTPHandler),
            {"read_limit": limit, "write_limit": limit})
    if args.raw_names:
        # File names go out and come in as the bytes they are on disk, as a
        # server on a legacy 8-bit file system sends them.
        attributes.update(encoding="utf8", unicode_errors="surrogateescape")
    return type("ConfiguredFTPHandler", (FaultyFTPHandler,), attributes)


def add_fault_options(parser):
    parser.add_argument("--no-mlst", action="store_true")
    parser.add_argument("--refuse-retr", action="append", default=[],
                        metavar="NAME")
    parser.add_argument("--refuse-stor", action="append", default=[],
                        metavar="NAME")
    parser.add_argument("--cut-after", type=int, metavar="N")
    parser.add_argument("--fail-stor-after", type=int, metavar="N")
    parser.add_argument("--reply", action="append", default=[],
                        metavar="CMD=CODE")
    parser.add_argument("--reply-file", action="append", default=[],
                        metavar="CMD:NAME=CODE")
    parser.add_argument("--stall", action="append", default=[], metavar="CMD")
    parser.add_argument("--foreign-pasv", action="store_true")
    parser.add_argument("--endless-line", action="append", default=[],
                        metavar="CMD")
    parser.add_argument("--initial-dir", metavar="PATH")
    parser.add_argument("--raw-names", action="store_true")
    parser.add_argument("--rate", type=float, default=0.0, metavar="MB_PER_S")


def make_server(root, user, password, handler_class, host="127.0.0.1",
                port=0):
    root = os.path.abspath(root)
    if handler_class.initial_dir:
        os.makedirs(os.path.join(root, handler_class.initial_dir.lstrip("/")),
                    exist_ok=True)
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")
    handler_class.authorizer = authorizer
    server = FTPServer((host, port), handler_class)
    server.max_cons = 256
    return server


def quiet_logging(verbose=False):
    handler = logging.StreamHandler(sys.stderr)
    handler.setFormatter(logging.Formatter("ftp_test_server: %(message)s"))
    pyftpdlib_logger = logging.getLogger("pyftpdlib")
    pyftpdlib_logger.addHandler(handler)
    pyftpdlib_logger.setLevel(logging.DEBUG if verbose else logging.ERROR)


def _exit_when_stdin_closes():
    def watch():
        try:
            while sys.stdin.buffer.read(4096):
                pass
        except (OSError, ValueError):
            pass
        os._exit(0)

    threading.Thread(target=watch, daemon=True).start()


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True)
    parser.add_argument("--log")
    parser.add_argument("--user", default="test")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--verbose", action="store_true")
    add_fault_options(parser)
    args = parser.parse_args(argv)

    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    quiet_logging(args.verbose)
    log_file = None
    if args.log:
        log_file = open(args.log, "a", encoding="utf-8", errors="replace")
    handler_class = make_handler_class(args, log_file)
    server = make_server(args.root, args.user, args.password, handler_class)
    sys.stdout.write("PORT %d\n" % server.address[1])
    sys.stdout.flush()
    _exit_when_stdin_closes()
    server.serve_forever(handle_exit=False)


if __name__ == "__main__":
    main()
