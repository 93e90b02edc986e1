"""A tiny PNG encoder (8-bit RGB, no interlace) and the vendor logo drawn with it.

The standard library has zlib but no image writer; truecolour PNG is simple enough to
write by hand: signature, IHDR, one IDAT with every scanline prefixed by filter type 0,
and IEND, each chunk closed by its CRC-32.
"""

import struct
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def _chunk(kind: bytes, data: bytes) -> bytes:
    crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


def encode_png(width: int, height: int, rows) -> bytes:
    """Encode `rows` (height sequences of width (r, g, b) tuples) as a PNG file."""
    if width <= 0 or height <= 0:
        raise ValueError("image must be at least 1x1")
    rows = list(rows)
    if len(rows) != height:
        raise ValueError("expected %d rows, got %d" % (height, len(rows)))
    raw = bytearray()
    for row in rows:
        if len(row) != width:
            raise ValueError("row of %d pixels in an image %d wide" % (len(row), width))
        raw.append(0)  # filter type None
        for r, g, b in row:
            raw += bytes((r, g, b))
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (PNG_SIGNATURE + _chunk(b"IHDR", ihdr)
            + _chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + _chunk(b"IEND", b""))


# 5x7 glyphs for the letters of the vendor's name.
_GLYPHS = {
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    " ": ["00000"] * 7,
}


def _draw_text(pixels, text, x0, y0, scale, colour):
    x = x0
    for ch in text:
        glyph = _GLYPHS[ch]
        for gy, line in enumerate(glyph):
            for gx, bit in enumerate(line):
                if bit != "1":
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        px, py = x + gx * scale + dx, y0 + gy * scale + dy
                        if 0 <= py < len(pixels) and 0 <= px < len(pixels[0]):
                            pixels[py][px] = colour
        x += 6 * scale


LOGO_WIDTH, LOGO_HEIGHT = 200, 40


def make_logo() -> bytes:
    """The small vendor logo: a dark band, an amber diamond and "TOLLAN STUDIOS"."""
    w, h = LOGO_WIDTH, LOGO_HEIGHT
    pixels = []
    for y in range(h):
        shade = 30 + (y * 40) // h
        pixels.append([(16, 24 + shade // 2, shade + 40)] * w)
    cx, cy, r = 20, 20, 15
    for y in range(h):
        for x in range(40):
            d = abs(x - cx) + abs(y - cy)
            if d <= r:
                pixels[y][x] = (250, 176, 40) if d < r - 3 else (255, 230, 150)
    _draw_text(pixels, "TOLLAN", 44, 2, 3, (255, 255, 255))
    _draw_text(pixels, "STUDIOS", 46, 25, 2, (250, 176, 40))
    return encode_png(w, h, pixels)
