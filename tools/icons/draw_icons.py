#!/usr/bin/python3
"""Draws the program's two icons with Pillow and writes them as ICO files, with enlarged PNG
previews.

    /usr/bin/python3 tools/icons/draw_icons.py           # rewrite the icons and the previews
    /usr/bin/python3 tools/icons/draw_icons.py --check   # fail if the committed files differ

Icon 50 (shell/resources/remote.ico): a grey remote control at a slant, one red key among grey
keys, a pale blue beam leaving its top end; 16 x 16 and 32 x 32, each in 256 colours and in
24-bit colour. Icon 110 (shell/resources/warning.ico): a yellow warning triangle with an
exclamation mark; 32 x 32 and 16 x 16 in 16 colours.

Pillow is Debian's (python3-pil, for the system's Python). Its ICO writer keeps no
transparency mask and no 16-colour images, so the ICO files are put together here from
Pillow's pixel rows. Shapes are drawn without anti-aliasing on 16 x 16 samples a pixel and
reduced by counting, so the same Pillow draws the same pixels; --check compares decoded pixels,
not file bytes.
"""

import os
import struct
import sys
import tempfile

from PIL import Image, ImageChops, ImageDraw
from PIL.IcoImagePlugin import IcoFile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
REMOTE_ICO = os.path.join("shell", "resources", "remote.ico")
WARNING_ICO = os.path.join("shell", "resources", "warning.ico")
PREVIEW_DIR = os.path.join("docs", "images")
PREVIEW_SCALE = 8
SAMPLES = 16  # samples a pixel along each axis

# ---------------------------------------------------------------------------------------------
# Colours. A drawing is a "P" image whose index 0 is transparent (black in the palette, as the
# colour bitmap of an icon must be wherever its mask lets the screen through).

REMOTE_COLOURS = [
    (0x3C, 0x3C, 0x44),  # 1 outline
    (0xB8, 0xBA, 0xC0),  # 2 body
    (0xDC, 0xDE, 0xE2),  # 3 shine
    (0x6E, 0x70, 0x78),  # 4 key
    (0xE0, 0x18, 0x18),  # 5 red
    (0x20, 0x20, 0x30),  # 6 window
    (0x88, 0xC4, 0xF8),  # 7 beam near the remote
    (0xA8, 0xD8, 0xFF),  # 8 beam
    (0xC8, 0xE6, 0xFF),  # 9 beam far from it
]
OUTLINE, BODY, SHINE, KEY, RED, WINDOW, BEAM_NEAR, BEAM, BEAM_FAR = range(1, 10)

# The standard 16-colour palette of the display driver.
VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
WARNING_COLOURS = [VGA16[0], VGA16[11], VGA16[8]]
BLACK, YELLOW, SHADOW = range(1, 4)


def drawing(size, colours, indices=None):
    """A drawing in these colours, blank or with the indices of an "L" image."""
    image = Image.new("P", (size, size), 0)
    if indices is not None:
        image = Image.frombytes("P", indices.size, indices.tobytes())
    image.putpalette([0, 0, 0] + [c for rgb in colours for c in rgb])
    return image


def mask_of(image, indices):
    """An "L" mask, 255 where the image holds one of the indices."""
    return image.point(lambda v: 255 if v in indices else 0, "L")


# ---------------------------------------------------------------------------------------------
# The remote control at 32 x 32, drawn SAMPLES times larger. Its body is drawn upright in its
# own frame (u across, v along towards the top end) and turned by an affine map whose slant is a
# Pythagorean angle (sin 3/5, cos 4/5), so no trigonometry enters the drawing.

SIN, COS = 3.0 / 5.0, 4.0 / 5.0
CENTRE = (12.5, 18.5)
HALF_W, HALF_H, CORNER = 6.5, 12.0, 3.0
BEAM_LENGTH = 10.0
FRAME_U = (-7.0, 7.0)
FRAME_V = (-13.0, HALF_H + BEAM_LENGTH + 1.0)
FRAME_RES = 4 * SAMPLES  # frame pixels a unit: finer than the output, so the turn stays exact


def frame_box(u0, v0, u1, v1):
    """Pixel bounds (inclusive) in the frame image of the region u0..u1, v0..v1."""
    r = FRAME_RES
    return [round(r * (u0 - FRAME_U[0])), round(r * (FRAME_V[1] - v1)),
            round(r * (u1 - FRAME_U[0])) - 1, round(r * (FRAME_V[1] - v0)) - 1]


