#!/usr/bin/python3
"""A scripted SFTP server for the tests, built on asyncssh, with switchable
faults that a real sshd cannot be made to show.

Serves --root to user "test" / password "secret" on 127.0.0.1 with a free
port, with the host key --host-key (made when missing), and prints
"PORT <n>" as its first line of output. The server stops when its standard
input reaches end of file (so a crashed test never leaves it behind).

Switches:
  --log FILE             append "AUTH <method>" for each logon attempt the
                         client makes (none, password, keyboard-interactive)
  --kbdint-only          passwords only by keyboard-interactive, asked with
                         an echoed "Name:" and a hidden "Password:" prompt
  --kbdint-second-factor keyboard-interactive only: a "Password:" round, then
                         a round named "Second factor" asking a hidden
                         "Verification code: " (123456) and an echoed
                         "Site: " (corvell)
  --kbdint-loop          keyboard-interactive only, asking "Code: " for ever
  --short-reads N        answer every read with at most N bytes
  --fail-close NAME      answer the close of a file named NAME with a failure
  --fstat-off-by N       report N bytes more than a file holds to FSTAT
  --refuse-setstat       refuse every FSETSTAT, as a server that cannot
                         change an open file's size
  --listing FILE         every folder lists the names in FILE (one a line, in
                         hex, so that any bytes can be a name) as plain files
Faults:
  --stall-kex            accept the connection, then say nothing at all
  --stall REQUEST        never answer REQUEST: open, read, write, close,
                         opendir (a listing), stat, remove, mkdir
  --die-after N          the server process ends at once, without a word,
                         once it has served N bytes of reads
  --endless-listing HOW  answer every READDIR with fresh names, never the
                         end: "fast" (1,000 names an answer at full speed),
                         "long" (100 names of 4,000 bytes), "slow" (one name
                         every half second)
  --wrong-ids HOW        answer READDIR and READ with statuses for requests never made,
                         for ever: "fast" (at full speed) or "slow" (one every
                         0.2 s, each well within any time-out)
"""

import argparse
import asyncio
import os
import sys
import warnings

warnings.simplefilter("ignore")
import asyncssh  # noqa: E402


def parse():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--host-key", required=True)
    parser.add_argument("--stall-kex", action="store_true")
    parser.add_argument("--stall", action="append", default=[])
    parser.add_argument("--die-after", type=int)
    parser.add_argument("--log")
    parser.add_argument("--kbdint-only", action="store_true")
    parser.add_argument("--kbdint-second-factor", action="store_true")
    parser.add_argument("--kbdint-loop", action="store_true")
    parser.add_argument("--short-reads", type=int)
    parser.add_argument("--fail-close")
    parser.add_argument("--fstat-off-by", type=int, default=0)
    parser.add_argument("--refuse-setstat", action="store_true")
    parser.add_argument("--listing")
    parser.add_argument("--endless-listing", choices=["fast", "long", "slow"])
    parser.add_argument("--wrong-ids", choices=["fast", "slow"])
    return parser.parse_args()


OPTIONS = parse()
SERVED = [0]


async def forever():
    await asyncio.sleep(3600 * 24)


def log(line):
    if OPTIONS.log:
        with open(OPTIONS.log, "a") as file:
            file.write(line + "\n")


class Server(asyncssh.SSHServer):
    def begin_auth(self, username):
        log("AUTH none")
        return True

    def password_auth_supported(self):
        return not (OPTIONS.kbdint_only or OPTIONS.kbdint_second_factor or OPTIONS.kbdint_loop)

    def validate_password(self, username, password):
        log("AUTH password")
        return username == "test" and password == "secret"

    def kbdint_auth_supported(self):
        return OPTIONS.kbdint_only or OPTIONS.kbdint_second_factor or OPTIONS.kbdint_loop

    def get_kbdint_challenge(self, username, lang, submethods):
        log("AUTH keyboard-interactive")
        self.round = 0
        if OPTIONS.kbdint_loop:
            return "", "", "", [("Code: ", False)]
        if OPTIONS.kbdint_second_factor:
            return "", "", "", [("Password: ", False)]
        return "", "", "", [("Name: ", True), ("Password: ", False)]

    def validate_kbdint_response(self, username, responses):
        self.round += 1
        if OPTIONS.kbdint_loop:
            return "", "", "", [("Code: ", False)]
        if OPTIONS.kbdint_second_factor:
            if self.round == 1:
                if responses != ["secret"]:
                    return False
                return ("Second factor", "Enter the code sent to your phone.", "",
                        [("Verification code: ", False), ("Site: ", True)])
            return responses == ["123456", "corvell"]
        return username == "test" and len(responses) == 2 and responses[1] == "secret"


