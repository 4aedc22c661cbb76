#!/usr/bin/env python3
"""Draws Velmora's tree, menu and tool bar pictures and its icon.

Writes, beside this folder's parent (res/):
  imagelist16.bmp  28 pictures of 16x16 in one strip (tree, menus, buttons)
  imagelist32.bmp  4 pictures of 32x32 (binder, open binder, folder, open folder)
  up16.bmp         the "up one folder" button picture
  app.ico          the program icon, 16x16 and 32x32, 32-bit with alpha
  about64.bmp      the about window's picture: two 64x64 frames side by side
The bitmaps are 24-bit with a magenta background, which the program masks
out when it adds them to its image lists; the about picture's background is
pure blue instead, the colour the about window treats as transparent.

  python3 make_pictures.py [--preview out.png]

Standard library only: the pictures are small enough to draw pixel by pixel.
"""

import math
import os
import struct
import sys
import zlib

MAGENTA = (255, 0, 255)

# One letter per colour so that the small pictures can be drawn as text.
PAL = {
    'k': (0, 0, 0),
    'w': (255, 255, 255),
    'g': (192, 192, 192),
    'G': (128, 128, 128),
    'd': (72, 72, 72),
    's': (226, 226, 234),
    'y': (255, 232, 150),      # folder, lit
    'Y': (238, 196, 78),       # folder, shaded
    'o': (146, 102, 8),        # folder outline
    'b': (84, 136, 226),       # binder cover
    'B': (28, 62, 158),        # binder spine
    'c': (176, 208, 255),      # light blue
    'n': (0, 34, 112),         # navy outline
    'r': (232, 56, 44),
    'R': (140, 16, 8),
    'e': (62, 182, 74),
    'E': (10, 104, 26),
    't': (196, 138, 66),       # clipboard board
    'T': (108, 68, 18),
    'h': (255, 226, 40),       # sparkle
    'H': (170, 120, 0),
    'p': (255, 160, 176),      # cheeks
    'm': (196, 40, 60),        # mouth
}
BLUE = (0, 0, 255)
for _c in PAL.values():
    assert _c not in (MAGENTA, BLUE)


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.p = [[MAGENTA] * w for _ in range(h)]

    def set(self, x, y, c):
        if isinstance(c, str):
            c = PAL[c]
        if 0 <= x < self.w and 0 <= y < self.h:
            self.p[y][x] = c

    def get(self, x, y):
        return self.p[y][x]

    def text(self, x0, y0, rows):
        """Draws a picture given as rows of palette letters; '.' is left alone."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch != '.':
                    self.set(x0 + dx, y0 + dy, ch)

    def fill(self, mask, c):
        for x, y in mask:
            self.set(x, y, c)

    def outline(self, mask, c, diag=False):
        """Colours the pixels just outside a mask."""
        steps = [(1, 0), (-1, 0), (0, 1), (0, -1)]
        if diag:
            steps += [(1, 1), (1, -1), (-1, 1), (-1, -1)]
        for x, y in mask:
            for dx, dy in steps:
                q = (x + dx, y + dy)
                if q not in mask:
                    self.set(q[0], q[1], c)

    def shape(self, mask, fill, line, diag=False):
        self.outline(mask, line, diag)
        self.fill(mask, fill)

    def rect(self, x0, y0, x1, y1, fill=None, line=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                if edge and line is not None:
                    self.set(x, y, line)
                elif fill is not None:
                    self.set(x, y, fill)

    def hline(self, x0, x1, y, c):
        for x in range(x0, x1 + 1):
            self.set(x, y, c)

    def vline(self, x, y0, y1, c):
        for y in range(y0, y1 + 1):
            self.set(x, y, c)

    def blit(self, other, dx, dy):
        for y in range(other.h):
            for x in range(other.w):
                c = other.p[y][x]
                if c != MAGENTA:
                    self.set(x + dx, y + dy, c)


# ---- masks: sets of pixels, tested at the pixel centres -------------------

def m_rect(x0, y0, x1, y1):
    return {(x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)}


def m_poly(pts, size=32):
    out = set()
    n = len(pts)
    for y in range(size):
        for x in range(size):
            px, py = x + 0.5, y + 0.5
            inside = False
            for i in range(n):
                ax, ay = pts[i]
                bx, by = pts[(i + 1) % n]
                if (ay > py) != (by > py):
                    cx = ax + (py - ay) * (bx - ax) / (by - ay)
                    if px < cx:
                        inside = not inside
            if inside:
                out.add((x, y))
    return out


def m_line(x0, y0, x1, y1, r, size=32):
    """Pixels whose centre lies within r of the segment (pixel-centre coordinates)."""
    out = set()
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy
    for y in range(size):
        for x in range(size):
            t = 0.0 if ll == 0 else max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / ll))
            qx, qy = x0 + t * dx - x, y0 + t * dy - y
            if qx * qx + qy * qy <= r * r:
                out.add((x, y))
    return out


def m_circle(cx, cy, r, size=32):
    return {(x, y) for y in range(size) for x in range(size)
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r}


def m_ellipse(cx, cy, rx, ry, size=32):
    return {(x, y) for y in range(size) for x in range(size)
            if ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0}


def m_arc(cx, cy, r0, r1, a0, a1, size=32):
    """Ring between radii r0..r1 and angles a0..a1 (degrees, y down, clockwise)."""
    out = set()
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - cx, y - cy)
            if r0 <= d <= r1:
                a = math.degrees(math.atan2(y - cy, x - cx)) % 360
                if (a - a0) % 360 <= (a1 - a0) % 360:
                    out.add((x, y))
    return out


def arrow_head(cx, cy, r, ang, half, length):
    """Triangle at the clockwise end of an arc, pointing along it."""
    a = math.radians(ang)
    px, py = cx + r * math.cos(a), cy + r * math.sin(a)
    nx, ny = math.cos(a), math.sin(a)
    tx, ty = -math.sin(a), math.cos(a)
    return [(px + nx * half, py + ny * half), (px - nx * half, py - ny * half),
            (px + tx * length, py + ty * length)]


# ---- reusable small pieces -------------------------------------------------

FOLDER16 = [
    ".oooo..........",
    "oyyyyo.........",
    "oyyyyyooooooooo",
    "oywwwwwwwwwwwyo",
    "oywyyyyyyyyyyYo",
    "oywyyyyyyyyyyYo",
    "oywyyyyyyyyyyYo",
    "oywyyyyyyyyyyYo",
    "oywyyyyyyyyyyYo",
    "oyyyyyyyyyyyyYo",
    "oYYYYYYYYYYYYYo",
    "ooooooooooooooo",
]

OPEN_FOLDER16 = [
    ".oooo...........",
    "oYYYYo..........",
    "oYYYYYooooooooo.",
    "oYYYYYYYYYYYYYo.",
    "oYYYYYYYYYYYYYo.",
    "oYYYoooooooooooo",
    "oYYowwwwwwwwwwwo",
    "oYYoyyyyyyyyyyo.",
    "oYoyyyyyyyyyyyo.",
    "oYoyyyyyyyyyyo..",
    "ooyyyyyyyyyyyo..",
    "oooooooooooooo..",
]

MINI_FOLDER = [
    ".oo....",
    "oyyoooo",
    "oyyyyyo",
    "oyyyyyo",
    "ooooooo",
]


def doc(cv, x0, y0, x1, y1, fold=3, lines=True):
    """A sheet of paper with its top right corner turned down."""
    cv.rect(x0, y0, x1, y1, 'w', 'k')
    fx = x1 - fold
    for v in range(fold + 1):
        for u in range(fold + 1):
            x, y = fx + u, y0 + v
            if u > v:
                cv.set(x, y, MAGENTA)
            elif u == v:
                cv.set(x, y, 'k')
            elif u == 0 or v == fold:
                cv.set(x, y, 'k')
            else:
                cv.set(x, y, 'g')
    if lines:
        for y in range(y0 + fold + 2, y1 - 1, 2):
            cv.hline(x0 + 2, x1 - 2, y, 'G')


# ---- the 16-pixel pictures, in image-list order ---------------------------

def p_binder():
    cv = Canvas(16, 16)
    cv.text(0, 0, [
        "................",
        ".kkkkkkkkkkkkk..",
        ".kBBkbbbbbbbbkk.",
        ".kBBkcbbbbbbbkwk",
        ".ksBkcbwwwwwbkwk",
        ".kBBkcbwGGGwbkwk",
        ".kBBkcbwwwwwbkwk",
        ".kBBkcbbbbbbbkwk",
        ".ksBkcbbbbbbbkwk",
        ".kBBkcbbbbbbbkwk",
        ".kBBkcbbbbbbbkwk",
        ".kBBkcbbbbbbbkwk",
        ".ksBkcbbbbbbbkwk",
        ".kBBkcbbbbbbbkwk",
        ".kkkkkkkkkkkkkkk",
        "................",
    ])
    return cv


def p_open_binder():
    cv = Canvas(16, 16)
    cv.text(0, 0, [
        "................",
        "................",
        "kkkkkkkkkkkkkkkk",
        "kbbbbbbbbbbbbbbk",
        "kbwwwwwBBwwwwwbk",
        "kbwwwwkGGkwwwwbk",
        "kbwgggGBBGgggwbk",
        "kbwwwwwBBwwwwwbk",
        "kbwwwwkGGkwwwwbk",
        "kbwgggGBBGgggwbk",
        "kbwwwwwBBwwwwwbk",
        "kbwwwwkGGkwwwwbk",
        "kbwgggGBBGgggwbk",
        "kbwwwwwBBwwwwwbk",
        "kBBBBBBBBBBBBBBk",
        "kkkkkkkkkkkkkkkk",
    ])
    return cv


def p_folder():
    cv = Canvas(16, 16)
    cv.text(0, 2, FOLDER16)
    return cv


def p_open_folder():
    cv = Canvas(16, 16)
    cv.text(0, 2, OPEN_FOLDER16)
    return cv


def p_delete():
    cv = Canvas(16, 16)
    m = m_line(3, 3, 12, 12, 1.05) | m_line(12, 3, 3, 12, 1.05)
    cv.shape(m, 'r', 'R')
    return cv


def p_select_all():
    cv = Canvas(16, 16)
    for i in range(1, 15, 2):
        cv.set(i, 0, 'k')
        cv.set(0, i, 'k')
        cv.set(i + 1, 15, 'k')
        cv.set(15, i + 1, 'k')
    for x0, y0 in ((2, 2), (9, 2), (2, 9), (9, 9)):
        cv.rect(x0, y0, x0 + 4, y0 + 4, 'b', 'n')
        cv.set(x0 + 1, y0 + 1, 'c')
    return cv


def p_open():
    cv = Canvas(16, 16)
    cv.text(0, 4, OPEN_FOLDER16)
    # an arrow leaving the open folder
    shaft = m_line(6.5, 8.5, 11, 4, 0.9)
    head = m_poly([(9, 1), (15, 1), (15, 7)])
    cv.shape(shaft | head, 'e', 'E')
    return cv


def p_copy():
    cv = Canvas(16, 16)
    doc(cv, 1, 0, 9, 11)
    doc(cv, 6, 4, 14, 15)
    return cv


def p_expand():
    cv = Canvas(16, 16)
    cv.rect(3, 0, 11, 8, 'w', 'G')
    cv.hline(5, 9, 4, 'k')
    cv.vline(7, 2, 6, 'k')
    tri = m_poly([(2, 10), (13, 10), (7.5, 15.5)])
    cv.shape(tri, 'b', 'n')
    return cv


def p_collapse():
    cv = Canvas(16, 16)
    tri = m_poly([(2, 6), (13, 6), (7.5, 0.5)])
    cv.shape(tri, 'b', 'n')
    cv.rect(3, 7, 11, 15, 'w', 'G')
    cv.hline(5, 9, 11, 'k')
    return cv


def p_properties():
    cv = Canvas(16, 16)
    cv.text(0, 0, [
        "................",
        ".kkkkkkkkkkkkkk.",
        ".kBBBBBBBBBBBBk.",
        ".kkkkkkkkkkkkkk.",
        ".ksssssssssssdk.",
        ".ksddsGGGGGGsdk.",
        ".ksssswwwwwwsdk.",
        ".ksssssssssssdk.",
        ".ksddsGGGGGGsdk.",
        ".ksssswwwwwwsdk.",
        ".ksssssssssssdk.",
        ".ksddsGGGGGGsdk.",
        ".ksssswwwwwwsdk.",
        ".kddddddddddddk.",
        ".kkkkkkkkkkkkkk.",
        "................",
    ])
    return cv


def p_new_folder():
    cv = Canvas(16, 16)
    cv.text(0, 4, FOLDER16)
    cv.text(9, 0, [
        "...H...",
        ".H.h.H.",
        "..hhh..",
        "Hhhwhh.",
        "..hhh..",
        ".H.h.H.",
        "...H...",
    ])
    cv.set(14, 3, 'H')
    return cv


def p_paste():
    cv = Canvas(16, 16)
    cv.rect(1, 2, 11, 15, 't', 'T')
    cv.rect(4, 1, 8, 3, 'g', 'k')
    cv.hline(5, 7, 0, 'k')
    doc(cv, 6, 5, 14, 15, fold=3)
    return cv


def p_info():
    cv = Canvas(16, 16)
    disc = m_circle(7.5, 7.5, 6.6)
    cv.shape(disc, 'b', 'n')
    cv.set(5, 4, 'c')
    cv.set(4, 5, 'c')
    cv.rect(7, 3, 8, 4, 'w')
    cv.rect(7, 6, 8, 11, 'w')
    cv.set(6, 6, 'w')
    cv.hline(6, 9, 11, 'w')
    return cv


def p_rename():
    cv = Canvas(16, 16)
    cv.text(0, 1, [
        "..........kk.kk.",
        "GGGGGGGGGGGGkGGG",
        "GwwwwwwwwwwwkwwG",
        "GwBBBBBBBBBwkwwG",
        "GwBwwBBwBBBwkwwG",
        "GwBBBwBwBBBwkwwG",
        "GwBwwwBwwwBwkwwG",
        "GwBwBwBwBwBwkwwG",
        "GwBwwwBwwwBwkwwG",
        "GwBBBBBBBBBwkwwG",
        "GwwwwwwwwwwwkwwG",
        "GGGGGGGGGGGGkGGG",
        "..........kk.kk.",
    ])
    return cv


def p_help():
    cv = Canvas(16, 16)
    q = [
        "..bbbb..",
        ".bbbbbb.",
        "bbb..bbb",
        "bb....bb",
        "......bb",
        ".....bbb",
        "....bbb.",
        "...bbb..",
        "...bb...",
        "........",
        "...bb...",
        "...bb...",
    ]
    m = {(4 + x, 2 + y) for y, row in enumerate(q) for x, ch in enumerate(row) if ch == 'b'}
    cv.shape(m, 'b', 'n', diag=True)
    return cv


def p_invert():
    cv = Canvas(16, 16)
    cv.rect(1, 1, 6, 6, 'b', 'n')
    cv.rect(9, 1, 14, 6, 'w', 'G')
    cv.rect(1, 9, 6, 14, 'w', 'G')
    cv.rect(9, 9, 14, 14, 'b', 'n')
    cv.set(2, 2, 'c')
    cv.set(10, 10, 'c')
    return cv


def p_icon_view():
    cv = Canvas(16, 16)
    for x0, y0 in ((1, 0), (9, 0), (1, 8), (9, 8)):
        cv.rect(x0 + 1, y0 + 1, x0 + 4, y0 + 4, 'b', 'n')
        cv.set(x0 + 2, y0 + 2, 'c')
        cv.hline(x0, x0 + 5, y0 + 6, 'G')
    return cv


def p_list_view():
    cv = Canvas(16, 16)
    for col in (0, 8):
        for y0 in (2, 6, 10):
            cv.rect(col + 1, y0, col + 3, y0 + 2, 'b', 'n')
            cv.hline(col + 5, col + 7, y0 + 1, 'k')
    return cv


def p_detail_view():
    cv = Canvas(16, 16)
    cv.rect(0, 0, 15, 2, 'g', 'G')
    cv.vline(8, 0, 2, 'G')
    cv.vline(12, 0, 2, 'G')
    for y0 in (4, 8, 12):
        cv.rect(0, y0, 2, y0 + 2, 'b', 'n')
        cv.hline(4, 7, y0 + 1, 'k')
        cv.hline(9, 11, y0 + 1, 'G')
        cv.hline(13, 15, y0 + 1, 'G')
    return cv


def p_refresh():
    cv = Canvas(16, 16)
    c = (7.5, 7.5)
    a1 = m_arc(c[0], c[1], 3.8, 5.8, 190, 300)
    a2 = m_arc(c[0], c[1], 3.8, 5.8, 10, 120)
    h1 = m_poly(arrow_head(c[0], c[1], 4.8, 300, 3.0, 3.3))
    h2 = m_poly(arrow_head(c[0], c[1], 4.8, 120, 3.0, 3.3))
    cv.shape(a1 | h1 | a2 | h2, 'e', 'E')
    return cv


def p_folder_list():
    cv = Canvas(16, 16)
    cv.text(0, 0, MINI_FOLDER)
    cv.text(7, 5, MINI_FOLDER)
    cv.text(7, 11, MINI_FOLDER)
    for y in range(6, 15, 2):
        cv.set(3, y, 'd')
    for x in (5,):
        cv.set(x, 8, 'd')
        cv.set(x, 14, 'd')
    return cv


def p_thumbnails():
    cv = Canvas(16, 16)
    for x0, y0 in ((0, 0), (9, 0), (0, 9), (9, 9)):
        cv.rect(x0, y0, x0 + 6, y0 + 6, 'c', 'd')
        cv.set(x0 + 4, y0 + 2, 'h')
        cv.hline(x0 + 1, x0 + 5, y0 + 5, 'e')
        cv.hline(x0 + 1, x0 + 3, y0 + 4, 'e')
        cv.set(x0 + 2, y0 + 3, 'e')
    return cv


def p_open_with():
    cv = Canvas(16, 16)
    doc(cv, 0, 0, 8, 11)
    cv.rect(5, 6, 15, 15, 'w', 'n')
    cv.hline(6, 14, 7, 'B')
    cv.set(14, 7, 'w')
    cv.rect(7, 9, 13, 14, 'c')
    cv.hline(8, 12, 11, 'b')
    cv.hline(8, 10, 13, 'b')
    return cv


def p_open_file():
    cv = Canvas(16, 16)
    doc(cv, 1, 0, 11, 15)
    tri = m_poly([(8, 6), (8, 15), (15, 10.5)])
    cv.shape(tri, 'e', 'E')
    return cv


def p_send_to():
    cv = Canvas(16, 16)
    doc(cv, 0, 0, 8, 12)
    m = m_rect(5, 8, 10, 11) | m_poly([(10, 5), (10, 15), (15.5, 10)])
    cv.shape(m, 'b', 'n')
    return cv


def checkbox(cv):
    cv.rect(2, 2, 13, 13, 'w', 'd')
    cv.hline(3, 12, 3, 'g')
    cv.vline(3, 3, 12, 'g')


def p_option_off():
    cv = Canvas(16, 16)
    checkbox(cv)
    return cv


def p_option_on():
    cv = Canvas(16, 16)
    checkbox(cv)
    m = m_line(4.5, 7.5, 6.5, 9.5, 0.8) | m_line(6.5, 9.5, 10.5, 5.5, 0.8)
    cv.fill(m, 'k')
    return cv


PICTURES16 = [
    p_binder, p_open_binder, p_folder, p_open_folder, p_delete, p_select_all,
    p_open, p_copy, p_expand, p_collapse, p_properties, p_new_folder, p_paste,
    p_info, p_rename, p_help, p_invert, p_icon_view, p_list_view,
    p_detail_view, p_refresh, p_folder_list, p_thumbnails, p_open_with,
    p_open_file, p_send_to, p_option_off, p_option_on,
]
assert len(PICTURES16) == 28


def p_up():
    cv = Canvas(16, 16)
    cv.text(0, 4, FOLDER16)
    m = m_rect(8, 4, 10, 11) | m_poly([(4.5, 5.5), (14.5, 5.5), (9.5, 0.5)])
    cv.shape(m, 'e', 'E')
    return cv


# ---- the 32-pixel pictures ------------------------------------------------

def folder32(cv, x0, y0, x1, y1, open_=False):
    tab_r = x0 + 12
    tab_top = y0
    body_top = y0 + 4
    # tab with a slanted right end
    for y in range(tab_top, body_top + 1):
        d = y - tab_top
        cv.hline(x0 + 1, tab_r + d, y, 'Y' if open_ else 'y')
        cv.set(tab_r + d + 1, y, 'o')
    cv.hline(x0 + 1, tab_r, tab_top, 'o')
    cv.vline(x0, tab_top + 1, y1, 'o')
    back = 'Y' if open_ else 'y'
    cv.rect(x0, body_top, x1, y1, back, 'o')
    cv.set(x0, tab_top, MAGENTA)
    cv.set(x0, tab_top + 1, 'o')
    if not open_:
        cv.hline(x0 + 2, x1 - 2, body_top + 1, 'w')
        cv.vline(x0 + 1, body_top + 1, y1 - 2, 'w')
        cv.hline(x0 + 1, x1 - 1, y1 - 1, 'Y')
        cv.hline(x0 + 1, x1 - 1, y1 - 2, 'Y')
        cv.vline(x1 - 1, body_top + 1, y1 - 1, 'Y')
        return
    # front flap leaning to the right
    ft = y1 - 12
    for y in range(ft, y1 + 1):
        lx = x0 + 7 - (y - ft) // 2
        rx = x1 + 2 - (y - ft) // 2
        for x in range(lx, rx + 1):
            if x >= cv.w:
                continue
            edge = x in (lx, rx) or y in (ft, y1)
            cv.set(x, y, 'o' if edge else ('w' if y == ft + 1 else 'y'))


def p32_folder():
    cv = Canvas(32, 32)
    folder32(cv, 1, 4, 30, 27)
    return cv


def p32_open_folder():
    cv = Canvas(32, 32)
    folder32(cv, 1, 4, 28, 27, open_=True)
    return cv


def binder32(cv, ox=0, oy=0):
    x0, y0, x1, y1 = ox + 3, oy + 2, ox + 26, oy + 29
    # pages behind the cover, seen on the right
    cv.rect(x1 - 2, y0 + 2, x1 + 2, y1 - 1, 'w', 'k')
    for y in range(y0 + 4, y1 - 2, 2):
        cv.hline(x1 + 1, x1 + 1, y, 'g')
    cv.rect(x0, y0, x1, y1, 'b', 'k')
    # spine
    cv.rect(x0 + 1, y0 + 1, x0 + 5, y1 - 1, 'B')
    cv.vline(x0 + 6, y0 + 1, y1 - 1, 'k')
    cv.vline(x0 + 7, y0 + 1, y1 - 1, 'c')
    for yy in (y0 + 5, y0 + 13, y0 + 21):
        cv.rect(x0 + 2, yy, x0 + 4, yy + 2, 's', 'G')
    # label
    cv.rect(x0 + 10, y0 + 5, x1 - 4, y0 + 12, 'w', 'k')
    cv.hline(x0 + 12, x1 - 6, y0 + 7, 'G')
    cv.hline(x0 + 12, x1 - 9, y0 + 10, 'G')


def p32_binder():
    cv = Canvas(32, 32)
    binder32(cv)
    return cv


def p32_open_binder():
    cv = Canvas(32, 32)
    x0, y0, x1, y1 = 0, 4, 31, 28
    cv.rect(x0, y0, x1, y1, 'b', 'k')
    cv.hline(x0 + 1, x1 - 1, y1 - 1, 'B')
    cv.rect(x0 + 2, y0 + 2, 14, y1 - 3, 'w', 'G')
    cv.rect(17, y0 + 2, x1 - 2, y1 - 3, 'w', 'G')
    cv.rect(15, y0 + 1, 16, y1 - 1, 'B')
    for y in range(y0 + 6, y1 - 3, 3):
        cv.hline(x0 + 4, 12, y, 'g')
        cv.hline(19, x1 - 4, y, 'g')
    for ry in (y0 + 4, y0 + 11, y0 + 18):
        cv.text(12, ry, [
            "..GGGG..",
            ".GsssskG",
            "Gsk..ksG",
            ".GkkkkG.",
        ])
    return cv


PICTURES32 = [p32_binder, p32_open_binder, p32_folder, p32_open_folder]


# ---- the program icon -------------------------------------------------------

def icon16():
    cv = Canvas(16, 16)
    # folder tabs standing out of the binder: it gathers folders
    cv.rect(5, 0, 8, 3, 'y', 'o')
    cv.rect(9, 0, 12, 3, 'y', 'o')
    cv.blit(p_binder(), 0, 1)
    return cv


def icon32():
    cv = Canvas(32, 32)
    # folder tabs standing out of the top of the binder
    for x0, x1 in ((13, 19), (21, 27)):
        cv.rect(x0, 0, x1, 4, 'y', 'o')
        cv.hline(x0 + 1, x1 - 1, 1, 'w')
    binder32(cv, 0, 2)
    return cv


# ---- the about window's picture: a binder that jumps for joy ---------------

def about_frame(jumping):
    S = 64
    cv = Canvas(S, S)
    lift = -3 if jumping else 0
    # shadow on the ground, smaller while in the air
    cv.fill(m_ellipse(32, 60.5, 11 if jumping else 16, 2.2, S), 'g')
    # legs and shoes
    if jumping:
        legs = m_line(26, 46, 20, 53, 1.6, S) | m_line(38, 46, 44, 53, 1.6, S)
        shoes = m_ellipse(18.5, 54.5, 3.8, 2.4, S) | m_ellipse(45.5, 54.5, 3.8, 2.4, S)
    else:
        legs = m_rect(24, 48, 26, 55) | m_rect(37, 48, 39, 55)
        shoes = m_ellipse(24.5, 57, 4.5, 2.4, S) | m_ellipse(39.5, 57, 4.5, 2.4, S)
    cv.shape(legs, 'B', 'k')
    cv.shape(shoes, 'r', 'R')
    # folders standing out of the top: the binder gathers folders
    for x0, x1, y0 in ((24, 32, 4), (34, 42, 6)):
        cv.rect(x0, y0 + lift, x1, 12 + lift, 'y', 'o')
        cv.hline(x0 + 1, x1 - 1, y0 + 1 + lift, 'w')
        cv.vline(x1 - 1, y0 + 2 + lift, 11 + lift, 'Y')
    # pages on the right, then the cover with its spine and rings
    top, bottom = 10 + lift, 49 + lift
    cv.rect(44, top + 2, 49, bottom - 1, 'w', 'k')
    for y in range(top + 5, bottom - 2, 3):
        cv.hline(46, 48, y, 'g')
    cv.rect(13, top, 46, bottom, 'b', 'k')
    cv.rect(14, top + 1, 19, bottom - 1, 'B')
    cv.vline(20, top + 1, bottom - 1, 'k')
    cv.vline(21, top + 1, bottom - 1, 'c')
    for ry in (top + 6, top + 18, top + 30):
        cv.rect(15, ry, 18, ry + 3, 's', 'G')
    cv.hline(22, 45, top + 1, 'c')
    # face
    ey = 25 + lift
    if jumping:
        for ex in (29, 39):
            cv.fill(m_arc(ex, ey + 2, 2.6, 3.8, 200, 340, S), 'k')
        cv.shape(m_ellipse(34, 35.5 + lift, 4.2, 3.6, S), 'm', 'k')
        cv.fill(m_ellipse(34, 37.5 + lift, 2.4, 1.2, S), 'p')
    else:
        for ex in (29, 39):
            cv.shape(m_ellipse(ex, ey, 3.3, 4.3, S), 'w', 'k')
            cv.rect(ex, ey - 1, ex + 1, ey + 2, 'k')
            cv.set(ex + 1, ey - 1, 'w')
        cv.fill(m_arc(34, 31 + lift, 3.6, 4.8, 25, 155, S), 'k')
    for cx in (25, 43):
        cv.fill(m_ellipse(cx, 32.5 + lift, 2.6, 1.6, S), 'p')
    # arms: down at the sides, or up and waving
    if jumping:
        arms = [((13, 26 + lift), (6, 13)), ((49, 26 + lift), (57, 13))]
    else:
        arms = [((13, 29), (7, 40)), ((49, 29), (56, 40))]
    for (ax, ay), (hx, hy) in arms:
        cv.shape(m_line(ax, ay, hx, hy, 1.4, S), 'B', 'k')
        cv.shape(m_circle(hx, hy, 2.6, S), 'w', 'k')
    if jumping:
        for sx, sy in ((4, 4), (58, 3), (3, 28), (60, 29)):
            cv.text(sx - 2, sy - 2, ["..h..", ".hhh.", "hhwhh", ".hhh.", "..h.."])
    return cv


def about_strip():
    return strip([about_frame(False), about_frame(True)])


def with_background(cv, colour):
    out = Canvas(cv.w, cv.h)
    out.p = [[colour if c == MAGENTA else c for c in row] for row in cv.p]
    return out


# ---- file writers -------------------------------------------------------------

def strip(pictures):
    w = sum(p.w for p in pictures)
    h = max(p.h for p in pictures)
    out = Canvas(w, h)
    x = 0
    for p in pictures:
        out.blit(p, x, 0)
        x += p.w
    return out


def write_bmp24(path, cv):
    row = (cv.w * 3 + 3) & ~3
    data = bytearray()
    for y in range(cv.h - 1, -1, -1):
        line = bytearray()
        for x in range(cv.w):
            r, g, b = cv.p[y][x]
            line += bytes((b, g, r))
        line += b'\0' * (row - len(line))
        data += line
    info = struct.pack('<IiiHHIIiiII', 40, cv.w, cv.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(head + info + data)


def ico_image(cv):
    """One icon image: BITMAPINFOHEADER, 32-bit BGRA rows bottom up, then the AND mask."""
    w, h = cv.w, cv.h
    xor = bytearray()
    mask = bytearray()
    mrow = ((w + 31) // 32) * 4
    for y in range(h - 1, -1, -1):
        bits = bytearray(mrow)
        for x in range(w):
            c = cv.p[y][x]
            if c == MAGENTA:
                xor += b'\0\0\0\0'
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                xor += bytes((c[2], c[1], c[0], 255))
        mask += bits
    info = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def write_ico(path, images):
    blobs = [ico_image(cv) for cv in images]
    out = struct.pack('<HHH', 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for cv, blob in zip(images, blobs):
        out += struct.pack('<BBBBHHII', cv.w % 256, cv.h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(path, 'wb') as f:
        f.write(out + b''.join(blobs))


def write_png(path, cv):
    raw = bytearray()
    for y in range(cv.h):
        raw.append(0)
        for x in range(cv.w):
            raw += bytes(cv.p[y][x])

    def chunk(kind, data):
        c = struct.pack('>I', len(data)) + kind + data
        return c + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)

    png = b'\x89PNG\r\n\x1a\n'
    png += chunk(b'IHDR', struct.pack('>IIBBBBB', cv.w, cv.h, 8, 2, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(bytes(raw), 9))
    png += chunk(b'IEND', b'')
    with open(path, 'wb') as f:
        f.write(png)


def preview(path, p16, p32, up, ico, about):
    """Every picture at 4x on a button face, on white and on dark, for checking by eye."""
    scale, gap = 4, 4
    backs = [(212, 208, 200), (255, 255, 255), (241, 255, 191)]
    rows = [p16[:14], p16[14:], p32 + [up] + ico, [about]]
    width = max(sum(p.w * scale + gap for p in r) for r in rows) + gap
    height = len(backs) * (sum(max(p.h for p in r) * scale + gap for r in rows) + gap * 2)
    out = Canvas(width, height)
    for y in range(height):
        for x in range(width):
            out.p[y][x] = (160, 160, 160)
    y = gap
    for back in backs:
        for r in rows:
            x = gap
            rh = max(p.h for p in r) * scale
            for p in r:
                for py in range(p.h * scale):
                    for px in range(p.w * scale):
                        c = p.p[py // scale][px // scale]
                        out.p[y + py][x + px] = back if c == MAGENTA else c
                x += p.w * scale + gap
            y += rh + gap
        y += gap * 2
    write_png(path, out)


def main(argv):
    res = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    p16 = [f() for f in PICTURES16]
    p32 = [f() for f in PICTURES32]
    up = p_up()
    ico = [icon16(), icon32()]
    write_bmp24(os.path.join(res, 'imagelist16.bmp'), strip(p16))
    write_bmp24(os.path.join(res, 'imagelist32.bmp'), strip(p32))
    write_bmp24(os.path.join(res, 'up16.bmp'), up)
    write_ico(os.path.join(res, 'app.ico'), ico)
    about = about_strip()
    write_bmp24(os.path.join(res, 'about64.bmp'), with_background(about, BLUE))
    if len(argv) > 2 and argv[1] == '--preview':
        preview(argv[2], p16, p32, up, ico, about)


if __name__ == '__main__':
    main(sys.argv)
