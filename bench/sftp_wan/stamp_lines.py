#!/usr/bin/python3
"""Copies lines from a named pipe to a file, each led by its arrival time.

  stamp_lines.py PIPE OUT

The pipe is opened for writing too, so that it never reaches its end between
two sftp-server processes: the benchmark stops this one when it is done."""

import os
import sys
import time

pipe = os.open(sys.argv[1], os.O_RDWR)
with os.fdopen(pipe, "rb", buffering=0) as source, open(sys.argv[2], "a", buffering=1) as out:
    pending = b""
    while True:
        chunk = source.read(65536)
        if not chunk:
            break
        now = time.time()
        pending += chunk
        *lines, pending = pending.split(b"\n")
        for line in lines:
            out.write("%.6f %s\n" % (now, line.decode("utf-8", "replace")))
