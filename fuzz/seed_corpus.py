#!/usr/bin/python3
"""Writes the fuzz targets' seed corpora from the test tables.

Every C++ string literal in the tests of a parser is a line some server sent
(or a bad line a test made up): those are the best starting points for the
fuzzer. Cursor files are binary, so their seeds are made here: one of each
kind the reader knows, and the shipped hand pointer. Seeds go to
OUTPUT/<target>/, one file each, named by the SHA-1 of their bytes as
libFuzzer names its own, so running this again adds only what the tables
gained.

The seeds are generated, never kept in the repository: the build writes them
into its own folder for the replay tests, scripts/fuzz.sh into build-fuzz/.

Usage: fuzz/seed_corpus.py OUTPUT
"""

import glob
import hashlib
import os
import re
import struct
import sys
import zlib

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

LITERAL = re.compile(r'(?<![A-Za-z0-9_])"((?:[^"\\\n]|\\.)*)"')
CASE_NAME = re.compile(rb"[a-z0-9]+(_[a-z0-9]+)+")
SIMPLE_ESCAPES = {"n": 10, "r": 13, "t": 9, "0": 0, "\\": 92, '"': 34, "'": 39, "a": 7, "b": 8,
                  "f": 12, "v": 11, "?": 63}


def unescape(body):
    out = bytearray()
    i = 0
    while i < len(body):
        c = body[i]
        if c != "\\":
            out += c.encode("utf-8")
            i += 1
            continue
        kind = body[i + 1]
        if kind == "x":
            j = i + 2
            while j < len(body) and body[j] in "0123456789abcdefABCDEF":
                j += 1
            out.append(int(body[i + 2:j], 16) & 0xFF)
            i = j
        elif kind in "01234567":
            j = i + 1
            while j < len(body) and j < i + 4 and body[j] in "01234567":
                j += 1
            out.append(int(body[i + 1:j], 8) & 0xFF)
            i = j
        else:
            out.append(SIMPLE_ESCAPES.get(kind, ord(kind)))
            i += 2
    return bytes(out)


def literals(patterns):
    """The string literals of the files, adjacent literals joined as C++ joins them."""
    found = []
    for pattern in patterns:
        for path in sorted(glob.glob(os.path.join(REPO, pattern))):
            source = open(path, encoding="utf-8").read()
            previous_end, current = None, None
            for match in LITERAL.finditer(source):
                joined = previous_end is not None and source[previous_end:match.start()].strip() == ""
                if joined:
                    current += unescape(match.group(1))
                else:
                    if current is not None:
                        found.append(current)
                    current = unescape(match.group(1))
                previous_end = match.end()
            if current is not None:
                found.append(current)
    # Names of cases ("vsftpd_symlink_is_file") and of headers are no server text.
    return [text for text in dict.fromkeys(found)
            if len(text) > 2 and not text.endswith(b".h") and not CASE_NAME.fullmatch(text)]


def write(corpus, target, seeds):
    folder = os.path.join(corpus, target)
    os.makedirs(folder, exist_ok=True)
    for seed in seeds:
        path = os.path.join(folder, hashlib.sha1(seed).hexdigest())
        if not os.path.exists(path):
            with open(path, "wb") as out:
                out.write(seed)


def bodies(lines, size=6):
    """Whole listings: runs of consecutive lines, CRLF and LF ended."""
    groups = [lines[i:i + size] for i in range(0, len(lines), size)] + [lines]
    return [ending.join(group) + ending for group in groups for ending in (b"\r\n", b"\n")]


def dib(width, height, bit_count, with_mask=True):
    """A cursor image as Windows stores it: header, colour table, colour rows
    and AND mask rows, both bottom-up, the height counting both bitmaps."""
    colours = b"".join(struct.pack("<BBBB", 40 * i % 256, 90 * i % 256, 150 * i % 256, 0)
                       for i in range(1 << bit_count)) if bit_count <= 8 else b""
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bit_count, 0, 0, 0, 0, 0, 0)
    colour_stride = (width * bit_count + 31) // 32 * 4
    mask_stride = (width + 31) // 32 * 4
    rows = bytes((7 * i) % 256 for i in range(colour_stride * height))
    mask = bytes(0xF0 if i % 3 else 0x0F for i in range(mask_stride * height)) if with_mask else b""
    return header + colours + rows + mask


