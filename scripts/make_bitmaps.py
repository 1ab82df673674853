#!/usr/bin/env python3
"""Writes the program's own images into resources/ as XPM files.

KUKA marks a deleted record (a red cross over a small bin), INFO a live one
(a blue "i" in a circle), VORTEL is the program icon. FIRST, PREV, NEXT,
LAST, LEFTTOP, ZOOM, PRINT and EXIT are the preview's toolbar buttons. Cells draw the marks
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


def blank(size=32):
    return [["." for _ in range(size)] for _ in range(size)]


def triangle(grid, tip_x, base_x, half, colour="k"):
    """A filled triangle pointing left (tip_x < base_x) or right, centred at 16."""
    step = 1 if base_x > tip_x else -1
    length = abs(base_x - tip_x)
    for i in range(length + 1):
        x = tip_x + i * step
        reach = round(half * i / length)
        for y in range(16 - reach, 16 + reach + 1):
            grid[y][x] = colour


def bar(grid, x0, x1, colour="k"):
    for y in range(6, 27):
        for x in range(x0, x1 + 1):
            grid[y][x] = colour


def first():
    grid = blank()
    bar(grid, 6, 8)
    triangle(grid, 10, 25, 10)
    return ["".join(row) for row in grid]


def prev():
    grid = blank()
    triangle(grid, 8, 24, 10)
    return ["".join(row) for row in grid]


def next_page():
    grid = blank()
    triangle(grid, 24, 8, 10)
    return ["".join(row) for row in grid]


def last():
    grid = blank()
    triangle(grid, 22, 7, 10)
    bar(grid, 24, 26)
    return ["".join(row) for row in grid]


def lefttop():
    grid = blank()
    # A page corner with an arrow pointing into it.
    for i in range(4, 28):
        grid[4][i] = grid[i][4] = "g"
        grid[5][i] = grid[i][5] = "g"
    for i in range(8, 24):
        grid[i][i] = grid[i][i + 1] = "k"
    for i in range(8, 16):
        grid[8][i] = grid[9][i] = "k"
        grid[i][8] = grid[i][9] = "k"
    return ["".join(row) for row in grid]


def zoom():
    grid = blank()
    # A magnifying glass with a plus and a minus on its lens.
    for y in range(32):
        for x in range(32):
            d = math.hypot(x - 13, y - 13)
            if 7.5 <= d <= 10:
                grid[y][x] = "k"
            elif d < 7.5:
                grid[y][x] = "c"
    for i in range(0, 9):
        for w in range(-1, 2):
            if 0 <= 20 + i + w < 32:
                grid[20 + i][20 + i + w] = "k"
    for x in range(9, 18):
        grid[13][x] = "k"
    for y in range(9, 13):
        grid[y][13] = "k"
    return ["".join(row) for row in grid]


def printer():
    grid = blank()
    for y in range(4, 13):
        for x in range(9, 23):
            grid[y][x] = "w" if y > 4 and 9 < x < 22 else "g"
    for y in range(12, 23):
        for x in range(4, 28):
            grid[y][x] = "g"
    for x in range(22, 26):
        grid[15][x] = "r"
    for y in range(19, 29):
        for x in range(9, 23):
            grid[y][x] = "w" if y < 28 and 9 < x < 22 else "k"
    for y in (22, 24, 26):
        for x in range(11, 21):
            grid[y][x] = "k"
    return ["".join(row) for row in grid]


def exit_door():
    grid = blank()
    # A door frame with a red arrow leaving it.
    for y in range(4, 29):
        for x in range(6, 20):
            grid[y][x] = "g" if x in (6, 19) or y in (4, 28) else "w"
    for x in range(12, 28):
        grid[16][x] = grid[15][x] = grid[17][x] = "r"
    triangle(grid, 29, 23, 6, "r")
    return ["".join(row) for row in grid]


write_xpm("KUKA", kuka(), {".": "#FFFFFF", "g": "#505050", "r": "#E00000"})
write_xpm("INFO", info(), {".": "#FFFFFF", "b": "#2060C0"})
write_xpm("VORTEL", icon(), {".": "None", "b": "#008080", "g": "#808080",
                             "w": "#FFFFFF", "y": "#FFFF00", "r": "#FF0000"})

toolbar = {".": "None", "k": "#000080", "g": "#606060", "w": "#FFFFFF", "r": "#D00000", "c": "#C0E0FF"}
for name, draw in (("FIRST", first), ("PREV", prev), ("NEXT", next_page), ("LAST", last),
                   ("LEFTTOP", lefttop), ("ZOOM", zoom), ("PRINT", printer), ("EXIT", exit_door)):
    write_xpm(name, draw(), {key: value for key, value in toolbar.items() if any(key in row for row in draw())})
