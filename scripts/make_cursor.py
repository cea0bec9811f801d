#!/usr/bin/env python3
"""Writes src/resources/HAND-M.CUR: the 32x32 hand pointer shown over buttons.

The file is a classic monochrome Windows cursor: an icon directory of type 2
whose one entry carries the hot spot, then a DIB with a two-colour table, the
colour bitmap and the AND (transparency) mask, both bottom-up, the DIB height
counting both bitmaps. Only the outline is drawn below; everything the outside
cannot reach without crossing it is filled white.

Usage: make_cursor.py [output path]
"""
import os
import struct
import sys

OUTLINE = """
.....XX...........
....X..X..........
....X..X..........
....X..X..........
....X..X..........
....X..XXX........
....X..X..XXX.....
....X..X..X..XX...
....X..X..X..X.X..
.XX.X..X..X..X..X.
X..XX........X..X.
X...X...........X.
.X..............X.
..X.............X.
..X............X..
...X...........X..
...X..........X...
....X.........X...
....X.........X...
.....X.......X....
.....X.......X....
.....XXXXXXXXX....
"""

SIZE = 32
LEFT, TOP = 7, 2          # where the drawing sits in the 32x32 cell
TIP = (5, 0)              # the index fingertip in the drawing: the hot spot


def picture():
    """Returns a SIZE x SIZE grid of 'X' (black), 'o' (white) and '.' (clear)."""
    rows = [line for line in OUTLINE.strip("\n").split("\n")]
    grid = [["." for _ in range(SIZE)] for _ in range(SIZE)]
    for y, line in enumerate(rows):
        for x, mark in enumerate(line):
            grid[TOP + y][LEFT + x] = mark
    # Flood the outside (4-neighbours) from the border; the rest is the hand.
    outside = set()
    todo = [(x, y) for x in range(SIZE) for y in (0, SIZE - 1)] + \
           [(x, y) for y in range(SIZE) for x in (0, SIZE - 1)]
    while todo:
        x, y = todo.pop()
        if not (0 <= x < SIZE and 0 <= y < SIZE) or (x, y) in outside or grid[y][x] == "X":
            continue
        outside.add((x, y))
        todo += [(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)]
    for y in range(SIZE):
        for x in range(SIZE):
            if grid[y][x] != "X" and (x, y) not in outside:
                grid[y][x] = "o"
    return grid


def bitmap_rows(grid, bit):
    """1-bit rows, bottom-up, each padded to 4 bytes; bit(mark) gives the bit."""
    data = b""
    for y in reversed(range(SIZE)):
        value = 0
        for x in range(SIZE):
            value = value << 1 | bit(grid[y][x])
        data += value.to_bytes(SIZE // 8, "big")
    return data


def cursor_bytes():
    grid = picture()
    colours = bitmap_rows(grid, lambda mark: 1 if mark == "o" else 0)
    mask = bitmap_rows(grid, lambda mark: 1 if mark == "." else 0)
    table = struct.pack("<4B4B", 0, 0, 0, 0, 255, 255, 255, 0)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0,
                         len(colours) + len(mask), 0, 0, 2, 0)
    dib = header + table + colours + mask
    hot_x, hot_y = LEFT + TIP[0], TOP + TIP[1]
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, hot_x, hot_y, len(dib), 6 + 16)
    return directory + entry + dib


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else \
        os.path.join(here, "..", "src", "resources", "HAND-M.CUR")
    with open(target, "wb") as out:
        out.write(cursor_bytes())
    for row in picture():
        print("".join(row).replace(".", " "))


if __name__ == "__main__":
    main()
