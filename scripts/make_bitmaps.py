#!/usr/bin/env python3
"""Writes the program's own images into resources/ as XPM files.

KUKA marks a deleted record (a red cross over a small bin), INFO a live one
(a blue "i" in a circle), VORTEL is the program icon. Cells draw the marks
with an AND operation, so their background is white: white leaves the cell
as it was.
"""
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources")


def write_xpm(name, pixels, palette):
    height = len(pixels)
    width = len(pixels[0])
    lines = [f'"{width} {height} {len(palette)} 1",']
    lines += [f'"{key} c {value}",' for key, value in palette.items()]
    lines += [f'"{row}",' for row in pixels]
    lines[-1] = lines[-1].rstrip(",")
    text = "/* XPM */\nstatic const char* %s[] = {\n%s\n};\n" % (name.lower(), "\n".join(lines))
    with open(os.path.join(OUT, name.lower() + ".xpm"), "w", encoding="ascii") as out:
        out.write(text)


def kuka():
    size = 16
    grid = [["." for _ in range(size)] for _ in range(size)]
    # The bin: a lid and a body with ribs, in dark grey.
    for x in range(3, 13):
        grid[3][x] = "g"
    for x in range(6, 10):
        grid[2][x] = "g"
    for y in range(4, 15):
        grid[y][4] = "g"
        grid[y][11] = "g"
    for x in range(4, 12):
        grid[14][x] = "g"
    for y in range(6, 13):
        grid[y][7] = "g"
        grid[y][8] = "g"
    # The red cross over it, two pixels thick.
    for i in range(1, 15):
        for d in (0, 1):
            if 0 <= i + d < size:
                grid[i][i + d] = "r"
                grid[i][size - 1 - i - d] = "r"
    return ["".join(row) for row in grid]


def info():
    size = 16
    grid = [["." for _ in range(size)] for _ in range(size)]
    cx = cy = 7.5
    for y in range(size):
        for x in range(size):
            if math.hypot(x - cx, y - cy) <= 7.2:
                grid[y][x] = "b"
    for y, x0, x1 in ((3, 7, 8), (4, 7, 8)):
        for x in range(x0, x1 + 1):
            grid[y][x] = "."
    for y in range(6, 13):
        grid[y][7] = "."
        grid[y][8] = "."
    grid[6][6] = "."
    for x in range(6, 10):
        grid[12][x] = "."
    return ["".join(row) for row in grid]


def icon():
    size = 32
    grid = [["." for _ in range(size)] for _ in range(size)]
    # A small table: a blue heading row over white rows with grey lines.
    for y in range(4, 28):
        for x in range(2, 30):
            if y < 10:
                grid[y][x] = "b"
            elif y in (4, 27) or x in (2, 29) or (y - 10) % 6 == 0 or x in (12, 21):
                grid[y][x] = "g"
            else:
                grid[y][x] = "w"
    # A yellow current cell with a red mark.
    for y in range(17, 22):
        for x in range(13, 21):
            grid[y][x] = "y"
    for x in range(14, 20):
        grid[19][x] = "r"
    return ["".join(row) for row in grid]


write_xpm("KUKA", kuka(), {".": "#FFFFFF", "g": "#505050", "r": "#E00000"})
write_xpm("INFO", info(), {".": "#FFFFFF", "b": "#2060C0"})
write_xpm("VORTEL", icon(), {".": "None", "b": "#008080", "g": "#808080",
                             "w": "#FFFFFF", "y": "#FFFF00", "r": "#FF0000"})