def frame_point(u, v):
    return (FRAME_RES * (u - FRAME_U[0]) - 0.5, FRAME_RES * (FRAME_V[1] - v) - 0.5)


def remote_frame():
    r = FRAME_RES
    frame = Image.new("L", (round(r * (FRAME_U[1] - FRAME_U[0])),
                            round(r * (FRAME_V[1] - FRAME_V[0]))), 0)
    # Light spreading from the window at the top end, paler the farther it goes, within a
    # circle of the beam's length.
    beam = Image.new("L", frame.size, 0)
    draw = ImageDraw.Draw(beam)
    bands = (BEAM_NEAR, BEAM, BEAM_FAR)
    for k, band in enumerate(bands):
        near = BEAM_LENGTH * k / len(bands)
        far = BEAM_LENGTH * (k + 1) / len(bands)
        w0, w1 = 2.2 + 0.45 * near, 2.2 + 0.45 * far
        draw.polygon([frame_point(-w0, HALF_H + near), frame_point(w0, HALF_H + near),
                      frame_point(w1, HALF_H + far), frame_point(-w1, HALF_H + far)], fill=band)
    reach = Image.new("L", frame.size, 0)
    ImageDraw.Draw(reach).ellipse(frame_box(-BEAM_LENGTH, HALF_H - BEAM_LENGTH, BEAM_LENGTH,
                                            HALF_H + BEAM_LENGTH), fill=255)
    frame.paste(beam, (0, 0), reach)

    draw = ImageDraw.Draw(frame)
    draw.rounded_rectangle(frame_box(-HALF_W, -HALF_H, HALF_W, HALF_H), r * CORNER, OUTLINE)
    inner = Image.new("L", frame.size, 0)
    ImageDraw.Draw(inner).rounded_rectangle(
        frame_box(-HALF_W + 1, -HALF_H + 1, HALF_W - 1, HALF_H - 1), r * (CORNER - 1), 255)
    frame.paste(SHINE, (0, 0), inner)
    body = inner.copy()
    ImageDraw.Draw(body).rectangle(frame_box(FRAME_U[0], FRAME_V[0], -HALF_W + 2.4, FRAME_V[1]),
                                   fill=0)
    frame.paste(BODY, (0, 0), body)
    window = Image.new("L", frame.size, 0)
    ImageDraw.Draw(window).rectangle(frame_box(-3.0, HALF_H - 2.6, 3.0, HALF_H), fill=255)
    frame.paste(WINDOW, (0, 0), ImageChops.multiply(inner, window))
    return frame


def remote_large():
    """The 32 x 32 remote, SAMPLES times larger. The keys are 2 x 2 pixel squares on a lattice
    that follows the slant, their centres on pixel corners so that they stay sharp: stepping one
    key across the remote moves (3, 2) pixels, one key along it (2, -3)."""
    s = SAMPLES
    q = FRAME_RES / s
    cx, cy = CENTRE
    # A pixel (X, Y) of the large image is the point (x, y) = (X/s, Y/s) of the icon, which
    # lies at u = (x - cx) cos + (y - cy) sin, v = (x - cx) sin - (y - cy) cos in the frame.
    turn = (q * COS, q * SIN, FRAME_RES * (-cx * COS - cy * SIN - FRAME_U[0]),
            -q * SIN, q * COS, FRAME_RES * (FRAME_V[1] + cx * SIN - cy * COS))
    labels = remote_frame().transform((32 * s, 32 * s), Image.Transform.AFFINE, turn,
                                      Image.Resampling.NEAREST)
    large = drawing(32 * s, REMOTE_COLOURS, labels)

    def lattice(i, j):
        return (12 + 3 * i + 2 * j, 19 + 2 * i - 3 * j)

    keys = drawing(32 * s, REMOTE_COLOURS)
    draw = ImageDraw.Draw(keys)
    centres = [(lattice(i, j), KEY) for j in (-2, -1, 0, 1) for i in (-1, 0, 1)]
    centres += [(lattice(1, 2), KEY), (lattice(-1, 2), RED)]
    for (x, y), colour in centres:
        draw.rectangle([s * (x - 1), s * (y - 1), s * (x + 1) - 1, s * (y + 1) - 1], fill=colour)
    # Keys sit on the body; the outline and the window stay in front of them.
    on_body = ImageChops.multiply(mask_of(large, (BODY, SHINE)), mask_of(keys, (KEY, RED)))
    large.paste(keys, (0, 0), on_body)
    return large


# ---------------------------------------------------------------------------------------------
# The warning triangle at 32 x 32, SAMPLES times larger, without its shadow.


