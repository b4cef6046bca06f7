#!/usr/bin/env python3
"""Writes failed.bmp (the picture-could-not-be-loaded placeholder) and
preview_glyph.bmp (the preview button's glyph) next to this script.

Both are 4-bit BI_RGB bitmaps with the 16 system colours, so the resource
compiler takes them as they are. The output depends on nothing but this file.
"""

import os
import struct

# The 16 system colours in their usual order, as (R, G, B).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, LIGHT_GREY, DARK_GREY, RED, CYAN, WHITE = 0, 7, 8, 9, 14, 15


def bmp_bytes(pixels):
    """pixels: rows top first, each a list of palette indices."""
    height, width = len(pixels), len(pixels[0])
    stride = (width * 4 + 31) // 32 * 4
    body = bytearray()
    for row in reversed(pixels):  # bottom-up
        packed = bytearray(stride)
        for x, index in enumerate(row):
            packed[x // 2] |= index << (4 if x % 2 == 0 else 0)
        body += packed
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(body), 0, 0, 16, 0)
    header = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    return header + info + palette + bytes(body)


# ---- failed.bmp ----------------------------------------------------------

WIDTH, HEIGHT = 90, 120
# The sign fills columns 7..82 and rows 8..79; pixel centres are tested
# against ellipses, so the outer one touches exactly those edges.
SIGN_LEFT, SIGN_RIGHT, SIGN_TOP, SIGN_BOTTOM = 7, 82, 8, 79
RING_WIDTH = 9.0
BAR_WIDTH = 11.0
TEXT_TOP, TEXT_LEFT = 87, 5
LETTER_GAP, WORD_GAP = 1, 5
TEXT = "FILE NOT FOUND"

# 7 rows high; widths 3 (I), 5 (F L E T D) and 6 (N O U) make the line
# exactly 82 columns with the gaps above.
GLYPHS = {
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "I": ["###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "N": ["#....#", "##...#", "#.#..#", "#..#.#", "#...##", "#....#", "#....#"],
    "O": [".####.", "#....#", "#....#", "#....#", "#....#", "#....#", ".####."],
    "U": ["#....#", "#....#", "#....#", "#....#", "#....#", "#....#", ".####."],
}


def sign_pixel(x, y):
    cx = (SIGN_LEFT + SIGN_RIGHT) / 2
    cy = (SIGN_TOP + SIGN_BOTTOM) / 2
    ax = (SIGN_RIGHT - SIGN_LEFT + 1) / 2
    ay = (SIGN_BOTTOM - SIGN_TOP + 1) / 2
    dx, dy = x - cx, y - cy
    outer = (dx / ax) ** 2 + (dy / ay) ** 2
    if outer > 1:
        return False
    inner = (dx / (ax - RING_WIDTH)) ** 2 + (dy / (ay - RING_WIDTH)) ** 2
    if inner >= 1:
        return True
    # Bar along the line from upper left to lower right, in the ellipse's
    # own scale so it meets the ring at matching angles.
    u, v = dx / ax, dy / ay
    scale = (ax + ay) / 2
    return abs(u - v) / 2 ** 0.5 * scale <= BAR_WIDTH / 2


def failed_pixels():
    pixels = [[WHITE] * WIDTH for _ in range(HEIGHT)]
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if sign_pixel(x, y):
                pixels[y][x] = RED
    x0 = TEXT_LEFT
    for word_index, word in enumerate(TEXT.split(" ")):
        if word_index:
            x0 += WORD_GAP - LETTER_GAP
        for letter in word:
            glyph = GLYPHS[letter]
            for dy, line in enumerate(glyph):
                for dx, cell in enumerate(line):
                    if cell == "#":
                        pixels[TEXT_TOP + dy][x0 + dx] = RED
            x0 += len(glyph[0]) + LETTER_GAP
    return pixels


# ---- preview_glyph.bmp ---------------------------------------------------

GLYPH_COLOURS = {".": LIGHT_GREY, "k": BLACK, "w": WHITE, "g": DARK_GREY, "c": CYAN}
# A sheet with lines of text and its top right corner folded, a lens over
# it, the handle to the lower right. Grey background to sit on a button face.
PREVIEW = [
    ".kkkkkkk........",
    ".kwwwwwkk.......",
    ".kwgggwkwk......",
    ".kwwwwwkwwk.....",
    ".kwggggkkkkk....",
    ".kwwwwwwwwwk....",
    ".kwgggggkkkk....",
    ".kwwwwwkwcck....",
    ".kwgggkwcccck...",
    ".kwwwwkccccck...",
    ".kwgggkccccck...",
    ".kwwwwwkccck....",
    ".kwgggggkkkkk...",
    ".kwwwwwwwwwkkk..",
    ".kkkkkkkkkkk.kk.",
    "..............kk",
]


def preview_pixels():
    return [[GLYPH_COLOURS[c] for c in row] for row in PREVIEW]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, pixels in (("failed.bmp", failed_pixels()), ("preview_glyph.bmp", preview_pixels())):
        with open(os.path.join(here, name), "wb") as f:
            f.write(bmp_bytes(pixels))


if __name__ == "__main__":
    main()
