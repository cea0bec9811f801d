#!/usr/bin/python3
"""A slow link in user space, between FTP clients and one FTP server.

  wan_proxy.py --upstream-port N [--passive FIRST-LAST] --rtt-ms MS
               [--to-server-ms MS --to-client-ms MS]
               [--listen ::1] [--upstream 127.0.0.1]

Listens on --listen: on a free port for the control connection (printed as
"PORT <n>" on the first line of output) and on every port FIRST..LAST, where
the server (started with --passive-ports FIRST-LAST) opens its passive data
connections. Each accepted connection is forwarded to the same port of
--upstream (the control port to --upstream-port). As EPSV names only a port,
a client talking to --listen opens its data connections through the proxy too,
and nothing in the replies needs rewriting: this works the same inside TLS.
Clients on IPv6 (--listen ::1) ask EPSV, never PASV.

Each direction is a delay line: a chunk read at time t is written at
t + delay, in order, so the delay costs round trips but caps no throughput.
End of stream (and a reset, taken as an end) travels the same way.

A new connection costs what a TCP handshake costs on a real link only in
part here: loopback completes the client's connect() at once. The client's
side of it (SYN out, SYN-ACK back: one round trip) is added by
connect_delay.so, preloaded into the client; the proxy adds the last leg,
the ACK's trip to the server, by connecting upstream only --to-server-ms
after it accepted. The server therefore sees the connection, and the
client's first bytes, one and a half round trips after the client called
connect(), as over a real link.

The proxy stops when its standard input reaches end of file, and on SIGTERM.
"""

import argparse
import asyncio
import os
import signal
import sys
import threading

CHUNK = 256 * 1024
# Bytes one direction may hold in flight before it stops reading: far above
# what a round trip at these delays needs, low enough to bound memory.
HELD_LIMIT = 64 * 1024 * 1024


class DelayLine:
    """Chunks from one socket, each written to the other at arrival + delay."""

    def __init__(self, delay):
        self.delay = delay
        self.chunks = asyncio.Queue()
        self.held = 0
        self.room = asyncio.Event()
        self.room.set()

    async def take_in(self, reader):
        loop = asyncio.get_running_loop()
        while True:
            try:
                data = await reader.read(CHUNK)
            except (ConnectionError, OSError):
                data = b""
            self.chunks.put_nowait((loop.time() + self.delay, data))
            if not data:
                return
            self.held += len(data)
            if self.held > HELD_LIMIT:
                self.room.clear()
                await self.room.wait()

    async def give_out(self, writer):
        loop = asyncio.get_running_loop()
        while True:
            due, data = await self.chunks.get()
            wait = due - loop.time()
            if wait > 0:
                await asyncio.sleep(wait)
            if not data:
                try:
                    if writer.can_write_eof():
                        writer.write_eof()
                except (ConnectionError, OSError, RuntimeError):
                    pass
                return
            self.held -= len(data)
            if self.held <= HELD_LIMIT:
                self.room.set()
            try:
                writer.write(data)
                await writer.drain()
            except (ConnectionError, OSError, RuntimeError):
                # The far end is gone; keep draining so the other side ends.
                pass


class Link:
    def __init__(self, args):
        self.args = args

    async def serve(self, client_reader, client_writer, upstream_port):
        loop = asyncio.get_running_loop()
        accepted = loop.time()
        to_server = DelayLine(self.args.to_server_ms / 1000.0)
        to_client = DelayLine(self.args.to_client_ms / 1000.0)
        tasks = [asyncio.ensure_future(to_server.take_in(client_reader))]
        server_writer = None
        try:
            # The handshake's last leg: the client's ACK reaching the server.
            wait = accepted + to_server.delay - loop.time()
            if wait > 0:
                await asyncio.sleep(wait)
            try:
                server_reader, server_writer = await asyncio.open_connection(
                    self.args.upstream, upstream_port)
            except OSError:
                return
            tasks += [asyncio.ensure_future(to_server.give_out(server_writer)),
                      asyncio.ensure_future(to_client.take_in(server_reader)),
                      asyncio.ensure_future(to_client.give_out(client_writer))]
            await asyncio.gather(*tasks[1:])
            await tasks[0]
        finally:
            for task in tasks:
                task.cancel()
            for writer in (client_writer, server_writer):
                if writer is not None:
                    writer.close()

    async def listen(self, port, upstream_port):
        async def accept(reader, writer):
            await self.serve(reader, writer, upstream_port)
        return await asyncio.start_server(accept, self.args.listen, port,
                                          reuse_address=True, backlog=64)


async def run(args):
    link = Link(args)
    servers = []
    if args.passive:
        first, _, last = args.passive.partition("-")
        for port in range(int(first), int(last or first) + 1):
            servers.append(await link.listen(port, port))
    control = await link.listen(0, args.upstream_port)
    servers.append(control)
    sys.stdout.write("PORT %d\n" % control.sockets[0].getsockname()[1])
    sys.stdout.flush()
    await asyncio.Event().wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--listen", default="::1")
    parser.add_argument("--upstream", default="127.0.0.1")
    parser.add_argument("--upstream-port", type=int, required=True)
    # SFTP needs none: everything crosses the one connection.
    parser.add_argument("--passive", default="", metavar="FIRST-LAST")
    parser.add_argument("--rtt-ms", type=float, default=0.0)
    parser.add_argument("--to-server-ms", type=float)
    parser.add_argument("--to-client-ms", type=float)
    args = parser.parse_args()
    if args.to_server_ms is None:
        args.to_server_ms = args.rtt_ms / 2
    if args.to_client_ms is None:
        args.to_client_ms = args.rtt_ms / 2

    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))

    def watch_stdin():
        try:
            while sys.stdin.buffer.read(4096):
                pass
        except (OSError, ValueError):
            pass
        os._exit(0)
    threading.Thread(target=watch_stdin, daemon=True).start()
    try:
        asyncio.run(run(args))
    except OSError as err:
        sys.stderr.write("wan_proxy: %s\n" % err)
        sys.exit(1)


if __name__ == "__main__":
    main()
