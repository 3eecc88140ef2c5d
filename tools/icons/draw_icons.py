#!/usr/bin/env python3
"""Draws the program's two icons and writes them as ICO files, with enlarged PNG previews.

    python3 tools/icons/draw_icons.py           # rewrite the icons and the previews
    python3 tools/icons/draw_icons.py --check   # parse the files back, fail if stale

Icon 50 (shell/resources/remote.ico): a grey remote control at a slant, one red key among grey
keys, a pale blue beam leaving its top end; 16 x 16 and 32 x 32, each in 256 colours and in
24-bit colour. Icon 110 (shell/resources/warning.ico): a yellow warning triangle with an
exclamation mark; 32 x 32 and 16 x 16 in 16 colours.

Only the standard library is used. The output is the same bytes on every run: the geometry uses
plain arithmetic (no trigonometry), and the files carry no time stamps.
"""

import os
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
REMOTE_ICO = os.path.join("shell", "resources", "remote.ico")
WARNING_ICO = os.path.join("shell", "resources", "warning.ico")
PREVIEW_DIR = os.path.join("docs", "images")
PREVIEW_SCALE = 8

# ---------------------------------------------------------------------------------------------
# Colours

REMOTE_COLOURS = {
    "outline": (0x3C, 0x3C, 0x44),
    "body": (0xB8, 0xBA, 0xC0),
    "shine": (0xDC, 0xDE, 0xE2),
    "key": (0x6E, 0x70, 0x78),
    "red": (0xE0, 0x18, 0x18),
    "window": (0x20, 0x20, 0x30),
    "beam_near": (0x88, 0xC4, 0xF8),
    "beam": (0xA8, 0xD8, 0xFF),
    "beam_far": (0xC8, 0xE6, 0xFF),
}

# The standard 16-colour palette of the display driver.
VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

WARNING_COLOURS = {
    "black": VGA16[0],
    "yellow": VGA16[11],
    "shadow": VGA16[8],
}

# ---------------------------------------------------------------------------------------------
# Geometry. A scene is a function (x, y) -> colour name or None (transparent), in pixel units
# of the image it is drawn at.


def inside_rounded_rect(u, v, half_w, half_h, radius):
    dx = max(abs(u) - (half_w - radius), 0.0)
    dy = max(abs(v) - (half_h - radius), 0.0)
    if abs(u) > half_w or abs(v) > half_h:
        return False
    return dx * dx + dy * dy <= radius * radius


def inside_polygon(x, y, points):
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < xi + (y - yi) * (xj - xi) / (yj - yi):
            inside = not inside
        j = i
    return inside


class Slant:
    """The remote's own frame: u across it, v along it towards the top end. The slant is a
    Pythagorean angle (sin 3/5, cos 4/5) so that no trigonometry enters the drawing."""

    SIN = 3.0 / 5.0
    COS = 4.0 / 5.0

    def __init__(self, cx, cy):
        self.cx = cx
        self.cy = cy

    def to_local(self, x, y):
        dx = x - self.cx
        dy = y - self.cy
        return dx * self.COS + dy * self.SIN, dx * self.SIN - dy * self.COS


BEAM_BANDS = ("beam_near", "beam", "beam_far")


def remote_scene():
    """The remote control at 32 x 32. The keys are 2 x 2 pixel squares on a lattice that
    follows the slant, their centres on pixel corners so that they stay sharp: stepping one key
    across the remote moves (3, 2) pixels, one key along it (2, -3)."""
    frame = Slant(12.5, 18.5)
    half_w, half_h, corner = 6.5, 12.0, 3.0

    def lattice(i, j):
        return (12.0 + 3 * i + 2 * j, 19.0 + 2 * i - 3 * j)

    key_centres = [lattice(i, j) for j in (-2, -1, 0, 1) for i in (-1, 0, 1)]
    key_centres.append(lattice(1, 2))
    red_centre = lattice(-1, 2)
    beam_length = 10.0

    def on_key(x, y, centre, half):
        return abs(x - centre[0]) < half and abs(y - centre[1]) < half

    def beam(u, v):
        # Light spreading from the window at the top end, paler the farther it goes.
        along = v - half_h
        if along <= 0.0 or u * u + along * along > beam_length * beam_length:
            return None
        if abs(u) > 2.2 + 0.45 * along:
            return None
        return BEAM_BANDS[min(int(along * len(BEAM_BANDS) / beam_length), len(BEAM_BANDS) - 1)]

    def sample(x, y):
        u, v = frame.to_local(x, y)
        if not inside_rounded_rect(u, v, half_w, half_h, corner):
            return beam(u, v)
        if not inside_rounded_rect(u, v, half_w - 1.0, half_h - 1.0, corner - 1.0):
            return "outline"
        if v > half_h - 2.6 and abs(u) < 3.0:
            return "window"
        if on_key(x, y, red_centre, 1.0):
            return "red"
        for centre in key_centres:
            if on_key(x, y, centre, 1.0):
                return "key"
        if u < -half_w + 2.4:
            return "shine"
        return "body"

    return sample