class Files(asyncssh.SFTPServer):
    def __init__(self, channel):
        super().__init__(channel, chroot=OPTIONS.root.encode())

    async def _maybe_stall(self, name):
        if name in OPTIONS.stall:
            await forever()

    async def read(self, file_obj, offset, size):
        await self._maybe_stall("read")
        if OPTIONS.short_reads:
            size = min(size, OPTIONS.short_reads)
        data = super().read(file_obj, offset, size)
        SERVED[0] += len(data)
        if OPTIONS.die_after is not None and SERVED[0] >= OPTIONS.die_after:
            os._exit(0)
        return data

    async def write(self, file_obj, offset, data):
        await self._maybe_stall("write")
        return super().write(file_obj, offset, data)

    async def open(self, path, pflags, attrs):
        await self._maybe_stall("open")
        file_obj = super().open(path, pflags, attrs)
        self._names = getattr(self, "_names", {})
        self._names[id(file_obj)] = os.path.basename(path.decode())
        return file_obj

    async def close(self, file_obj):
        await self._maybe_stall("close")
        name = getattr(self, "_names", {}).pop(id(file_obj), None)
        super().close(file_obj)
        if OPTIONS.fail_close and name == OPTIONS.fail_close:
            raise asyncssh.SFTPFailure("deferred write error")

    def fstat(self, file_obj):
        attrs = asyncssh.SFTPAttrs.from_local(super().fstat(file_obj))
        if OPTIONS.fstat_off_by:
            attrs.size += OPTIONS.fstat_off_by
        return attrs

    def fsetstat(self, file_obj, attrs):
        if OPTIONS.refuse_setstat:
            raise asyncssh.SFTPOpUnsupported("setting attributes is not supported")
        return super().fsetstat(file_obj, attrs)

    async def listdir(self, path):
        await self._maybe_stall("opendir")
        if OPTIONS.listing:
            with open(OPTIONS.listing) as lines:
                return [plain_file(bytes.fromhex(line.strip())) for line in lines]
        return super().listdir(path)

    async def stat(self, path):
        await self._maybe_stall("stat")
        return super().stat(path)

    async def remove(self, path):
        await self._maybe_stall("remove")
        return super().remove(path)

    async def mkdir(self, path, attrs):
        await self._maybe_stall("mkdir")
        return super().mkdir(path, attrs)


def plain_file(name):
    return asyncssh.SFTPName(name, b"-rw-r--r-- 1 test test 1 Jan  1 00:00 " + name,
                             asyncssh.SFTPAttrs(permissions=0o100644, size=1))


FRESH = [0]


def fresh_names(count, length):
    names = []
    for _ in range(count):
        FRESH[0] += 1
        names.append(plain_file(str(FRESH[0]).encode().rjust(length, b"n")))
    return names


async def endless_readdir(handler, packet):
    packet.get_string()
    if OPTIONS.endless_listing == "slow":
        await asyncio.sleep(0.5)
        return fresh_names(1, 8), False
    if OPTIONS.endless_listing == "long":
        return fresh_names(100, 4000), False
    return fresh_names(1000, 12), False


async def wrong_ids(handler, packet):
    status_ok = bytes(4) + bytes(4) + bytes(4)
    stray = 0x40000000
    while True:
        stray += 1
        handler.send_packet(asyncssh.sftp.FXP_STATUS, stray, status_ok)
        await asyncio.sleep(0.2 if OPTIONS.wrong_ids == "slow" else 0)


if OPTIONS.endless_listing:
    asyncssh.sftp.SFTPServerHandler._packet_handlers[asyncssh.sftp.FXP_READDIR] = endless_readdir
if OPTIONS.wrong_ids:
    for request in (asyncssh.sftp.FXP_READDIR, asyncssh.sftp.FXP_READ):
        asyncssh.sftp.SFTPServerHandler._packet_handlers[request] = wrong_ids


async def silent(reader, writer):
    await forever()


async def main():
    if not os.path.exists(OPTIONS.host_key):
        asyncssh.generate_private_key("ssh-ed25519").write_private_key(OPTIONS.host_key)
    if OPTIONS.stall_kex:
        server = await asyncio.start_server(silent, "127.0.0.1", 0)
        port = server.sockets[0].getsockname()[1]
    else:
        server = await asyncssh.listen("127.0.0.1", 0, server_factory=Server,
                                       server_host_keys=[OPTIONS.host_key],
                                       sftp_factory=Files, allow_scp=False)
        port = server.sockets[0].getsockname()[1]
    print("PORT", port, flush=True)
    loop = asyncio.get_running_loop()
    stdin_closed = loop.create_future()
    loop.add_reader(sys.stdin.fileno(),
                    lambda: stdin_closed.done() or (os.read(sys.stdin.fileno(), 4096) or stdin_closed.set_result(None)))
    await stdin_closed


asyncio.run(main())