def warning_large():
    s = SAMPLES

    def points(corners):
        return [(s * x - 0.5, s * y - 0.5) for x, y in corners]

    large = drawing(32 * s, WARNING_COLOURS)
    draw = ImageDraw.Draw(large)
    draw.polygon(points([(16.0, 0.6), (31.4, 28.6), (0.6, 28.6)]), fill=BLACK)
    draw.polygon(points([(16.0, 4.4), (28.6, 26.8), (3.4, 26.8)]), fill=YELLOW)
    draw.polygon(points([(14.0, 10.0), (18.0, 10.0), (17.0, 19.6), (15.0, 19.6)]), fill=BLACK)
    draw.rounded_rectangle([s * 14, s * 21, s * 18 - 1, s * 25 - 1], s * 1, fill=BLACK)
    return large


# ---------------------------------------------------------------------------------------------
# From SAMPLES x SAMPLES samples to a pixel. A pixel is drawn when at least half of its samples
# hit the drawing; a paletted pixel then takes the colour that most samples hit (the first of
# the palette on a tie), a 24-bit one the mean colour of the hits.


def reduced(large):
    size = large.size[0] // SAMPLES
    best, best_hits = drawing(size, []), Image.new("L", (size, size), 0)
    best.putpalette(large.getpalette())
    for index in sorted(index for _, index in large.getcolors() if index):
        hits = mask_of(large, (index,)).reduce(SAMPLES)
        best.paste(index, (0, 0), ImageChops.subtract(hits, best_hits).point(lambda v: v and 255))
        best_hits = ImageChops.lighter(best_hits, hits)
    best.paste(0, (0, 0), covered(large).point(lambda v: 255 - v))
    return best


def covered(large):
    """255 where at least half of a pixel's samples hit the drawing, else 0."""
    hits = large.point(lambda v: 255 if v else 0, "L").reduce(SAMPLES)
    return hits.point(lambda v: 255 if v >= 128 else 0)


def blended(large):
    rgba = rgba_of(large).reduce(SAMPLES)
    out = Image.new("RGBA", rgba.size, (0, 0, 0, 0))
    out.paste(rgba.convert("RGB"), (0, 0), covered(large))
    return out


def rgba_of(image):
    if image.mode == "RGBA":
        return image
    image = image.copy()
    image.info["transparency"] = 0
    return image.convert("RGBA")


