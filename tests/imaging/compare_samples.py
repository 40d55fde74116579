"""Compares each decoded sample with source.bmp, as PIL reads it.

Lossless formats must match exactly; lossy ones within bounds that catch a wrong channel
order, a flipped image or a shifted row, but allow the format's own loss.
"""
import sys

from PIL import Image, ImageChops, ImageStat

folder = sys.argv[1]
problems = []


# Named explicitly: guessing from the content, PIL takes a tiny TGA for a GIMP brush.
PIL_FORMATS = {"bmp": "BMP", "png": "PNG", "tif": "TIFF", "tga": "TGA", "pcx": "PCX", "ras": "SUN",
               "pnm": "PPM", "ppm": "PPM", "pgm": "PPM", "jpg": "JPEG", "gif": "GIF", "ico": "ICO"}


def load(name, mode="RGB"):
    formats = [PIL_FORMATS[name.rsplit(".", 1)[1]]]
    return Image.open(f"{folder}/{name}", formats=formats).convert(mode)


source = load("source.bmp")


def max_error(a, b):
    extrema = ImageChops.difference(a, b).getextrema()
    return extrema[1] if a.mode == "L" else max(high for _, high in extrema)


def mean_error(a, b):
    return sum(ImageStat.Stat(ImageChops.difference(a, b)).mean) / len(a.getbands())


def expect(name, ok, detail):
    if not ok:
        problems.append(f"{name}: {detail}")


for name in ["sample.png", "sample.tif", "sample.tga", "decoded_pcx.png", "sample.ras", "sample.pnm",
             "decoded_jp2.ppm", "decoded_jpc.ppm", "decoded_wmf.png"]:
    image = load(name)
    expect(name, image.size == source.size and max_error(image, source) == 0,
           f"not identical (max error {max_error(image, source) if image.size == source.size else image.size})")



def coarse(image, size):
    # Lossy encoders and the icon's shrinking move single pixels; averaged over blocks a few
    # pixels wide, a correct file stays close while a wrong channel order, flip or shift does not.
    return image.resize((max(1, size[0] // 4), max(1, size[1] // 4)), Image.BOX)


for name in ["sample.jpg", "sample.gif", "decoded_gif.png", "sample.ico"]:
    image = load(name)
    error = mean_error(coarse(image, image.size), coarse(source, image.size))
    expect(name, error < 6, f"mean error {error:.2f} over 4 x 4 blocks")

# A picture of at most 256 colours keeps them exactly in a GIF, as PIL and ImageMagick read it.
if source.getcolors(256) is not None:
    for name in ["sample.gif", "decoded_gif.png"]:
        image = load(name)
        expect(name, max_error(image, source) == 0, f"not identical (max error {max_error(image, source)})")

luma = source.convert("L")  # ITU-R 601, as our PGX and WBMP
pgx = load("decoded_pgx.pgm", "L")
expect("sample.pgx", max_error(pgx, luma) <= 1, f"max error {max_error(pgx, luma)}")

wbmp = load("decoded_wbmp.png", "L")
wrong = sum(1 for y, w in zip(luma.getdata(), wbmp.getdata())
            if abs(y - 128) > 1 and (w >= 128) != (y >= 128))
expect("sample.wbmp", wrong == 0, f"{wrong} pixels on the wrong side of the threshold")

for p in problems:
    print("  " + p)
sys.exit(1 if problems else 0)
