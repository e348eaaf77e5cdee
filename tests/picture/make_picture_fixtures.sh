#!/bin/bash
# Makes the picture fixtures of the loader tests with tools other than ours
# (ImageMagick's convert and Pillow) and writes, for each picture, the
# pixels Pillow reads from it: tests/fixtures/pictures/<name>.txt holds
# "width height transparent" and then one line per row, top row first, of
# RRGGBB tokens (for GIF pictures RRGGBB:index). Pictures with transparency
# get their colours composed over the background the loaders use (red 31,
# green 127, blue 255; black for grey pictures); the transparent pixels of a
# GIF get black.
#
# Run from anywhere: bash tests/picture/make_picture_fixtures.sh
set -euo pipefail
out="$(cd "$(dirname "$0")/../fixtures/pictures" && pwd)"
cd "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A 13 × 7 colour source (odd width: rows are padded) and a grey one.
convert -size 13x7 gradient:'#ff2000-#0040ff' \
  \( -size 13x7 gradient:'#000000-#ffffff' -rotate 90 -resize 13x7\! \) \
  -compose Multiply -composite "$work/colour.png"

# BMP: 1, 4 and 8 bits with a palette, 24 and 32 bits, RLE8.
/usr/bin/python3 - "$work/colour.png" <<'PY'
import sys
from PIL import Image
src = Image.open(sys.argv[1]).convert("RGB")
src.convert("1").save("bmp1.bmp")
src.quantize(200).save("bmp8.bmp")
src.save("bmp24.bmp")
src.convert("RGBA").save("bmp32.bmp")
# The 24-bit file stored top row first: negative height, rows reversed.
data = bytearray(open("bmp24.bmp", "rb").read())
import struct
off = struct.unpack_from("<I", data, 10)[0]
w, h = struct.unpack_from("<ii", data, 18)
stride = (w * 24 + 31) // 32 * 4
rows = [data[off + r * stride: off + (r + 1) * stride] for r in range(h)]
struct.pack_into("<i", data, 22, -h)
data[off:off + h * stride] = b"".join(reversed(rows))
open("bmp24_topdown.bmp", "wb").write(bytes(data))
PY
convert "$work/colour.png" -colors 16 -type Palette BMP3:bmp4.bmp
convert "$work/colour.png" -colors 40 -type Palette -compress RLE BMP3:bmp8_rle.bmp

# GIF: 87a, 89a with a transparent index, interlaced, and a noisy picture
# large enough to fill the LZW table (12-bit codes and clear codes).
convert "$work/colour.png" -colors 32 GIF87:gif87a.gif
/usr/bin/python3 - "$work/colour.png" <<'PY'
import random, sys
from PIL import Image
src = Image.open(sys.argv[1]).convert("RGB")
p = src.quantize(20)
p.info.pop("transparency", None)
p.save("gif89a_transparent.gif", transparency=3, interlace=False)
rng = random.Random(7)
noise = Image.new("P", (80, 60))
noise.putpalette([rng.randrange(256) for _ in range(768)])
noise.putdata([rng.randrange(256) for _ in range(80 * 60)])
noise.save("gif_noise.gif", interlace=False)
PY

convert "$work/colour.png" -resize 13x20\! -colors 64 -interlace GIF gif_interlaced.gif

# JPEG: grey, colour (quantised to 128 colours when read), progressive.
/usr/bin/python3 - "$work/colour.png" <<'PY'
import sys
from PIL import Image
src = Image.open(sys.argv[1]).convert("RGB").resize((40, 24))
src.convert("L").save("jpeg_grey.jpg", quality=90)
src.save("jpeg_colour.jpg", quality=90)
src.save("jpeg_progressive.jpg", quality=90, progressive=True)
PY

# PNG: grey 1 and 8 bits, grey with alpha, palette with transparency, RGB,
# RGBA, grey and colour with 16 bits, interlaced.
/usr/bin/python3 - "$work/colour.png" <<'PY'
import sys
from PIL import Image
src = Image.open(sys.argv[1]).convert("RGB")
src.convert("1").save("png_grey1.png")
src.convert("L").save("png_grey8.png")
grey_alpha = src.convert("L").convert("LA")
grey_alpha.putalpha(Image.linear_gradient("L").resize(src.size))
grey_alpha.save("png_grey_alpha.png")
p = src.quantize(12)
p.save("png_palette_trns.png", transparency=bytes([0, 128] + [255] * 10))
src.save("png_rgb.png")
rgba = src.convert("RGBA")
rgba.putalpha(Image.linear_gradient("L").rotate(90).resize(src.size))
rgba.save("png_rgba.png")
PY
convert "$work/colour.png" -colorspace Gray -depth 16 PNG48:"$work/g.png"
convert "$work/colour.png" -colorspace Gray -depth 16 -define png:color-type=0 png_grey16.png
convert "$work/colour.png" -depth 16 PNG48:png_rgb16.png
convert "$work/colour.png" -interlace PNG PNG24:png_interlaced.png

# The pixels Pillow reads.
/usr/bin/python3 - <<'PY'
import glob
from PIL import Image

BACKGROUND = (31, 127, 255)

def compose(v, a, b):
    return (v * a + b * (255 - a) + 127) // 255

for name in sorted(glob.glob("*.bmp") + glob.glob("*.gif") + glob.glob("*.jpg") +
                   glob.glob("*.png")):
    im = Image.open(name)
    w, h = im.size
    transparent = -1
    rows = []
    if name.endswith(".gif"):
        transparent = im.info.get("transparency", -1)
        pal = im.getpalette()
        for y in range(h):
            tokens = []
            for x in range(w):
                i = im.getpixel((x, y))
                rgb = (0, 0, 0) if i == transparent else tuple(pal[3 * i:3 * i + 3])
                tokens.append("%02X%02X%02X:%d" % (*rgb, i))
            rows.append(" ".join(tokens))
    else:
        if im.mode in ("I;16", "I;16B", "I"):
            px = lambda x, y: (im.getpixel((x, y)) >> 8,) * 3
        elif im.mode == "LA":
            la = im
            px = lambda x, y: (compose(la.getpixel((x, y))[0], la.getpixel((x, y))[1], 0),) * 3
        elif im.mode == "RGBA" and name.endswith(".png") or (
                im.mode == "P" and "transparency" in im.info):
            rgba = im.convert("RGBA")
            px = lambda x, y: tuple(compose(rgba.getpixel((x, y))[c], rgba.getpixel((x, y))[3],
                                            BACKGROUND[c]) for c in range(3))
        else:
            rgb = im.convert("RGB")
            px = lambda x, y: rgb.getpixel((x, y))
        for y in range(h):
            rows.append(" ".join("%02X%02X%02X" % px(x, y) for x in range(w)))
    with open(name.rsplit(".", 1)[0] + ".txt", "w") as f:
        f.write("%d %d %d\n" % (w, h, transparent))
        f.write("\n".join(rows) + "\n")
PY
ls
