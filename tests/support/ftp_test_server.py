#!/usr/bin/python3
"""A real FTP server for the tests, built on pyftpdlib, with switchable faults.

Serves --root to user "test" / password "secret" on 127.0.0.1 with a free
port and prints "PORT <n>" as its first line of output. Every command line
received is appended to --log (passwords masked); with --log-times each line
starts with the time it arrived, in seconds since the epoch ("%.6f "). The server stops when its
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
  --idle-close SECONDS       close a control connection idle this long, with
                             "421" (--idle-close-silent: without a word)
  --abor-preliminary         after RETR, the transfer's end goes unsaid, and
                             ABOR is answered with one 1xx line only
  --ls-words                 LIST hands its argument to "ls" as a shell
                             line: each blank-separated word is listed by
                             itself (a missing one is an error line)
  --nagle                    Nagle's algorithm stays on for the control
                             connection (pyftpdlib turns it off)
  --abor-done-first          ABOR during a transfer is answered "226" at
                             once; the transfer's "426" follows 0.3 s later,
                             or sooner ahead of the next command's answer
  --end-crosses-abor         a RETR's closing "226" waits for the next command;
                             when that is ABOR, ABOR's own answer follows 0.3 s
                             later (a transfer that ended as ABOR was sent)
  --trickle CMD              answer CMD with a "150" line every half second,
                             never a final reply
  --flood CMD                answer CMD with "150" lines without end
  --huge-listing N           MLSD lists N tiny entries (no real files)
  --hang-up CMD              close the control connection when CMD arrives
  --oops-in-clear CMD        answer CMD with "500 OOPS" in clear text, even on
                             an encrypted connection, and hang up (vsftpd's
                             fatal errors)
  --telnet-iac               a 0xFF byte travels doubled on the control
                             connection both ways; a single one is a Telnet
                             command (dropped with the byte after it)
  --listing-file PATH        LIST answers with PATH's bytes; MLST/MLSD unknown
  --mlsd-file PATH           MLSD answers with PATH's bytes
  --short-retr, --long-retr, --drop-stor, --hash, --xsha, --lie-hash,
  --no-size                  see IntegrityFaults

Encryption (explicit FTP over TLS), off unless asked for:
  --tls                      offer AUTH TLS, PBSZ and PROT; a data connection
                             must reuse the control connection's TLS session
  --tls-required             as --tls, and USER/PASS and PASV/EPSV are refused
                             until the control and data channels are encrypted
  --tls-cert FILE            the certificate and key served (PEM, one file);
                             make_test_certificates.py makes a set
  --tls-protect-after-login  PBSZ before the logon answers 530
  --tls-implicit             TLS from the first byte (as on port 990), no AUTH TLS
  --tls-first-logon-only     AUTH TLS works on the first connection only, then
                             answers 502, as a downgrading attacker would
  --tls12                    no TLS 1.3: data connections resume the control
                             connection's own session, not a ticket of theirs
  --data-no-close-notify     data connections end with a bare TCP close, no
                             TLS close_notify (as a cut on the path looks);
                             the transfer is still confirmed with 226
  --renegotiate CMD          TLS 1.2 at most; when CMD arrives the server asks
                             to renegotiate on the control connection, or,
                             for RETR/LIST/MLSD/NLST, on its data connection.
                             A renegotiation that completes is logged as
                             "TLS RENEGOTIATED"
  --rate MB_PER_S            limit each data connection to this speed; the
                             faults above still apply
  --passive-timeout SECONDS  an unused passive port closes after SECONDS with
                             "421 Passive data channel timed out." (30 unless set)
  --passive-ports FIRST-LAST passive data connections listen on these ports
                             only (a proxy in front can then serve them too)

Run with /usr/bin/python3: that interpreter has pyftpdlib.
"""

