#!/usr/bin/python3
"""Demo FTP server for trying Corvell by hand.

Serves a generated sample tree on 127.0.0.1:2121 to user "demo", password
"demo", with full write access. The tree lives in a temporary folder removed
on exit, or in --root (kept; missing sample files are added). It holds nested
folders, one file of every icon kind, names with spaces and non-ASCII
letters, and a 100 MB file so the transfer window has something to show.

The fault options of the test server work here too, together with the
speed limit (--rate MB_PER_S, default 20; 0: no limit), e.g.
    scripts/demo_server.py --cut-after 5000000 --reply DELE=550
Run with /usr/bin/python3: that interpreter has pyftpdlib.
"""

import argparse
import os
import shutil
import signal
import struct
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "tests", "support"))
import ftp_test_server  # noqa: E402

BIG_FILE = "pub/big file 100MB.zip"
BIG_SIZE = 100 * 1000 * 1000

DAY = 24 * 3600

TEXT = "Corvell demo file.\nLine two.\n"


def tiny_bmp():
    """A valid 2x2 24-bit bitmap."""
    pixels = b"\x00\x00\xff\xff\xff\xff\x00\x00" * 2  # rows padded to 4 bytes
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, 2, 2, 1, 24, 0, len(pixels),
                       2835, 2835, 0, 0)
    return header + info + pixels


def tiny_gif():
    """A valid 1x1 transparent GIF."""
    return (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff"
            b"!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01"
            b"\x00\x00\x02\x02D\x01\x00;")


def filler(size, seed):
    """Non-trivial bytes, different per file."""
    block = bytes((seed * 31 + i * 7 + (i >> 8)) & 0xFF for i in range(4096))
    return (block * (size // len(block) + 1))[:size]


# (path, content, age in days): ages spread the dates across the listing,
# including ones older than six months that LIST shows with a year.
SAMPLES = [
    ("readme.txt", TEXT, 1),
    ("welcome.htm", "<html><body><h1>Welcome</h1></body></html>\n", 3),
    ("LICENSE", "Plain file without an extension.\n", 400),
    ("install.bat", "@echo off\r\necho Installing\r\n", 30),
    ("setup.exe", filler(150000, 1), 200),
    ("pub/index.htm", "<html><body>pub</body></html>\n", 2),
    ("pub/changes.log", "2024-01-01 started\n2024-02-01 fixed\n", 5),
    ("pub/archive.zip", filler(48000, 2), 90),
    ("pub/old archive.arj", filler(23000, 3), 1200),
    ("pub/README", "Another file without an extension.\n", 10),
    ("pub/docs/manual.txt", TEXT * 200, 12),
    ("pub/docs/catalog.xml", "<?xml version=\"1.0\"?>\n<catalog/>\n", 40),
    ("pub/docs/site.css", "body { font-family: sans-serif; }\n", 41),
    ("pub/docs/script.js", "console.log('demo');\n", 42),
    ("pub/docs/release notes.txt", TEXT, 43),
    ("pub/images/photo.jpg", b"\xff\xd8\xff\xe0" + filler(35000, 4), 60),
    ("pub/images/picture.bmp", tiny_bmp(), 61),
    ("pub/images/animation.gif", tiny_gif(), 62),
    ("pub/images/holiday photo.jpg", b"\xff\xd8\xff\xe0" + filler(52000, 5),
     500),
    ("music/song.mp3", b"ID3" + filler(400000, 6), 100),
    ("music/sound.wav", b"RIFF" + filler(88000, 7), 101),
    ("music/Café del Mar.mp3", b"ID3" + filler(310000, 8), 102),
    ("music/video.avi", b"RIFF" + filler(700000, 9), 103),
    ("music/clip.mov", filler(650000, 10), 104),
    ("My Documents/letter.txt", "Dear reader,\nhello.\n", 7),
    ("My Documents/budget 2024.xml", "<budget total=\"12\"/>\n", 8),
    ("My Documents/notes", "no extension here\n", 9),
    ("Ünïcödé/Grüße.txt", "Grüße aus Köln.\n", 14),
    ("Ünïcödé/naïve café.htm", "<p>naïve café</p>\n", 15),
    ("Ünïcödé/日本語.txt", "こんにちは\n", 16),
]

EMPTY_FOLDERS = ["incoming", "pub/images/empty folder"]


def write_sample(root, relative, content, age_days, now):
    path = os.path.join(root, relative)
    if os.path.exists(path):
        return
    os.makedirs(os.path.dirname(path), exist_ok=True)
    data = content.encode("utf-8") if isinstance(content, str) else content
    with open(path, "wb") as out:
        out.write(data)
    stamp = now - age_days * DAY
    os.utime(path, (stamp, stamp))


def write_big_file(root):
    path = os.path.join(root, BIG_FILE)
    if os.path.exists(path) and os.path.getsize(path) == BIG_SIZE:
        return
    os.makedirs(os.path.dirname(path), exist_ok=True)
    block = filler(1024 * 1024, 11)
    with open(path, "wb") as out:
        left = BIG_SIZE
        while left > 0:
            chunk = block[:min(left, len(block))]
            out.write(chunk)
            left -= len(chunk)


def build_tree(root):
    now = time.time()
    for relative, content, age in SAMPLES:
        write_sample(root, relative, content, age, now)
    for folder in EMPTY_FOLDERS:
        os.makedirs(os.path.join(root, folder), exist_ok=True)
    write_big_file(root)


def main(argv=None):
    parser = argparse.ArgumentParser(
        description=__doc__.splitlines()[0],
        formatter_class=argparse.RawDescriptionHelpFormatter,
        epilog="\n".join(__doc__.splitlines()[1:]))
    parser.add_argument("--root", help="serve (and fill) this folder "
                        "instead of a temporary one")
    parser.add_argument("--port", type=int, default=2121)
    parser.add_argument("--user", default="demo")
    parser.add_argument("--password", default="demo")
    parser.add_argument("--log", help="append every command received here")
    parser.add_argument("--verbose", action="store_true")
    ftp_test_server.add_fault_options(parser)
    # Slow enough by default that a transfer lasts long enough to watch.
    parser.set_defaults(rate=20.0)
    args = parser.parse_args(argv)

    temporary = None
    if args.root:
        root = os.path.abspath(args.root)
        os.makedirs(root, exist_ok=True)
    else:
        temporary = tempfile.mkdtemp(prefix="corvell-demo-")
        root = temporary

    # SIGTERM (run.sh stopping us) and Ctrl+C end the loop; a second signal
    # must not cut the clean-up short and leave the sample tree behind.
    def stop(*_):
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        raise SystemExit(0)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    try:
        build_tree(root)
        ftp_test_server.quiet_logging(args.verbose)
        log_file = None
        if args.log:
            log_file = open(args.log, "a", encoding="utf-8", errors="replace")
        handler_class = ftp_test_server.make_handler_class(args, log_file)
        handler_class.banner = "Corvell demo server ready."
        try:
            server = ftp_test_server.make_server(
                root, args.user, args.password, handler_class,
                port=args.port)
        except OSError as error:
            print("demo_server: cannot listen on 127.0.0.1:%d: %s"
                  % (args.port, error.strerror), file=sys.stderr)
            return 1
        print("Demo FTP server on 127.0.0.1:%d, user %s, password %s, "
              "serving %s" % (server.address[1], args.user, args.password,
                              root), flush=True)
        try:
            server.serve_forever(handle_exit=False)
        except SystemExit:
            pass
        finally:
            server.close_all()
    except SystemExit:
        pass
    finally:
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        if temporary:
            shutil.rmtree(temporary, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