def mirrored(image):
    """The left half reflected onto the right, so rounding never makes the two sides differ."""
    half = image.crop((0, 0, image.width // 2, image.height))
    image.paste(half.transpose(Image.Transpose.FLIP_LEFT_RIGHT), (image.width // 2, 0))
    return image


def with_shadow(image, depth, index):
    """A shadow `depth` pixels deep cast down and to the right onto the transparent pixels."""
    drawn = mask_of(image, range(1, 256))
    shadow = Image.new("L", image.size, 0)
    for d in range(1, depth + 1):
        shadow.paste(255, (d, d), drawn)
    out = image.copy()
    out.paste(index, (0, 0), ImageChops.subtract(shadow, drawn))
    return out


# ---------------------------------------------------------------------------------------------
# Hand-set 16 x 16 images: at this size geometry alone blurs the keys and the beam together.
# The remote is slanted at about 45 degrees here, which keeps its edges clean staircases.

REMOTE_16 = (
    {".": 0, "o": OUTLINE, "b": BODY, "s": SHINE, "k": KEY, "r": RED, "w": WINDOW,
     "l": BEAM, "n": BEAM_NEAR, "f": BEAM_FAR},
    [
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
)

WARNING_16 = (
    {".": 0, "o": BLACK, "y": YELLOW},
    [
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
)


def hand_set(art, colours):
    legend, rows = art
    image = drawing(len(rows), colours)
    image.putdata([legend[c] for row in rows for c in row])
    return image


# ---------------------------------------------------------------------------------------------
# The icons: (image, bits, palette) a picture, palette None for 24-bit or the image's own.


def remote_images():
    large = remote_large()
    art16 = hand_set(REMOTE_16, REMOTE_COLOURS)
    return [(art16, 8, None), (reduced(large), 8, None),
            (rgba_of(art16), 24, None), (blended(large), 24, None)]


def warning_images():
    triangle = mirrored(reduced(warning_large()))
    art16 = hand_set(WARNING_16, WARNING_COLOURS)
    return [(with_shadow(triangle, 2, SHADOW), 4, VGA16),
            (with_shadow(art16, 1, SHADOW), 4, VGA16)]


# ---------------------------------------------------------------------------------------------
# ICO writing: ICONDIR, one ICONDIRENTRY per image, then each image as a DIB with a
# BITMAPINFOHEADER whose height counts both the colour (XOR) bitmap and the AND mask, rows
# bottom first and each padded to 4 bytes.


def stride(width, bits):
    return (width * bits + 31) // 32 * 4


def dib_image(image, bits, palette):
    size = image.width
    if bits == 24:
        xor = image.convert("RGB").tobytes("raw", ("BGR", stride(size, 24), -1))
        transparent = image.getchannel("A").point(lambda a: 0 if a else 255, "1")
        table = b""
    else:
        own = image.getpalette()
        own = [tuple(own[i:i + 3]) for i in range(0, len(own), 3)]
        palette = palette or own
        # The transparent index becomes 0, which both palettes keep black.
        lut = [0] + [palette.index(rgb) for rgb in own[1:]]
        lut += [0] * (256 - len(lut))
        indices = Image.frombytes("P", image.size, image.point(lut).tobytes())
        rawmode = {8: "P", 4: "P;4"}[bits]
        xor = indices.tobytes("raw", (rawmode, stride(size, bits), -1))
        transparent = mask_of(image, (0,)).point(lambda v: v, "1")
        entries = list(palette) + [(0, 0, 0)] * ((1 << bits) - len(palette))
        table = b"".join(bytes((b, g, r, 0)) for r, g, b in entries)
    mask = transparent.tobytes("raw", ("1", stride(size, 1), -1))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    return header + table + xor + mask


def ico_file(images):
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    blobs = []
    for image, bits, palette in images:
        blob = dib_image(image, bits, palette)
        colour_count = (1 << bits) if bits < 8 else 0
        directory += struct.pack("<BBBBHHII", image.width, image.height, colour_count, 0, 1, bits,
                                 len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return directory + b"".join(blobs)


# ---------------------------------------------------------------------------------------------
# PNG previews: each icon pixel an 8 x 8 block, the images of one size side by side in the
# order of the ICO file (for the remote: 256 colours on the left, 24-bit on the right), one icon
# pixel apart.


def preview(images, size):
    pictures = [rgba_of(image) for image, _, _ in images if image.width == size]
    step = (size + 1) * PREVIEW_SCALE
    sheet = Image.new("RGBA", (step * len(pictures) - PREVIEW_SCALE, size * PREVIEW_SCALE))
    for n, picture in enumerate(pictures):
        big = picture.resize((size * PREVIEW_SCALE,) * 2, Image.Resampling.NEAREST)
        sheet.paste(big, (n * step, 0))
    return sheet


def write_all(root):
    remote, warning = remote_images(), warning_images()
    written = []
    for path, images in ((REMOTE_ICO, remote), (WARNING_ICO, warning)):
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(ico_file(images))
        written.append(path)
    for name, images in (("remote", remote), ("warning", warning)):
        for size in (32, 16):
            path = os.path.join(PREVIEW_DIR, "icon-%s-%d.png" % (name, size))
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            preview(images, size).save(full, optimize=True)
            written.append(path)
    return written


# ---------------------------------------------------------------------------------------------
# Checking: draw afresh into a temporary folder and compare what Pillow decodes from each file,
# image by image: size, bits a pixel, colour count and every pixel.


def decoded(path):
    with open(path, "rb") as f:
        if path.endswith(".ico"):
            icon = IcoFile(f)
            return [(e["dim"], e["bpp"], e["nb_color"], icon.frame(i).tobytes())
                    for i, e in enumerate(icon.entry)]
        with Image.open(f) as image:
            return [(image.size, image.mode, image.tobytes())]


def check():
    failures = []
    with tempfile.TemporaryDirectory() as fresh:
        for path in write_all(fresh):
            try:
                same = decoded(os.path.join(ROOT, path)) == decoded(os.path.join(fresh, path))
            except (OSError, SyntaxError, ValueError, EOFError, struct.error) as err:
                failures.append("%s: %s" % (path, err))
                continue
            if not same:
                failures.append("%s: differs from a fresh drawing; run the script" % path)
    for line in failures:
        print(line, file=sys.stderr)
    if not failures:
        print("icons match their drawing")
    return 1 if failures else 0


def main(argv):
    if argv[1:] == ["--check"]:
        return check()
    if argv[1:]:
        print("usage: draw_icons.py [--check]", file=sys.stderr)
        return 2
    for path in write_all(ROOT):
        print("wrote %s (%d bytes)" % (path, os.path.getsize(os.path.join(ROOT, path))))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
