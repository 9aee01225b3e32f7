"""Pictures for the tests, the benchmarks and the demo, written without any
library: an uncompressed 24-bit BMP file, a PNG file and an enhanced metafile,
all in four coloured quarters, and a 32-bit BMP and an RGBA PNG in two halves
(or, the PNG, four quarters) with alpha; reading a JPEG back (its size from the frame
header, its pixels through the system's djpeg) and reading a binary PPM."""

import struct
import subprocess
import zlib

RED, GREEN, BLUE, YELLOW, WHITE = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0), (255, 255, 255)
QUARTERS = (RED, GREEN, BLUE, YELLOW)  # top left, top right, bottom left, bottom right


def quarter(quarters, right, bottom):
    return quarters[(2 if bottom else 0) + (1 if right else 0)]


def bmp(width, height, quarters=QUARTERS):
    """A BMP file (bottom row first, as usual) painted in quarters; built a
    row at a time, so that large pictures for the benchmarks are quick."""
    stride = (width * 3 + 3) // 4 * 4
    left, right = width // 2, width - width // 2
    pad = b"\0" * (stride - width * 3)

    def row(bottom):
        def bgr(colour):
            r, g, b = colour
            return bytes((b, g, r))
        return (bgr(quarter(quarters, False, bottom)) * left + bgr(quarter(quarters, True, bottom)) * right + pad)

    upper, lower = height // 2, height - height // 2
    pixels = row(True) * lower + row(False) * upper
    file_header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    return file_header + info + pixels


def png(width, height, quarters=QUARTERS):
    """A PNG file (8-bit RGB, no interlace) painted in quarters."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # filter: none
        for x in range(width):
            rows += bytes(quarter(quarters, x >= width // 2, y >= height // 2))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows)))
            + chunk(b"IEND", b""))


def halves(width, height, left, right):
    """Rows of 4-byte pixels, top row first, the left half of one colour and
    the right half of the other, each an (r, g, b, alpha) tuple: RGBA order."""
    row = bytes(left) * (width // 2) + bytes(right) * (width - width // 2)
    return [row] * height


def png_rgba(width, height, left, right):
    """A PNG file (8-bit RGBA, no interlace) in two halves of (r, g, b, alpha)
    colours, left and right."""
    return png_rgba_rows(width, height, halves(width, height, left, right))


def png_rgba_quarters(width, height, quarters):
    """A PNG file (8-bit RGBA, no interlace) in quarters of (r, g, b, alpha)
    colours: top left, top right, bottom left, bottom right."""
    upper, lower = height // 2, height - height // 2
    return png_rgba_rows(width, height, halves(width, upper, quarters[0], quarters[1])
                         + halves(width, lower, quarters[2], quarters[3]))


def png_rgba_rows(width, height, pixel_rows):
    """A PNG file (8-bit RGBA, no interlace) of the given rows of RGBA bytes,
    top row first."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + row for row in pixel_rows)  # filter: none
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows))
            + chunk(b"IEND", b""))


def bmp32(width, height, left, right):
    """A 32-bit BMP file (BI_RGB, top row first) in two halves of (r, g, b,
    alpha) colours, left and right; the fourth byte of each pixel is the alpha."""
    def bgra(row):
        return b"".join(bytes((row[i + 2], row[i + 1], row[i], row[i + 3])) for i in range(0, len(row), 4))
    pixels = b"".join(bgra(row) for row in halves(width, height, left, right))
    file_header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height, 1, 32, 0, len(pixels), 3780, 3780, 0, 0)
    return file_header + info + pixels


def emf(himetric_width, himetric_height, quarters=QUARTERS):
    """An enhanced metafile whose frame is the given size in 0.01 mm, painted
    in quarters. Its reference device has 1000 x 1000 pixels on 10 x 10 mm,
    so one logical unit is 0.01 mm."""
    w, h = himetric_width, himetric_height
    records = [struct.pack("<III", 37, 12, 0x80000008)]  # SELECTOBJECT NULL_PEN
    for index, colour in enumerate(quarters):
        right, bottom = index % 2 == 1, index >= 2
        r, g, b = colour
        box = (w // 2 if right else 0, h // 2 if bottom else 0, w + 1 if right else w // 2 + 1,
               h + 1 if bottom else h // 2 + 1)
        records.append(struct.pack("<IIIIII", 39, 24, 1, 0, r | (g << 8) | (b << 16), 0))  # CREATEBRUSHINDIRECT
        records.append(struct.pack("<III", 37, 12, 1))  # SELECTOBJECT brush
        records.append(struct.pack("<IIiiii", 43, 24, *box))  # RECTANGLE
        records.append(struct.pack("<III", 37, 12, 0x80000000))  # SELECTOBJECT WHITE_BRUSH
        records.append(struct.pack("<III", 40, 12, 1))  # DELETEOBJECT
    records.append(struct.pack("<IIIII", 14, 20, 0, 16, 20))  # EOF
    body = b"".join(records)
    total = 88 + len(body)
    header = struct.pack("<II4i4iIIIIHHIIIiiii", 1, 88, 0, 0, w - 1, h - 1, 0, 0, w, h, 0x464D4520, 0x10000,
                         total, len(records) + 1, 2, 0, 0, 0, 0, 1000, 1000, 10, 10)
    return header + body


def parse_ppm(data):
    """(width, height, RGB bytes) of a binary PPM (P6, 255 levels); comments allowed."""
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError("unexpected PPM header %r" % fields)
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:pos + 1 + width * height * 3]


def decode_jpeg(path, denominator=1):
    """(width, height, RGB bytes) of a JPEG file, decoded by the system's
    libjpeg; scaled down by 1/denominator while decoding."""
    args = ["djpeg"] + (["-scale", "1/%d" % denominator] if denominator != 1 else []) + ["-ppm", path]
    return parse_ppm(subprocess.run(args, capture_output=True, timeout=120, check=True).stdout)


def jpeg_size(data):
    """(width, height) from the frame header of a JPEG file's bytes; None
    when there is no frame header."""
    pos = 2
    while pos + 9 < len(data) and data[pos] == 0xFF:
        marker, length = data[pos + 1], struct.unpack(">H", data[pos + 2:pos + 4])[0]
        if marker in (0xC0, 0xC1, 0xC2):
            height, width = struct.unpack(">HH", data[pos + 5:pos + 9])
            return width, height
        pos += 2 + length
    return None


def pixel(image, x, y):
    width, _, data = image
    i = (y * width + x) * 3
    return tuple(data[i:i + 3])


def near(a, b, tolerance):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))