import argparse
import logging
import os
import signal
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import (BufferedIteratorProducer, DTPHandler,
                                FTPHandler, PassiveDTP, ThrottledDTPHandler,
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


class FloodProducer:
    """Preliminary reply lines without a final one (bounded, 4 MiB)."""

    def __init__(self):
        self.left = 4 * 1024 * 1024 // (64 * 1024)

    def more(self):
        if self.left <= 0:
            return b""
        self.left -= 1
        return b"150 Wait.\r\n" * (64 * 1024 // 11)


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
            data = s.encode("utf8", "surrogateescape")
            if self.telnet_iac:
                data = data.replace(b"\xff", b"\xff\xff")
            asynchat.async_chat.push(self, data)
        else:
            FTPHandler.push(self, s)

    # Set by configure().
    log_file = None
    log_times = False
    refuse_retr = ()
    refuse_stor = ()
    cut_after = None
    fail_stor_after = None
    replies = {}
    file_replies = {}
    stalls = frozenset()
    endless = frozenset()
    initial_dir = None
    idle_close = None
    idle_silent = False
    abor_preliminary = False
    abor_done_first = False
    ls_words = False
    end_crosses_abor = False
    trickles = frozenset()
    floods = frozenset()
    huge_listing = None
    telnet_iac = False
    hang_ups = frozenset()
    oops_in_clear = frozenset()

    def __init__(self, *args, **kwargs):
        self.cut_limit = None
        self.stor_limit = None
        self._muted = False
        self._late_reply = None
        self._argument = ""
        self._held_end = None
        self._trickle = None
        self._idle_timer = None
        # super(), not FTPHandler: with --tls the TLS layers sit in between.
        super().__init__(*args, **kwargs)

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
        self._arm_idle_close()

    def _send_endless(self, prefix):
        self.push_with_producer(EndlessProducer(prefix))

    # --- every command passes here

    def _log_command(self, line, cmd):
        if self.log_file is None:
            return
        if cmd == "PASS":
            line = "PASS ******"
        if self.log_times:
            line = "%.6f %s" % (time.time(), line)
        self.log_file.write(line + "\n")
        self.log_file.flush()

    def pre_process_command(self, line, cmd, arg):
        if self._late_reply is not None:
            # The late reply goes ahead; this command, and whatever follows
            # it, is taken a moment later, as over a slow link.
            self._send_late_reply()
            self.del_channel()

            def resume():
                self.add_channel()
                self.pre_process_command(line, cmd, arg)
            self.ioloop.call_later(0.1, resume)
            return
        self._log_command(line, cmd)
        self._argument = arg
        if cmd != "ABOR":
            self._muted = False
        self._send_held_end(pause=0.3 if cmd == "ABOR" else 0)
        if cmd in self.stalls:
            return
        if cmd in self.trickles:
            self._start_trickle()
            return
        if cmd in self.floods:
            self.push_with_producer(FloodProducer())
            return
        if cmd in self.hang_ups:
            self.close()
            return
        if cmd in self.oops_in_clear:
            os.write(self.socket.fileno(), b"500 OOPS: cannot change directory:/home/test\r\n")
            self.close()
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

    # --- idle control connections (pyftpdlib's own idle timer is not
    # re-armed after logon, so it cannot stand in for a real server's)

    def _arm_idle_close(self):
        if self.idle_close is None:
            return
        if self._idle_timer is not None and not self._idle_timer.cancelled:
            self._idle_timer.cancel()
        self._idle_timer = self.ioloop.call_later(self.idle_close,
                                                  self._close_idle)

    def _close_idle(self):
        if self.data_channel is not None:  # a transfer is not idleness
            self._arm_idle_close()
            return
        if self.idle_silent:
            self.close()
        else:
            self.respond("421 Control connection timed out.")
            self.close_when_done()

    # --- endless preliminary replies

    def _start_trickle(self):
        def tick():
            if self.connected:
                asynchat.async_chat.push(self, b"150 Still working on it.\r\n")
        self._trickle = self.ioloop.call_every(0.5, tick)

    def close(self):
        for timer in (self._trickle, self._idle_timer):
            if timer is not None and not timer.cancelled:
                timer.cancel()
        super().close()

    # --- a server whose ABOR ends nothing

    def respond(self, resp, logfun=logging.getLogger("pyftpdlib").debug):
        if self._muted and not resp.startswith("1"):
            return
        if self._held_end is True and not resp.startswith("1"):
            self._held_end = resp if resp.startswith("226") else None
            if self._held_end:
                return
        FTPHandler.respond(self, resp, logfun)

    def _send_late_reply(self):
        # Sent when due, or at the latest ahead of the next command's answer.
        reply, self._late_reply = self._late_reply, None
        if reply is not None and self.connected:
            self.respond(reply)

    # --- a transfer's end that crosses ABOR

    def _send_held_end(self, pause):
        held, self._held_end = self._held_end, None
        if isinstance(held, str):
            FTPHandler.respond(self, held)
            time.sleep(pause)  # the one client waits; nothing else is served

    def ftp_ABOR(self, line):
        if self.abor_done_first and self.data_channel is not None \
                and self.data_channel.transfer_in_progress():
            # ProFTPD over TLS: ABOR's own answer, then the transfer's end.
            self.data_channel.close()
            self.data_channel = None
            self.respond("226 Abort successful")
            self._late_reply = "426 Transfer aborted. Data connection closed"
            self.ioloop.call_later(0.3, self._send_late_reply)
            return
        if not self.abor_preliminary:
            return FTPHandler.ftp_ABOR(self, line)
        if self.data_channel is not None:
            self.data_channel.close()
            self.data_channel = None
        self.respond("150 Aborting.")

    # --- an oversized listing

    def ftp_MLSD(self, path):
        if self.huge_listing is None:
            return FTPHandler.ftp_MLSD(self, path)
        count = self.huge_listing

        def lines():
            for start in range(0, count, 10000):
                yield b"type=file;size=1; f\r\n" * min(10000, count - start)
        self.push_dtp_data(BufferedIteratorProducer(lines()), isproducer=True,
                           cmd="MLSD")
        return path

    # --- Telnet IAC on the control connection

    def found_terminator(self):
        self._arm_idle_close()
        if self.telnet_iac:
            line, out, at = b"".join(self._in_buffer), bytearray(), 0
            while at < len(line):
                if line[at] == 0xFF:
                    if line[at + 1:at + 2] == b"\xff":
                        out.append(0xFF)
                    at += 2  # IAC IAC is the byte; IAC x is a command
                    continue
                out.append(line[at])
                at += 1
            self._in_buffer = [bytes(out)]
        FTPHandler.found_terminator(self)

    # --- transfers

    def ftp_RETR(self, file):
        if os.path.basename(file) in self.refuse_retr:
            self.respond("550 Refused by the test server.")
            return None
        self.cut_limit = self.cut_after
        result = FTPHandler.ftp_RETR(self, file)
        if result is None:
            self.cut_limit = None
        self._muted = self.abor_preliminary and result is not None
        if self.end_crosses_abor and result is not None:
            self._held_end = True
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

    def ftp_LIST(self, path):
        argument = self._argument
        if not self.ls_words or " " not in argument:
            return FTPHandler.ftp_LIST(self, path)
        # inetutils ftpd and its kin run "/bin/ls -lgA <argument>".
        lines = "".join("ls: cannot access '%s': No such file or directory\r\n"
                        % word for word in argument.split())
        self.push_dtp_data(lines.encode("utf8"), cmd="LIST")
        return path

    def _on_dtp_close(self):
        self.cut_limit = None
        self.stor_limit = None
        FTPHandler._on_dtp_close(self)

    def on_login(self, username):
        if self.initial_dir:
            self.fs.cwd = self.initial_dir


# --- Transfers the server confirms but did not make whole, and file digests.

import hashlib

_HASH_FUNCTIONS = {"SHA-256": "sha256", "SHA-1": "sha1", "MD5": "md5",
                   "SHA-512": "sha512"}


class _DiscardingFile:
    """A file opened for STOR whose writes are dropped: it stays empty."""

    def __init__(self, real):
        self._real = real

    def write(self, data):
        return len(data)

    def __getattr__(self, name):
        return getattr(self._real, name)


class IntegrityFaults:
    """Mixed into the handler: short, long and dropped transfers, and digests.

      --short-retr N   RETR sends only the first N bytes of the file, then 226
      --long-retr N    RETR sends the file and N extra bytes, then 226
      --drop-stor      STOR reads the upload and discards it (the file is
                       left empty), then 226
      --hash ALGOS     FEAT lists "HASH ALGOS" (e.g. "SHA-256*;SHA-1;MD5", the
                       '*' marking the one selected); OPTS HASH selects,
                       HASH answers "213 <algo> 0-<size> <hex> <path>"
      --xsha           XSHA256 and XSHA1 are offered: "213 <hex>"
      --lie-hash       every digest answered is a wrong one
      --digest-proftpd digests come as ProFTPD's mod_digest sends them: after
                       a "213-Computing ..." line, and XSHA's as "250 <HEX>"
      --no-size        SIZE is an unknown command and FEAT omits it
    """

    short_retr = None
    long_retr = None
    drop_stor = False
    hash_algorithms = ()
    hash_default = None
    lie_hash = False
    digest_proftpd = False
    extra_features = ()

    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self._extra_feats = self._extra_feats + list(self.extra_features)

    def ftp_RETR(self, file):
        if self.short_retr is None and self.long_retr is None:
            return super().ftp_RETR(file)
        try:
            with open(file, "rb") as source:
                data = source.read()
        except OSError as err:
            self.respond("550 %s." % err.strerror)
            return None
        if self.short_retr is not None:
            data = data[:self.short_retr]
        else:
            data += b"+" * self.long_retr
        self.push_dtp_data(data, isproducer=False, cmd="RETR")
        return file

    def ftp_STOR(self, file, mode="w"):
        result = super().ftp_STOR(file, mode)
        if result is not None and self.drop_stor:
            if self.data_channel is not None and self.data_channel.file_obj:
                self.data_channel.file_obj = _DiscardingFile(
                    self.data_channel.file_obj)
            elif self._in_dtp_queue:
                fd, cmd = self._in_dtp_queue
                self._in_dtp_queue = (_DiscardingFile(fd), cmd)
        return result

    def ftp_OPTS(self, line):
        name, _, value = line.partition(" ")
        if name.upper() != "HASH" or not self.hash_algorithms:
            return super().ftp_OPTS(line)
        value = value.strip().upper()
        if value and value not in self.hash_algorithms:
            self.respond("504 Unknown algorithm.")
            return None
        if value:
            self.hash_choice = value
        self.respond("200 " + self._hash_selected())
        return None

    def _hash_selected(self):
        return getattr(self, "hash_choice", None) or self.hash_default

    def _digest(self, path, algorithm):
        digest = hashlib.new(_HASH_FUNCTIONS[algorithm])
        with open(path, "rb") as source:
            for chunk in iter(lambda: source.read(1024 * 1024), b""):
                digest.update(chunk)
        if self.lie_hash:
            digest.update(b"lie")
        return digest.hexdigest()

    def _answer_digest(self, path, algorithm, with_range):
        if not self.fs.isfile(self.fs.realpath(path)):
            self.respond("550 Not a file.")
            return
        try:
            hexdigest = self._digest(path, algorithm)
        except OSError as err:
            self.respond("550 %s." % err.strerror)
            return
        if with_range:
            reply = "213 %s 0-%d %s %s" % (algorithm, os.path.getsize(path),
                                          hexdigest, self.fs.fs2ftp(path))
        else:
            reply = "213 " + hexdigest
        if self.digest_proftpd:
            code = "213" if with_range else "250"
            reply = "%s-Computing %s digest\r\n%s %s" % (
                code, algorithm, code,
                reply[4:] if with_range else hexdigest.upper())
        self.respond(reply)

    def ftp_HASH(self, path):
        self._answer_digest(path, self._hash_selected(), True)

    def ftp_XSHA256(self, path):
        self._answer_digest(path, "SHA-256", False)

    def ftp_XSHA1(self, path):
        self._answer_digest(path, "SHA-1", False)


def add_integrity_options(parser):
    parser.add_argument("--short-retr", type=int, metavar="N")
    parser.add_argument("--long-retr", type=int, metavar="N")
    parser.add_argument("--drop-stor", action="store_true")
    parser.add_argument("--hash", metavar="ALGOS")
    parser.add_argument("--xsha", action="store_true")
    parser.add_argument("--lie-hash", action="store_true")
    parser.add_argument("--digest-proftpd", action="store_true")
    parser.add_argument("--no-size", action="store_true")


def integrity_attributes(args, commands):
    """Handler attributes for the options above; adds commands to `commands`."""
    attributes = dict(short_retr=args.short_retr, long_retr=args.long_retr,
                      drop_stor=args.drop_stor, lie_hash=args.lie_hash,
                      digest_proftpd=args.digest_proftpd)
    if args.no_size:
        commands.pop("SIZE", None)
    features = []
    digest_command = dict(perm="r", auth=True, arg=True,
                          help="Syntax: <SP> file-name (digest of a file).")
    if args.hash:
        names = [name.strip() for name in args.hash.split(";") if name.strip()]
        algorithms = tuple(name.rstrip("*").upper() for name in names)
        chosen = [name.rstrip("*").upper() for name in names
                  if name.endswith("*")]
        attributes.update(hash_algorithms=algorithms,
                          hash_default=(chosen or algorithms)[0])
        commands["HASH"] = digest_command
        features.append("HASH " + args.hash)
    if args.xsha:
        commands["XSHA256"] = digest_command
        commands["XSHA1"] = digest_command
        features += ["XSHA256", "XSHA1"]
    attributes["extra_features"] = tuple(features)
    return attributes

# --- end of transfer integrity faults


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


# --- encryption (explicit FTP over TLS) -------------------------------------

try:
    from OpenSSL import SSL
    from OpenSSL._util import lib as _ssl_lib
    from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler
except ImportError:  # python3-openssl missing: only --tls needs it
    TLS_FTPHandler = None


if TLS_FTPHandler is not None:

    class TlsDTPHandler(FaultyDTPHandler, TLS_DTPHandler):
        """Encrypted data connection.

        pyftpdlib closes a data connection that turns readable before the
        transfer command arrived; a client that starts its TLS handshake at
        once (curl does) would be cut off. While the handshake runs, incoming
        bytes are the handshake's, so they are welcome.
        """

        def readable(self):
            if self._ssl_accepting:
                return True
            return super().readable()

        def handle_read_event(self):
            # FaultyDTPHandler reads in its own handle_read (--fail-stor-after);
            # the handshake and the TLS shutdown go through the TLS layer.
            if self._ssl_accepting or self._ssl_closing:
                return TLS_DTPHandler.handle_read_event(self)
            with self._handle_ssl_want_rw():
                self._ssl_want_read = False
                FaultyDTPHandler.handle_read(self)

        def handle_ssl_established(self):
            # As servers that insist on it do, refuse a data connection that
            # does not resume the control connection's session.
            if not _ssl_lib.SSL_session_reused(self.socket._ssl):
                self._resp = ("522 SSL connection failed: session reuse required",
                              logging.getLogger("pyftpdlib").debug)
                self.cmd_channel._log_event("DATA TLS NEW SESSION")
                self._error = True
                self.close()
            else:
                self.cmd_channel._log_event("DATA TLS RESUMED")
                if self.cmd_channel._command in self.cmd_channel.renegotiations:
                    self.socket.renegotiate()

        def close(self):
            # Marked as failed, the TLS layer skips its shutdown and only
            # closes the socket.
            if self.cmd_channel.data_no_close_notify and self._ssl_established:
                self._error = True
            super().close()

    class TlsFTPHandler(FaultyFTPHandler, TLS_FTPHandler):
        dtp_handler = TlsDTPHandler
        data_no_close_notify = False
        renegotiations = frozenset()
        _command = None

        def _log_event(self, text):
            self._log_command(text, "")

        auth_commands = 0

        def ftp_AUTH(self, line):
            TlsFTPHandler.auth_commands += 1
            if self.tls_first_logon_only and TlsFTPHandler.auth_commands > 1:
                self.respond("502 Command not implemented.")
            else:
                TLS_FTPHandler.ftp_AUTH(self, line)

        def handle(self):
            if self.tls_implicit:
                self._log_event("IMPLICIT TLS")
                self.secure_connection(self.ssl_context)
            super().handle()

        def pre_process_command(self, line, cmd, arg):
            self._command = cmd
            if cmd in self.renegotiations and self._ssl_established \
                    and cmd not in _DATA_COMMANDS:
                self.socket.renegotiate()
            super().pre_process_command(line, cmd, arg)

        def ftp_PBSZ(self, line):
            if self.tls_protect_after_login and not self.authenticated:
                self.respond("530 Please login with USER and PASS.")
            else:
                TLS_FTPHandler.ftp_PBSZ(self, line)


_DATA_COMMANDS = frozenset(("RETR", "LIST", "MLSD", "NLST"))


def _log_renegotiations(context, log_file):
    """Logs every handshake the client completes on a connection which had one.

    OpenSSL also reports a handshake done once the server has sent its
    HelloRequest; only a new Finished message from the client is a new one.
    """
    import weakref
    finished = weakref.WeakKeyDictionary()

    def callback(connection, where, _):
        if not where & SSL.SSL_CB_HANDSHAKE_DONE:
            return
        latest = connection.get_peer_finished()
        earlier = finished.get(connection)
        finished[connection] = latest
        if earlier is not None and latest != earlier and log_file is not None:
            log_file.write("TLS RENEGOTIATED\n")
            log_file.flush()
    context.set_info_callback(callback)


def tls_handler_base(args, attributes):
    """The handler base class for the --tls options, setting `attributes`."""
    if not (args.tls or args.tls_required or args.tls_implicit or args.tls_first_logon_only):
        return FaultyFTPHandler
    if TLS_FTPHandler is None:
        raise SystemExit("--tls needs the python3-openssl package")
    if not args.tls_cert:
        raise SystemExit("--tls needs --tls-cert FILE (see make_test_certificates.py)")
    context = SSL.Context(SSL.TLS_SERVER_METHOD)
    context.set_min_proto_version(SSL.TLS1_2_VERSION)
    renegotiations = _command_names(args.renegotiate)
    if args.tls12 or renegotiations:
        context.set_max_proto_version(SSL.TLS1_2_VERSION)
    if renegotiations:
        _log_renegotiations(context, attributes.get("log_file"))
    context.use_certificate_chain_file(args.tls_cert)
    context.use_privatekey_file(args.tls_cert)
    context.set_session_id(b"corvell-test")
    attributes.update(ssl_context=context,
                      tls_protect_after_login=args.tls_protect_after_login,
                      tls_implicit=args.tls_implicit,
                      tls_first_logon_only=args.tls_first_logon_only,
                      tls_control_required=args.tls_required,
                      tls_data_required=args.tls_required,
                      data_no_close_notify=args.data_no_close_notify,
                      renegotiations=renegotiations)
    commands = dict(attributes["proto_cmds"])
    commands.update({name: TLS_FTPHandler.proto_cmds[name] for name in ("AUTH", "PBSZ", "PROT")})
    attributes["proto_cmds"] = commands
    return TlsFTPHandler


def add_tls_options(parser):
    parser.add_argument("--tls", action="store_true")
    parser.add_argument("--tls-required", action="store_true")
    parser.add_argument("--tls-cert", metavar="FILE")
    parser.add_argument("--tls-protect-after-login", action="store_true")
    parser.add_argument("--tls-implicit", action="store_true")
    parser.add_argument("--tls-first-logon-only", action="store_true")
    parser.add_argument("--tls12", action="store_true")
    parser.add_argument("--data-no-close-notify", action="store_true")
    parser.add_argument("--renegotiate", action="append", default=[],
                        metavar="CMD")

# --- end of encryption -------------------------------------------------------


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
        abor_preliminary=args.abor_preliminary,
        abor_done_first=args.abor_done_first,
        ls_words=args.ls_words,
        tcp_no_delay=not args.nagle,
        end_crosses_abor=args.end_crosses_abor,
        trickles=_command_names(args.trickle),
        floods=_command_names(args.flood),
        huge_listing=args.huge_listing,
        telnet_iac=args.telnet_iac,
        hang_ups=_command_names(args.hang_up),
        oops_in_clear=_command_names(args.oops_in_clear),
        log_times=getattr(args, "log_times", False),
    )
    if args.passive_ports:
        first, _, last = args.passive_ports.partition("-")
        attributes["passive_ports"] = range(int(first), int(last or first) + 1)
    if args.passive_timeout is not None:
        attributes["passive_dtp"] = type("QuickPassiveDTP", (PassiveDTP,), {"timeout": args.passive_timeout})
    if args.idle_close is not None:
        attributes.update(idle_close=args.idle_close,
                          idle_silent=args.idle_close_silent)
    attributes.update(integrity_attributes(args, commands))
    if args.raw_names:
        # File names go out and come in as the bytes they are on disk, as a
        # server on a legacy 8-bit file system sends them.
        attributes.update(encoding="utf8", unicode_errors="surrogateescape")
    base = tls_handler_base(args, attributes)
    if args.rate:
        # The faults (and encryption) come first in the method order and pass
        # every byte on to the throttle, so a slow server can still cut or refuse.
        limit = int(args.rate * 1000 * 1000)
        attributes["dtp_handler"] = type(
            "ThrottledFaultyDTPHandler",
            (base.dtp_handler, ThrottledDTPHandler),
            {"read_limit": limit, "write_limit": limit})
    handler_class = type("ConfiguredFTPHandler", (IntegrityFaults, base),
                         attributes)
    return apply_served_listings(handler_class, args)


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
    parser.add_argument("--idle-close", type=float, metavar="SECONDS")
    parser.add_argument("--idle-close-silent", action="store_true")
    parser.add_argument("--abor-preliminary", action="store_true")
    parser.add_argument("--abor-done-first", action="store_true")
    parser.add_argument("--ls-words", action="store_true")
    parser.add_argument("--nagle", action="store_true")
    parser.add_argument("--end-crosses-abor", action="store_true")
    parser.add_argument("--trickle", action="append", default=[],
                        metavar="CMD")
    parser.add_argument("--flood", action="append", default=[], metavar="CMD")
    parser.add_argument("--huge-listing", type=int, metavar="N")
    parser.add_argument("--telnet-iac", action="store_true")
    parser.add_argument("--hang-up", action="append", default=[],
                        metavar="CMD")
    parser.add_argument("--oops-in-clear", action="append", default=[],
                        metavar="CMD")
    add_served_listing_options(parser)
    add_integrity_options(parser)
    add_tls_options(parser)
    parser.add_argument("--rate", type=float, default=0.0, metavar="MB_PER_S")
    parser.add_argument("--passive-ports", metavar="FIRST-LAST")
    parser.add_argument("--passive-timeout", type=float, metavar="SECONDS")


# --- Served listings ---------------------------------------------------------
# --listing-file PATH answers LIST with the bytes of PATH, read afresh for
# every LIST, and makes MLST/MLSD unknown (FEAT omits MLST), so a client lists
# with LIST. --mlsd-file PATH answers MLSD with the bytes of PATH. Either way
# the listing is served as it is: its names need not exist in --root.

def add_served_listing_options(parser):
    parser.add_argument("--listing-file", metavar="PATH")
    parser.add_argument("--mlsd-file", metavar="PATH")


class ServedListingMixin:
    listing_file = None
    mlsd_file = None

    def _serve_file(self, path, cmd):
        try:
            with open(path, "rb") as served:
                data = served.read()
        except OSError as err:
            self.respond("550 %s." % err.strerror)
            return False
        self.push_dtp_data(data, cmd=cmd)
        return True

    def ftp_LIST(self, path):
        if self.listing_file is None:
            return super().ftp_LIST(path)
        return path if self._serve_file(self.listing_file, "LIST") else None

    def ftp_MLSD(self, path):
        if self.mlsd_file is None:
            return super().ftp_MLSD(path)
        return path if self._serve_file(self.mlsd_file, "MLSD") else None


def apply_served_listings(handler_class, args):
    if not args.listing_file and not args.mlsd_file:
        return handler_class
    attributes = dict(listing_file=args.listing_file, mlsd_file=args.mlsd_file)
    if args.listing_file:
        commands = dict(handler_class.proto_cmds)
        commands.pop("MLST", None)
        commands.pop("MLSD", None)
        attributes["proto_cmds"] = commands
    return type("ServedListingFTPHandler", (ServedListingMixin, handler_class), attributes)


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
    parser.add_argument("--log-times", action="store_true")
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
