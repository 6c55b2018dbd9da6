#!/usr/bin/env python3
"""Writes Dorvane's icon and cursor resources (standard library only).

    artwork_icons.py crosshair OUTDIR
        -> OUTDIR/crosshair.cur  (32x32 monochrome cursor, hotspot 16,16)
        -> OUTDIR/crosshair.ico  (the same picture as a 32x32 icon)

    artwork_icons.py appicon OUT.ico 48:FILE.rgba 32:FILE.rgba ...
        -> OUT.ico with one 32-bit BGRA image per given size; the 16x16
           image is hand-drawn below because a scaled-down emblem turns to
           mush at that size.

FILE.rgba is raw 8-bit RGBA as written by ImageMagick's "rgba:" coder.
"""
import struct
import sys


# --------------------------------------------------------------------------
# Container helpers

def _dib_header(w, h, bpp, image_bytes, colours=0):
    # Icon/cursor DIBs store XOR + AND masks stacked, hence the doubled height.
    return struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, bpp, 0,
                       image_bytes, 0, 0, colours, 0)


def _and_mask(w, h, transparent):
    """1bpp AND mask, bottom-up, rows padded to 32 bits.
    transparent(x, y) -> True where the screen should show through."""
    stride = ((w + 31) // 32) * 4
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if transparent(x, y):
                row[x >> 3] |= 0x80 >> (x & 7)
        out += row
    return bytes(out)


def _container(kind, entries):
    """kind 1 = icon, 2 = cursor.
    entries: list of (w, h, colour_count, field1, field2, dib_bytes) where
    field1/field2 are planes/bitcount for icons and hotspot x/y for cursors."""
    head = struct.pack('<HHH', 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    table = b''
    blobs = b''
    for w, h, ncol, f1, f2, dib in entries:
        table += struct.pack('<BBBBHHII', w & 0xFF, h & 0xFF, ncol, 0,
                             f1, f2, len(dib), offset)
        offset += len(dib)
        blobs += dib
    return head + table + blobs


# --------------------------------------------------------------------------
# Cross-hair cursor

def crosshair_pixels():
    """Set of (x, y) black pixels of the 32x32 cross-hair, centred on 16,16."""
    c = 16
    px = set()
    arm_in, arm_out, bar = 3, 13, 3     # arm runs 3..13 px from centre
    for d in range(arm_in, arm_out + 1):
        px.update({(c, c - d), (c, c + d), (c - d, c), (c + d, c)})
    # short bars across the four ends
    for k in range(-bar, bar + 1):
        px.update({(c + k, c - arm_out), (c + k, c + arm_out),
                   (c - arm_out, c + k), (c + arm_out, c + k)})
    px.add((c, c))                      # centre dot inside the gap
    return px


def mono_dib(w, h, black):
    """1bpp XOR (all index 0 = black) + AND mask; AND clear only on black."""
    stride = ((w + 31) // 32) * 4
    xor = bytes(stride * h)             # every pixel palette index 0
    andm = _and_mask(w, h, lambda x, y: (x, y) not in black)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    return _dib_header(w, h, 1, len(xor) + len(andm), 2) + palette + xor + andm


def write_crosshair(outdir):
    black = crosshair_pixels()
    dib = mono_dib(32, 32, black)
    with open(f'{outdir}/crosshair.cur', 'wb') as f:
        f.write(_container(2, [(32, 32, 2, 16, 16, dib)]))
    with open(f'{outdir}/crosshair.ico', 'wb') as f:
        f.write(_container(1, [(32, 32, 2, 1, 1, dib)]))


# --------------------------------------------------------------------------
# Application icon

# 16x16 emblem, drawn by hand: rounded blue tile, reticle, prompt.
#   . transparent   k rim   b tile (vertical gradient)   c reticle   w prompt
SMALL_EMBLEM = """
.kkkkkkkkkkkkkk.
kbbbbbbccbbbbbbk
kbbbbbccccbbbbbk
kbbbccbccbccbbbk
kbbcbbbbbbbbcbbk
kbbcbwwbbbbbcbbk
kbcbbbwwbbbbbcbk
kcccbbbwwbbbccck
kcccbbwwbbbbccck
kbcbbwwbbbbbbcbk
kbbcbbbbwwwbcbbk
kbbcbbbbbbbbcbbk
kbbbccbccbccbbbk
kbbbbbccccbbbbbk
kbbbbbbccbbbbbbk
.kkkkkkkkkkkkkk.
""".split()

TILE_TOP = (0x2a, 0x6f, 0xd0)
TILE_BOTTOM = (0x0a, 0x1f, 0x55)
RIM = (0x0a, 0x1a, 0x40)
RETICLE = (0x7f, 0xc4, 0xff)


def small_emblem_rgba():
    out = bytearray()
    for y, row in enumerate(SMALL_EMBLEM):
        t = y / 15
        tile = tuple(round(a + (b - a) * t) for a, b in zip(TILE_TOP, TILE_BOTTOM))
        for ch in row:
            if ch == '.':
                out += bytes((0, 0, 0, 0))
            else:
                rgb = {'k': RIM, 'c': RETICLE, 'w': (255, 255, 255)}.get(ch, tile)
                out += bytes(rgb) + b'\xff'
    return bytes(out)


def argb_dib(size, rgba):
    """32-bit BGRA icon image with a matching AND mask."""
    if len(rgba) != size * size * 4:
        raise SystemExit(f'{size}x{size} RGBA data has wrong length {len(rgba)}')
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = rgba[(y * size + x) * 4:(y * size + x) * 4 + 4]
            if a == 0:
                r = g = b = 0
            xor += bytes((b, g, r, a))
    andm = _and_mask(size, size, lambda x, y: rgba[(y * size + x) * 4 + 3] == 0)
    return _dib_header(size, size, 32, len(xor) + len(andm)) + bytes(xor) + andm


def write_appicon(out, images_args):
    images = {16: small_emblem_rgba()}
    for arg in images_args:
        size, path = arg.split(':', 1)
        with open(path, 'rb') as f:
            images[int(size)] = f.read()
    entries = []
    for size in sorted(images, reverse=True):
        entries.append((size, size, 0, 1, 32, argb_dib(size, images[size])))
    with open(out, 'wb') as f:
        f.write(_container(1, entries))


def main(argv):
    if len(argv) >= 2 and argv[0] == 'crosshair':
        write_crosshair(argv[1])
    elif len(argv) >= 2 and argv[0] == 'appicon':
        write_appicon(argv[1], argv[2:])
    else:
        raise SystemExit(__doc__)


if __name__ == '__main__':
    main(sys.argv[1:])
