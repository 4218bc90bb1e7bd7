#!/usr/bin/env python3
"""Draws the program's mark and writes it as korvel.ico.

The mark: a blue rounded square holding three list lines; the middle one is
faded and struck out in orange, the line the program removes. Shapes are laid
out on a 48x48 grid and drawn at each size in SIZES, 32 bits per pixel with
alpha; Windows scales the nearest one for other slots. Edges are anti-aliased
by supersampling shape distances, so the output depends on nothing but this
file: running it twice gives the same bytes.

    python3 make_icon.py [OUTPUT.ico] [--preview PREVIEW.png]
"""

import math
import os
import struct
import sys
import zlib

GRID = 48  # the unit the shapes below are laid out in
SIZES = (48,)
SAMPLES = 8  # per axis, per pixel


def rounded_box(px, py, left, top, right, bottom, radius):
    """Signed distance to a rounded rectangle: negative inside."""
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - radius, (bottom - top) / 2 - radius
    dx, dy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(dx, 0.0), max(dy, 0.0))
    return outside + min(max(dx, dy), 0.0) - radius


def capsule(px, py, x0, x1, y, radius):
    """Signed distance to a horizontal bar with round ends."""
    nearest = min(max(px, x0), x1)
    return math.hypot(px - nearest, py - y) - radius


def circle(px, py, cx, cy, radius):
    return math.hypot(px - cx, py - cy) - radius


def hex_colour(text, alpha=1.0):
    return (int(text[0:2], 16) / 255, int(text[2:4], 16) / 255, int(text[4:6], 16) / 255, alpha)


# Rows of the list: bullet centre x, bar from x0 to x1, centre y.
ROWS = (15.5, 24.0, 32.5)
BULLET_X, BAR_X0, BAR_X1 = 14.0, 19.5, 35.0


def layers():
    """(shape, colour) pairs, painted back to front. A colour may be a
    function of y for a gradient."""
    top, bottom = hex_colour("3C82DC"), hex_colour("1D4E9E")

    def body(y):
        t = min(max((y - 3) / 42, 0.0), 1.0)
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))

    white, faded = hex_colour("FFFFFF"), hex_colour("FFFFFF", 0.38)
    strike = hex_colour("FF8A2A")
    result = [
        (lambda x, y: rounded_box(x, y, 3, 3, 45, 45, 9), body),
        # A darker rim keeps the edge visible on light backgrounds.
        (lambda x, y: abs(rounded_box(x, y, 3, 3, 45, 45, 9) + 0.5) - 0.5, hex_colour("123A7A", 0.55)),
    ]
    for index, row in enumerate(ROWS):
        colour = faded if index == 1 else white
        result.append((lambda x, y, r=row: circle(x, y, BULLET_X, r, 2.4), colour))
        result.append((lambda x, y, r=row: capsule(x, y, BAR_X0, BAR_X1, r, 2.1), colour))
    result.append((lambda x, y: capsule(x, y, 9.5, 38.5, ROWS[1], 1.25), strike))
    return result


def render(size):
    """Straight-alpha RGBA rows, top row first, as floats in 0..1."""
    unit = GRID / size
    offsets = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]
    shapes = layers()
    image = []
    for row in range(size):
        line = []
        for column in range(size):
            # Premultiplied accumulation of every sample, then averaged.
            total = [0.0, 0.0, 0.0, 0.0]
            for oy in offsets:
                y = (row + oy) * unit
                for ox in offsets:
                    x = (column + ox) * unit
                    r = g = b = a = 0.0
                    for shape, colour in shapes:
                        if shape(x, y) > 0:
                            continue
                        cr, cg, cb, ca = colour(y) if callable(colour) else colour
                        r, g, b = cr * ca + r * (1 - ca), cg * ca + g * (1 - ca), cb * ca + b * (1 - ca)
                        a = ca + a * (1 - ca)
                    total[0] += r
                    total[1] += g
                    total[2] += b
                    total[3] += a
            n = SAMPLES * SAMPLES
            alpha = total[3] / n
            if alpha > 0:
                line.append((total[0] / n / alpha, total[1] / n / alpha, total[2] / n / alpha, alpha))
            else:
                line.append((0.0, 0.0, 0.0, 0.0))
        image.append(line)
    return image


def to_bytes(value):
    return max(0, min(255, round(value * 255)))


def bmp(image):
    """One icon image in BMP form: the header's height counts the colour
    bitmap and the 1-bit mask, both stored bottom-up."""
    size = len(image)
    xor = bytearray()
    mask = bytearray()
    mask_stride = (size + 31) // 32 * 4
    for line in reversed(image):
        for r, g, b, a in line:
            xor += bytes((to_bytes(b), to_bytes(g), to_bytes(r), to_bytes(a)))
        bits = bytearray(mask_stride)
        for column, pixel in enumerate(line):
            if to_bytes(pixel[3]) == 0:
                bits[column // 8] |= 0x80 >> (column % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def ico(images):
    """An ICO file: a directory of entries, then the images it points to."""
    blobs = [bmp(image) for image in images]
    offset = 6 + 16 * len(blobs)
    head = struct.pack("<HHH", 0, 1, len(blobs))
    for image, blob in zip(images, blobs):
        size = len(image) % 256  # 0 stands for 256
        head += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return head + b"".join(blobs)


def png(image, scale=1, backdrop=None):
    """A PNG of the image, enlarged by whole pixels, over a backdrop colour
    (or kept transparent)."""
    rows = []
    for line in image:
        out = bytearray()
        for r, g, b, a in line:
            if backdrop is None:
                pixel = bytes((to_bytes(r), to_bytes(g), to_bytes(b), to_bytes(a)))
            else:
                pixel = bytes(to_bytes(c * a + k * (1 - a)) for c, k in zip((r, g, b), backdrop)) + b"\xff"
            out += pixel * scale
        rows.extend([b"\0" + bytes(out)] * scale)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    width = len(image) * scale
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, width, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(b"".join(rows), 9))
            + chunk(b"IEND", b""))


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    output, preview = os.path.join(here, "korvel.ico"), None
    args = list(argv)
    while args:
        arg = args.pop(0)
        if arg == "--preview" and args:
            preview = args.pop(0)
        elif not arg.startswith("-"):
            output = arg
        else:
            print(__doc__.strip().splitlines()[-1].strip(), file=sys.stderr)
            return 2
    images = [render(size) for size in SIZES]
    with open(output, "wb") as f:
        f.write(ico(images))
    if preview:
        # The largest image at four times its size, over white: enough to
        # judge it by eye.
        with open(preview, "wb") as f:
            f.write(png(images[0], scale=4, backdrop=(1.0, 1.0, 1.0)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