def png(width, height):
    """An RGBA PNG of the given size, the other image kind a cursor may hold."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + bytes((x * 9 + y * 5) % 256 for x in range(width * 4)) for y in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def cursor(images):
    """A .CUR file: an icon directory of type 2 whose entries hold the hot spots."""
    directory = struct.pack("<HHH", 0, 2, len(images))
    offset = 6 + 16 * len(images)
    payloads = b""
    for width, payload, hot_x, hot_y in images:
        directory += struct.pack("<BBBBHHII", width % 256, width % 256, 0, 0, hot_x, hot_y,
                                 len(payload), offset + len(payloads))
        payloads += payload
    return directory + payloads


def cursors():
    seeds = [cursor([(16, dib(16, 16, bits), 3, 4)]) for bits in (1, 4, 8, 24, 32)]
    seeds.append(cursor([(8, dib(8, 8, 32, with_mask=False), 1, 1)]))
    seeds.append(cursor([(16, png(16, 16), 0, 0)]))
    seeds.append(cursor([(8, dib(8, 8, 1), 0, 0), (32, dib(32, 32, 4), 30, 2)]))
    with open(os.path.join(REPO, "src", "resources", "HAND-M.CUR"), "rb") as shipped:
        seeds.append(shipped.read())
    return seeds


def sftp_answers():
    """SFTP answers as servers send them, each alone and all in one stream,
    with some cut short: the message parser's starting points."""
    def u32(value):
        return struct.pack(">I", value)

    def string(data):
        return u32(len(data)) + data

    def message(kind, ident, rest):
        body = bytes([kind]) + u32(ident) + rest
        return u32(len(body)) + body

    def attributes(size, permissions, extended=()):
        flags = 0x0F | (0x80000000 if extended else 0)
        out = u32(flags) + struct.pack(">Q", size) + u32(1000) + u32(1000) + u32(permissions)
        out += u32(1700000000) + u32(1700000001)
        if extended:
            out += u32(len(extended)) + b"".join(string(k) + string(v) for k, v in extended)
        return out

    version = u32(5) + bytes([2]) + u32(3)
    version_extended = bytes([2]) + u32(3) + string(b"posix-rename@openssh.com") + string(b"1")
    version_extended = u32(len(version_extended)) + version_extended
    listing = message(104, 7, u32(2)
                      + string(b".") + string(b"drwxr-xr-x    2 user     user         4096 Nov 14 22:13 .")
                      + attributes(4096, 0o40755)
                      + string(b"notes.txt")
                      + string(b"-rw-r--r--    1 user     user           12 Nov 14 22:13 notes.txt")
                      + attributes(12, 0o100644))
    answers = [
        version, version_extended, listing,
        message(101, 3, u32(1) + string(b"End of file") + string(b"")),
        message(101, 4, u32(0)),
        message(102, 5, string(b"\0\0\0\1")),
        message(103, 6, string(b"a\0b\r\n" * 20)),
        message(104, 8, u32(1) + string(b"/home/user") + string(b"") + u32(0)),
        message(105, 9, attributes(77, 0o100600, [(b"acl@example.com", b"u::rw-")])),
        message(105, 10, u32(0x08) + u32(1) + u32(1700000002)),
    ]
    return answers + [b"".join(answers)] + [answer[:len(answer) - 3] for answer in answers]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip())
    corpus = sys.argv[1]
    listing = literals(["tests/ftp/*listing*.cpp", "tests/ftp/listing/*.cpp"])
    replies = literals(["tests/ftp/test_reply.cpp"])
    names = literals(["tests/main_window/test_remote_names.cpp"])

    # Every line parser declared in fuzz/CMakeLists.txt starts from every line.
    declared = open(os.path.join(REPO, "fuzz", "CMakeLists.txt"), encoding="utf-8").read()
    for name in re.findall(r"^corvell_fuzz_listing_line\((\w+)", declared, re.MULTILINE):
        write(corpus, "listing_" + name, listing)
    write(corpus, "listing_mlsd", bodies([line for line in listing if b"=" in line]))
    write(corpus, "listing_list", bodies([line for line in listing if b"=" not in line]))
    for target in ("reply_pasv", "reply_epsv", "reply_pwd"):
        write(corpus, target, replies)
    write(corpus, "reply_reader", [reply + b"\r\n" for reply in replies] + bodies(replies, 4))
    write(corpus, "remote_names", names)
    write(corpus, "cursor_file", cursors())
    write(corpus, "sftp_messages", sftp_answers())


if __name__ == "__main__":
    main()