def warning_scene():
    """The warning triangle at 32 x 32 without its shadow, symmetric about x = 16."""
    outer = [(16.0, 0.6), (31.4, 28.6), (0.6, 28.6)]
    inner = [(16.0, 4.4), (28.6, 26.8), (3.4, 26.8)]
    bar = [(14.0, 10.0), (18.0, 10.0), (17.0, 19.6), (15.0, 19.6)]

    def sample(x, y):
        if not inside_polygon(x, y, outer):
            return None
        if not inside_polygon(x, y, inner) or inside_polygon(x, y, bar):
            return "black"
        if inside_rounded_rect(x - 16.0, y - 23.0, 2.0, 2.0, 1.0):
            return "black"
        return "yellow"

    return sample


def mirrored(grid):
    """The left half reflected onto the right, so rounding never makes the two sides differ."""
    size = len(grid)
    return [row[:size // 2] + row[:size // 2][::-1] for row in grid]


def with_shadow(grid, depth, colour):
    """A shadow `depth` pixels deep cast down and to the right onto the transparent pixels."""
    size = len(grid)
    out = [list(row) for row in grid]
    for y in range(size):
        for x in range(size):
            for d in range(1, depth + 1):
                if out[y][x] is None and x >= d and y >= d and grid[y - d][x - d]:
                    out[y][x] = colour
    return out


# ---------------------------------------------------------------------------------------------
# Hand-set 16 x 16 images: at this size geometry alone blurs the keys and the beam together.
# The remote is slanted at about 45 degrees here, which keeps its edges clean staircases.

REMOTE_16 = {
    "legend": {
        ".": None,
        "o": "outline",
        "b": "body",
        "s": "shine",
        "k": "key",
        "r": "red",
        "w": "window",
        "l": "beam",
        "n": "beam_near",
        "f": "beam_far",
    },
    "rows": [
        ".............fff",
        "............ffff",
        "............lfff",
        "...........lllff",
        "...........nlllf",
        "..........nnnl..",
        ".......ooonn....",
        "......oswwo.....",
        ".....ossrwo.....",
        "....ossrbbo.....",
        "...osskbkbo.....",
        "..ossbbbbo......",
        ".osskbkbo.......",
        ".osbbbbo........",
        ".obbkbo.........",
        "..oooo..........",
    ],
}

WARNING_16 = {
    "legend": {".": None, "o": "black", "y": "yellow"},
    "rows": [
        "......oo........",
        ".....oyyo.......",
        ".....oyyo.......",
        "....oyooyo......",
        "....oyooyo......",
        "...oyyooyyo.....",
        "...oyyooyyo.....",
        "..oyyyooyyyo....",
        "..oyyyyyyyyo....",
        ".oyyyyooyyyyo...",
        ".oyyyyooyyyyo...",
        "oyyyyyyyyyyyyo..",
        "oyyyyyyyyyyyyo..",
        "oooooooooooooo..",
        "................",
        "................",
    ],
}


def grid_from_rows(art, colours):
    return [[None if art["legend"][c] is None else colours[art["legend"][c]] for c in row]
            for row in art["rows"]]


# ---------------------------------------------------------------------------------------------
# Rasterising. Each pixel is sampled on a 4 x 4 grid. A pixel is opaque when most samples hit
# the drawing; paletted images take the most frequent colour, 24-bit ones the mean of the hits.

SUBSAMPLES = 4


def pixel_samples(scene, x, y):
    hits = []
    for sy in range(SUBSAMPLES):
        for sx in range(SUBSAMPLES):
            name = scene(x + (sx + 0.5) / SUBSAMPLES, y + (sy + 0.5) / SUBSAMPLES)
            hits.append(name)
    return hits


def rasterise(scene, size, colours, blend):
    grid = []
    for y in range(size):
        row = []
        for x in range(size):
            hits = pixel_samples(scene, x, y)
            drawn = [h for h in hits if h is not None]
            if len(drawn) * 2 < len(hits):
                row.append(None)
            elif blend:
                row.append(mean_colour([colours[h] for h in drawn]))
            else:
                row.append(colours[most_frequent(drawn)])
        grid.append(row)
    return grid


def most_frequent(names):
    counts = {}
    for name in names:
        counts[name] = counts.get(name, 0) + 1
    # Ties go to the name seen first, so the result never depends on dictionary order.
    best = names[0]
    for name in names:
        if counts[name] > counts[best]:
            best = name
    return best


def mean_colour(rgbs):
    n = len(rgbs)
    return tuple((sum(c[i] for c in rgbs) + n // 2) // n for i in range(3))


# ---------------------------------------------------------------------------------------------
# ICO writing: ICONDIR, one ICONDIRENTRY per image, then each image as a DIB with a
# BITMAPINFOHEADER whose height counts both the colour (XOR) bitmap and the AND mask.


def row_stride(width, bits):
    return ((width * bits + 31) // 32) * 4


def palette_for(grid, fixed=None):
    if fixed is not None:
        return list(fixed)
    seen = []
    for row in grid:
        for rgb in row:
            if rgb is not None and rgb not in seen:
                seen.append(rgb)
    return seen


def pack_xor_rows(grid, bits, palette):
    size = len(grid)
    stride = row_stride(size, bits)
    out = bytearray()
    for row in reversed(grid):  # DIBs are stored bottom row first
        line = bytearray()
        if bits == 24:
            for rgb in row:
                r, g, b = rgb if rgb is not None else (0, 0, 0)
                line += bytes((b, g, r))
        else:
            indices = [palette.index(rgb) if rgb is not None else 0 for rgb in row]
            per_byte = 8 // bits
            for i in range(0, len(indices), per_byte):
                byte = 0
                for j in range(per_byte):
                    byte = (byte << bits) | indices[i + j]
                line.append(byte)
        line += bytes(stride - len(line))
        out += line
    return bytes(out)


def pack_and_rows(grid):
    size = len(grid)
    stride = row_stride(size, 1)
    out = bytearray()
    for row in reversed(grid):
        line = bytearray(stride)
        for x, rgb in enumerate(row):
            if rgb is None:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def dib_image(grid, bits, palette):
    size = len(grid)
    xor = pack_xor_rows(grid, bits, palette)
    mask = pack_and_rows(grid)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    colour_table = b""
    if bits <= 8:
        entries = list(palette) + [(0, 0, 0)] * ((1 << bits) - len(palette))
        colour_table = b"".join(bytes((b, g, r, 0)) for r, g, b in entries)
    return header + colour_table + xor + mask


def ico_file(images):
    """images: list of (grid, bits, palette)."""
    count = len(images)
    offset = 6 + 16 * count
    directory = struct.pack("<HHH", 0, 1, count)
    blobs = []
    for grid, bits, palette in images:
        size = len(grid)
        blob = dib_image(grid, bits, palette)
        colour_count = (1 << bits) if bits < 8 else 0
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, colour_count, 0, 1, bits,
                                 len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return directory + b"".join(blobs)


def paletted(grid, bits, fixed=None):
    palette = palette_for(grid, fixed)
    if len(palette) > (1 << bits):
        raise ValueError("%d colours do not fit %d bits" % (len(palette), bits))
    return grid, bits, palette


def remote_images():
    art16 = grid_from_rows(REMOTE_16, REMOTE_COLOURS)
    grid32_flat = rasterise(remote_scene(), 32, REMOTE_COLOURS, blend=False)
    grid32_smooth = rasterise(remote_scene(), 32, REMOTE_COLOURS, blend=True)
    return [
        paletted(art16, 8),
        paletted(grid32_flat, 8),
        (art16, 24, None),
        (grid32_smooth, 24, None),
    ]


def warning_images():
    triangle = mirrored(rasterise(warning_scene(), 32, WARNING_COLOURS, blend=False))
    grid32 = with_shadow(triangle, 2, WARNING_COLOURS["shadow"])
    art16 = with_shadow(grid_from_rows(WARNING_16, WARNING_COLOURS), 1, WARNING_COLOURS["shadow"])
    return [paletted(grid32, 4, VGA16), paletted(art16, 4, VGA16)]


# ---------------------------------------------------------------------------------------------
# PNG previews: RGBA, each icon pixel an 8 x 8 block, the images of one size side by side in the
# order of the ICO file (for the remote: 256 colours on the left, 24-bit on the right).


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_file(rgba_rows):
    height = len(rgba_rows)
    width = len(rgba_rows[0])
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in rgba_rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) +
            png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


def preview_rows(grids, scale=PREVIEW_SCALE, gap=1):
    """Grids of equal size side by side, `gap` icon pixels apart, enlarged by `scale`."""
    size = len(grids[0])
    rows = []
    for y in range(size):
        line = []
        for index, grid in enumerate(grids):
            if index:
                line += [(0, 0, 0, 0)] * (gap * scale)
            for rgb in grid[y]:
                px = (0, 0, 0, 0) if rgb is None else rgb + (255,)
                line += [px] * scale
        rows += [line] * scale
    return rows


def previews():
    remote = remote_images()
    warning = warning_images()

    def grids(images, size):
        return [grid for grid, _, _ in images if len(grid) == size]

    return {
        "icon-remote-32.png": png_file(preview_rows(grids(remote, 32))),
        "icon-remote-16.png": png_file(preview_rows(grids(remote, 16))),
        "icon-warning-32.png": png_file(preview_rows(grids(warning, 32))),
        "icon-warning-16.png": png_file(preview_rows(grids(warning, 16))),
    }


def outputs():
    files = {
        REMOTE_ICO: ico_file(remote_images()),
        WARNING_ICO: ico_file(warning_images()),
    }
    for name, data in previews().items():
        files[os.path.join(PREVIEW_DIR, name)] = data
    return files


# ---------------------------------------------------------------------------------------------
# Checking: read an ICO back field by field, so a file Windows would refuse is caught here.


def parse_ico(data):
    """Returns [(width, height, bits, colour count)] or raises ValueError."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1 or count == 0:
        raise ValueError("not an icon directory")
    images = []
    for i in range(count):
        w, h, colours, res, planes, bits, length, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        w, h = w or 256, h or 256
        if res != 0 or planes != 1 or offset + length > len(data):
            raise ValueError("image %d: bad directory entry" % i)
        hsize, dw, dh, dplanes, dbits, comp, img_size = struct.unpack_from(
            "<IiiHHII", data, offset)
        if hsize != 40 or dw != w or dh != 2 * h or dplanes != 1 or dbits != bits or comp != 0:
            raise ValueError("image %d: header disagrees with its directory entry" % i)
        table = (1 << bits) * 4 if bits <= 8 else 0
        xor_len = row_stride(w, bits) * h
        and_len = row_stride(w, 1) * h
        if img_size != xor_len + and_len or length != 40 + table + xor_len + and_len:
            raise ValueError("image %d: sizes do not add up" % i)
        if colours != ((1 << bits) if bits < 8 else 0):
            raise ValueError("image %d: colour count %d for %d bits" % (i, colours, bits))
        images.append((w, h, bits, (1 << bits) if bits <= 8 else 0))
    return images


EXPECTED_IMAGES = {
    REMOTE_ICO: [(16, 16, 8, 256), (32, 32, 8, 256), (16, 16, 24, 0), (32, 32, 24, 0)],
    WARNING_ICO: [(32, 32, 4, 16), (16, 16, 4, 16)],
}


def check():
    failures = []
    for path, data in sorted(outputs().items()):
        full = os.path.join(ROOT, path)
        try:
            with open(full, "rb") as f:
                on_disk = f.read()
        except OSError as err:
            failures.append("%s: %s" % (path, err.strerror))
            continue
        if on_disk != data:
            failures.append("%s: differs from a fresh drawing; run the script" % path)
        if path in EXPECTED_IMAGES:
            try:
                images = parse_ico(on_disk)
            except (ValueError, struct.error) as err:
                failures.append("%s: %s" % (path, err))
                continue
            if images != EXPECTED_IMAGES[path]:
                failures.append("%s: images %s, expected %s" % (path, images,
                                                                EXPECTED_IMAGES[path]))
    for line in failures:
        print(line, file=sys.stderr)
    return 1 if failures else 0


def write_all():
    for path, data in sorted(outputs().items()):
        full = os.path.join(ROOT, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)
        print("wrote %s (%d bytes)" % (path, len(data)))
    return 0


def main(argv):
    if argv[1:] == ["--check"]:
        return check()
    if argv[1:]:
        print("usage: draw_icons.py [--check]", file=sys.stderr)
        return 2
    return write_all()


if __name__ == "__main__":
    sys.exit(main(sys.argv))
