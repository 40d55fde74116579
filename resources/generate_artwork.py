#!/usr/bin/python3
"""Draws the bitmaps, the program icon and the hand cursor of Q7Resource.

    generate_artwork.py OUTDIR            write every file into OUTDIR
    generate_artwork.py --verify OUTDIR   re-read the written files and check their rules
    generate_artwork.py --preview OUTDIR  also write PNG copies for looking at

Needs Debian's python3-pil, fonts-dejavu-core (DejaVu Sans) and fonts-dejavu-extra
(DejaVu Sans Condensed). The output depends only on this
script, Pillow and the fonts, so every build writes the same bytes.
"""

import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

KEY = (205, 135, 135)  # the skin key colour: transparent wherever a window shows it
FONT_DIR = "/usr/share/fonts/truetype/dejavu"
SS = 4  # supersampling factor for anti-aliased shapes

# ---------------------------------------------------------------------------
# The resource contract: sizes, strip layouts and where the key colour may sit.

THREE_PIXEL_CORNERS = "three"  # two pixels in the first/last row, one in the second/second-last
ONE_PIXEL_CORNERS = "one"

BITMAPS = {
    # id: (file name, width, height, states in the strip or 1, key corners)
    134: ("property_banner.bmp", 1680, 96, 1, None),
    9300: ("panel_face.bmp", 274, 178, 1, THREE_PIXEL_CORNERS),
    9301: ("hide_button.bmp", 44, 11, 4, None),
    9302: ("exit_button.bmp", 44, 11, 4, None),
    9321: ("about.bmp", 500, 350, 1, ONE_PIXEL_CORNERS),
    9322: ("image_button.bmp", 904, 25, 4, None),
    9323: ("resolution_button.bmp", 432, 25, 4, None),
    9324: ("play_button.bmp", 128, 32, 4, None),
    9325: ("snapshot_button.bmp", 104, 22, 4, None),
    9326: ("fullscreen_button.bmp", 104, 22, 4, None),
    9327: ("information_button.bmp", 104, 22, 4, None),
    9329: ("stop_button.bmp", 104, 22, 4, None),
    9331: ("zoom_in_button.bmp", 104, 22, 4, None),
    9332: ("zoom_out_button.bmp", 104, 22, 4, None),
    9333: ("video_frame.bmp", 478, 368, 1, THREE_PIXEL_CORNERS),
    9334: ("frame_bottom.bmp", 4, 4, 1, None),
    9335: ("frame_bottom_left.bmp", 4, 4, 1, None),
    9336: ("frame_bottom_right.bmp", 4, 4, 1, None),
    9337: ("frame_left.bmp", 4, 4, 1, None),
    9338: ("frame_right.bmp", 4, 4, 1, None),
    9339: ("frame_top.bmp", 4, 4, 1, None),
    9340: ("frame_top_left.bmp", 4, 4, 1, None),
    9341: ("frame_top_right.bmp", 4, 4, 1, None),
}

ICON_FILE = "q7viewer.ico"
ICON_SIZES = [256, 128, 96, 72, 64, 48, 32, 24, 16]
CURSOR_IMAGE_FILE = "open_hand.cur.bin"   # RT_CURSOR payload: hot spot, then the DIB
CURSOR_GROUP_FILE = "open_hand.grp.bin"   # RT_GROUP_CURSOR payload
CURSOR_IMAGE_ID = 10                      # follows the nine icon images
CURSOR_HOTSPOT = (11, 9)

# Frame pieces of the video window, grey levels row by row; "K" is the key colour.
FRAME_PIECES = {
    9339: "64 64 64 64 / 121 121 121 121 / 98 98 98 98 / 98 98 98 98",
    9334: "98 98 98 98 / 98 98 98 98 / 121 121 121 121 / 64 64 64 64",
    9337: "64 121 98 98 / 64 121 98 98 / 64 121 98 98 / 64 121 98 98",
    9338: "98 98 121 64 / 98 98 121 64 / 98 98 121 64 / 98 98 121 64",
    9340: "K K 114 84 / K 100 81 112 / 112 82 119 107 / 82 114 106 98",
    9341: "84 114 K K / 112 81 100 K / 107 119 82 112 / 98 106 114 82",
    9335: "78 116 103 98 / 102 95 115 101 / K 82 98 120 / K K 98 68",
    9336: "98 103 116 78 / 101 115 95 102 / 120 98 82 K / 68 98 K K",
}


def frame_piece_pixels(bitmap_id):
    rows = []
    for row in FRAME_PIECES[bitmap_id].split("/"):
        rows.append([KEY if v == "K" else (int(v),) * 3 for v in row.split()])
    return rows


def key_corner_pixels(width, height, kind):
    """The pixels that must carry the key colour; no other pixel may."""
    if kind == THREE_PIXEL_CORNERS:
        corner = [(0, 0), (1, 0), (0, 1)]
    elif kind == ONE_PIXEL_CORNERS:
        corner = [(0, 0)]
    else:
        return set()
    pixels = set()
    for x, y in corner:
        pixels |= {(x, y), (width - 1 - x, y), (x, height - 1 - y), (width - 1 - x, height - 1 - y)}
    return pixels


def allowed_key_pixels(bitmap_id):
    if bitmap_id in FRAME_PIECES:
        return {(x, y) for y, row in enumerate(frame_piece_pixels(bitmap_id))
                for x, p in enumerate(row) if p == KEY}
    _, w, h, _, corners = BITMAPS[bitmap_id]
    return key_corner_pixels(w, h, corners)

# ---------------------------------------------------------------------------
# Drawing helpers


# Which Debian package brings each font, so a missing one is named rather than a bare OSError.
FONT_PACKAGES = {
    "DejaVuSans.ttf": "fonts-dejavu-core",
    "DejaVuSans-Bold.ttf": "fonts-dejavu-core",
    "DejaVuSansCondensed.ttf": "fonts-dejavu-extra",
    "DejaVuSansCondensed-Bold.ttf": "fonts-dejavu-extra",
}


def font(name, size):
    path = os.path.join(FONT_DIR, name)
    if not os.path.isfile(path):
        sys.exit(f"generate_artwork.py: font {path} is missing; "
                 f"install the Debian package {FONT_PACKAGES.get(name, 'that provides it')}")
    return ImageFont.truetype(path, size, layout_engine=ImageFont.Layout.BASIC)


SANS = "DejaVuSans.ttf"
BOLD = "DejaVuSans-Bold.ttf"
COND_BOLD = "DejaVuSansCondensed-Bold.ttf"
COND = "DejaVuSansCondensed.ttf"


def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def vgradient(img, box, top, bottom):
    x0, y0, x1, y1 = box
    d = ImageDraw.Draw(img)
    n = max(1, y1 - y0 - 1)
    for y in range(y0, y1):
        d.line([(x0, y), (x1 - 1, y)], fill=lerp(top, bottom, (y - y0) / n))


def hgradient(img, box, left, right):
    x0, y0, x1, y1 = box
    d = ImageDraw.Draw(img)
    n = max(1, x1 - x0 - 1)
    for x in range(x0, x1):
        d.line([(x, y0), (x, y1 - 1)], fill=lerp(left, right, (x - x0) / n))


class Layer:
    """A transparent layer drawn at SS times the size, composited down with anti-aliasing."""

    def __init__(self, width, height):
        self.size = (width, height)
        self.img = Image.new("RGBA", (width * SS, height * SS), (0, 0, 0, 0))
        self.draw = ImageDraw.Draw(self.img)

    @staticmethod
    def s(box):
        return [round(v * SS) for v in box]

    def _over(self, paint):
        """Draws with paint(ImageDraw) on a clear sheet and composites it source-over, so a
        translucent shape tints what the layer holds instead of replacing it."""
        sheet = Image.new("RGBA", self.img.size, (0, 0, 0, 0))
        paint(ImageDraw.Draw(sheet))
        self.img.alpha_composite(sheet)

    def rounded(self, box, radius, fill=None, outline=None, width=1.0):
        self._over(lambda d: d.rounded_rectangle(self.s(box), radius=round(radius * SS), fill=fill,
                                                 outline=outline, width=round(width * SS) if outline else 0))

    def ellipse(self, box, fill=None, outline=None, width=1.0):
        self._over(lambda d: d.ellipse(self.s(box), fill=fill, outline=outline,
                                       width=round(width * SS) if outline else 0))

    def punch_ellipse(self, box):
        self.draw.ellipse(self.s(box), fill=(0, 0, 0, 0))

    def polygon(self, points, fill):
        self._over(lambda d: d.polygon([(round(x * SS), round(y * SS)) for x, y in points], fill=fill))

    def line(self, points, fill, width):
        self._over(lambda d: d.line([(round(x * SS), round(y * SS)) for x, y in points], fill=fill,
                                    width=round(width * SS)))

    def gradient_mask_fill(self, mask_box_fn, top, bottom, y0, y1):
        """Fills a shape (drawn by mask_box_fn into a mask) with a vertical gradient."""
        mask = Image.new("L", self.img.size, 0)
        mask_box_fn(ImageDraw.Draw(mask))
        grad = Image.new("RGBA", self.img.size)
        gd = ImageDraw.Draw(grad)
        h = self.img.size[1]
        for y in range(h):
            t = min(1.0, max(0.0, (y / SS - y0) / max(1e-6, (y1 - y0))))
            gd.line([(0, y), (self.img.size[0], y)], fill=lerp(top, bottom, t) + (255,))
        self.img.paste(grad, (0, 0), mask)

    def result(self):
        return self.img.resize(self.size, Image.LANCZOS)

    def onto(self, base, at=(0, 0)):
        layer = self.result()
        if base.mode == "RGB":
            tmp = base.convert("RGBA")
            tmp.alpha_composite(layer, at)
            base.paste(tmp.convert("RGB"))
        else:
            base.alpha_composite(layer, at)


def text_size(f, text, spacing=0.0):
    if spacing:
        return (sum(f.getlength(c) for c in text) + spacing * (len(text) - 1),
                f.getbbox(text)[3])
    l, t, r, b = f.getbbox(text)
    return r, b


def draw_text(img, xy, text, f, fill, anchor="la", spacing=0.0):
    """Text with optional extra letter spacing; anchor as Pillow's, horizontal part honoured."""
    d = ImageDraw.Draw(img)
    if not spacing:
        d.text(xy, text, font=f, fill=fill, anchor=anchor)
        return
    width = sum(f.getlength(c) for c in text) + spacing * (len(text) - 1)
    x, y = xy
    if anchor[0] == "m":
        x -= width / 2
    elif anchor[0] == "r":
        x -= width
    for c in text:
        d.text((x, y), c, font=f, fill=fill, anchor="l" + anchor[1])
        x += f.getlength(c) + spacing


def text_shadowed(img, xy, text, f, fill, shadow, anchor="la", spacing=0.0, offset=(0, 1)):
    draw_text(img, (xy[0] + offset[0], xy[1] + offset[1]), text, f, shadow, anchor, spacing)
    draw_text(img, xy, text, f, fill, anchor, spacing)


def finish(img, bitmap_id):
    """Keeps the key colour exactly where the contract puts it and nowhere else."""
    img = img.convert("RGB")
    allowed = allowed_key_pixels(bitmap_id)
    px = img.load()
    w, h = img.size
    for y in range(h):
        for x in range(w):
            if px[x, y] == KEY and (x, y) not in allowed:
                px[x, y] = (205, 135, 136)  # one step of blue: invisible, but never keyed out
    for x, y in allowed:
        px[x, y] = KEY
    return img

# ---------------------------------------------------------------------------
# Colours shared by the panel and its buttons

FRAME_DARK = (56, 59, 64)
FRAME_EDGE = (36, 38, 42)
TITLE_TOP = (252, 253, 254)
TITLE_BOTTOM = (222, 226, 232)
BODY = (237, 237, 237)          # the panel's control background brush
STATUS_BAND = (98, 98, 98)      # the status line's background brush
INK = (38, 42, 50)
ACCENT_BLUE = (32, 104, 186)
GREEN_DARK_TOP, GREEN_DARK_BOTTOM = (62, 142, 74), (28, 98, 44)
GREEN_LIGHT_TOP, GREEN_LIGHT_BOTTOM = (140, 222, 132), (70, 172, 82)
GREEN_PRESS_TOP, GREEN_PRESS_BOTTOM = (84, 178, 90), (104, 198, 106)
GREY_TOP, GREY_BOTTOM = (190, 192, 196), (160, 163, 168)

# Control rectangles in the panel's client area, in pixels, as the panel places them.
PANEL_BUTTONS = {
    9302: (256, 5, 11, 11), 9301: (243, 5, 11, 11),
    9322: (25, 48, 226, 25), 9323: (25, 48, 108, 25),
    9324: (29, 92, 32, 32), 9329: (61, 97, 26, 22), 9325: (87, 97, 26, 22),
    9332: (122, 97, 26, 22), 9331: (148, 97, 26, 22), 9326: (182, 97, 26, 22),
    9327: (215, 97, 26, 22),
}
STRIP_BOX = (11, 83, 263, 140)  # the recessed transport strip
TITLE_BAND = (3, 3, 271, 42)
BOTTOM_BAND_TOP = 152


def lens_image(size):
    """The camera lens of the icon and logos: dark grey ring around a blue centre, RGBA."""
    big = 1024
    img = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    c = big / 2
    small = size <= 24

    def circle(r, fill):
        d.ellipse([c - r, c - r, c + r, c + r], fill=fill)

    def radial(r_out, r_in, outer, inner):
        steps = int(r_out - r_in)
        for i in range(steps + 1):
            r = r_out - i
            circle(r, lerp(outer, inner, i / max(1, steps)) + (255,))

    r = big * 0.47
    circle(r, (22, 24, 28, 255))                                  # outer rim
    radial(r - 14, r * 0.80, (88, 92, 100), (46, 49, 55))         # barrel
    if not small:
        # knurled grip: short light ticks round the barrel
        import math
        for k in range(48):
            a = 2 * math.pi * k / 48
            r1, r2 = r * 0.86, r * 0.95
            d.line([(c + r1 * math.cos(a), c + r1 * math.sin(a)),
                    (c + r2 * math.cos(a), c + r2 * math.sin(a))], fill=(120, 125, 134, 255), width=7)
    circle(r * 0.80, (30, 32, 36, 255))                           # inner shadow ring
    radial(r * 0.76, r * (0.74 if not small else 0.70), (150, 155, 164), (108, 113, 122))  # bright bezel
    circle(r * 0.70, (12, 18, 34, 255))
    radial(r * 0.66, 0, (12, 54, 140), (70, 170, 250))            # blue glass
    circle(r * 0.26, (8, 20, 56, 255))                            # pupil
    # reflections
    hl = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    hd = ImageDraw.Draw(hl)
    hd.ellipse([c - r * 0.50, c - r * 0.56, c + r * 0.12, c - r * 0.10], fill=(255, 255, 255, 120))
    hd.ellipse([c + r * 0.18, c + r * 0.22, c + r * 0.42, c + r * 0.44], fill=(255, 255, 255, 70))
    img.alpha_composite(hl)
    return img.resize((size, size), Image.LANCZOS)

# ---------------------------------------------------------------------------
# Control panel face (9300) and the strips that sit on it


def panel_background():
    w, h = 274, 178
    img = Image.new("RGB", (w, h), BODY)
    d = ImageDraw.Draw(img)
    # outer frame, three pixels of dark grey with a darker outline
    d.rectangle([0, 0, w - 1, h - 1], fill=FRAME_DARK)
    d.rectangle([0, 0, w - 1, h - 1], outline=FRAME_EDGE)
    d.line([(1, 1), (w - 2, 1)], fill=(88, 92, 98))
    # title band
    x0, y0, x1, y1 = TITLE_BAND
    vgradient(img, (x0, y0, x1, y1), TITLE_TOP, TITLE_BOTTOM)
    d.line([(x0, y1), (x1 - 1, y1)], fill=(190, 195, 203))
    d.line([(x0, y1 + 1), (x1 - 1, y1 + 1)], fill=(252, 252, 252))
    # body
    d.rectangle([3, y1 + 2, w - 4, BOTTOM_BAND_TOP - 1], fill=BODY)
    # recessed transport strip
    sx0, sy0, sx1, sy1 = STRIP_BOX
    lay = Layer(w, h)
    lay.rounded((sx0, sy0, sx1, sy1 + 1), 11, fill=(255, 255, 255, 255))       # lower highlight
    lay.rounded((sx0, sy0, sx1, sy1), 11, fill=(150, 154, 160, 255))           # inner shadow edge
    lay.onto(img)
    lay = Layer(w, h)
    lay.gradient_mask_fill(
        lambda md: md.rounded_rectangle(Layer.s((sx0 + 1, sy0 + 2, sx1 - 1, sy1 - 1)),
                                        radius=10 * SS, fill=255),
        (206, 209, 214), (226, 228, 231), sy0 + 2, sy1 - 1)
    lay.onto(img)
    # bottom band holding the status line
    d.rectangle([3, BOTTOM_BAND_TOP, w - 4, h - 4], fill=STATUS_BAND)
    d.line([(3, BOTTOM_BAND_TOP), (w - 4, BOTTOM_BAND_TOP)], fill=(72, 72, 72))
    d.line([(3, BOTTOM_BAND_TOP - 1), (w - 4, BOTTOM_BAND_TOP - 1)], fill=(205, 205, 205))
    # the strip's own flat interior under the buttons: keep it uniform along x so that
    # every green segment reads the same whatever its position
    return img


def draw_panel_decor(img):
    w, h = img.size
    # a small lens before the title
    lens = lens_image(26)
    base = img.convert("RGBA")
    base.alpha_composite(lens, (9, 9))
    img.paste(base.convert("RGB"))
    title_font = font(BOLD, 18)
    x = 41
    text_shadowed(img, (x, 22), "TK Lumora-Q7", title_font, INK, (255, 255, 255), anchor="lm")
    right = x + title_font.getlength("TK Lumora-Q7")
    draw_text(img, (right, 36), "VIEWER", font(BOLD, 7), ACCENT_BLUE, anchor="rm", spacing=1.6)
    # maker's name at the strip's lower right
    sx0, sy0, sx1, sy1 = STRIP_BOX
    draw_text(img, (sx1 - 12, sy1 - 10), "ORMELAN", font(BOLD, 8), (120, 124, 132), anchor="rm",
              spacing=1.4)


def four_states(bg, draw_state):
    """bg: the background patch of one state; draw_state(img, state) paints it in place."""
    w, h = bg.size
    strip = Image.new("RGB", (w * 4, h))
    for state in range(4):
        face = bg.copy()
        draw_state(face, state)
        strip.paste(face, (state * w, 0))
    return strip


def title_button(bg, bitmap_id):
    exit_button = bitmap_id == 9302

    def paint(img, state):
        w, h = img.size
        lay = Layer(w, h)
        if state == 1:
            lay.rounded((0, 0, w, h), 2.5, fill=(214, 46, 38, 255) if exit_button else (196, 206, 222, 255))
        elif state == 2:
            lay.rounded((0, 0, w, h), 2.5, fill=(160, 28, 24, 255) if exit_button else (160, 174, 196, 255))
        if state in (1, 2):
            ink = (255, 255, 255, 255) if exit_button else (24, 28, 36, 255)
        elif state == 0:
            ink = (70, 74, 82, 255)
        else:
            ink = (186, 189, 194, 255)
        off = 0.5 if state == 2 else 0.0
        if exit_button:
            lay.line([(3 + off, 3 + off), (8 + off, 8 + off)], ink, 1.6)
            lay.line([(8 + off, 3 + off), (3 + off, 8 + off)], ink, 1.6)
        else:
            lay.rounded((2.5 + off, 6.5 + off, 8.5 + off, 8.3 + off), 0.6, fill=ink)
        lay.onto(img)
    return four_states(bg, paint)


def text_button(bg, label, icon):
    def paint(img, state):
        w, h = img.size
        lay = Layer(w, h)
        border = [(178, 182, 189), (64, 160, 82), (44, 128, 62), (212, 214, 217)][state]
        top = [(255, 255, 255), (250, 255, 250), (214, 226, 216), (246, 246, 246)][state]
        bottom = [(226, 228, 232), (222, 240, 224), (234, 242, 235), (238, 238, 238)][state]
        lay.rounded((0.5, 0.5, w - 0.5, h - 0.5), 5, fill=border + (255,))
        lay.gradient_mask_fill(
            lambda md: md.rounded_rectangle(Layer.s((1.5, 1.5, w - 1.5, h - 1.5)), radius=4 * SS, fill=255),
            top, bottom, 1.5, h - 1.5)
        lay.onto(img)
        ink = [(92, 96, 104), (36, 150, 60), (24, 118, 46), (192, 194, 198)][state]
        shift = 1 if state == 2 else 0
        icon_w = 14 if icon else 0
        size, spacing = 11, 0.8
        while True:  # the largest type that leaves a comfortable margin
            f = font(COND_BOLD, size)
            tw, _ = text_size(f, label, spacing)
            if tw + icon_w <= w - 28 or size <= 8:
                break
            size -= 1
        x = (w - tw - icon_w) / 2 + icon_w + shift
        y = h / 2 + shift
        if icon:
            gear(img, (x - 9, y), ink)
        draw_text(img, (x, y), label, f, ink, anchor="lm", spacing=spacing)
    return paint


def gear(img, centre, colour):
    """A small cog: the sign for settings."""
    import math
    cx, cy = centre
    lay = Layer(*img.size)
    teeth = 8
    pts = []
    for k in range(teeth * 4):
        a = 2 * math.pi * (k - 0.5) / (teeth * 4)
        r = 5.2 if (k % 4) in (0, 1) else 3.9
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    lay.polygon(pts, colour + (255,))
    lay.punch_ellipse((cx - 1.7, cy - 1.7, cx + 1.7, cy + 1.7))
    lay.onto(img)


def play_button(bg):
    def paint(img, state):
        w, h = img.size
        lay = Layer(w, h)
        top, bottom = [(GREEN_LIGHT_TOP, GREEN_DARK_BOTTOM),
                       ((160, 236, 150), (66, 170, 78)),
                       ((40, 118, 54), (84, 170, 92)),
                       ((206, 208, 211), (150, 153, 158))][state]
        rim = [(22, 84, 38), (30, 110, 48), (18, 70, 32), (128, 131, 136)][state]
        lay.ellipse((0.5, 0.5, w - 0.5, h - 0.5), fill=(255, 255, 255, 200))  # bevel highlight
        lay.ellipse((0.5, 0.5, w - 0.5, h - 1.2), fill=rim + (255,))
        lay.gradient_mask_fill(lambda md: md.ellipse(Layer.s((2, 2, w - 2, h - 2.7)), fill=255),
                               top, bottom, 2, h - 2.7)
        if state != 2:
            lay.ellipse((7, 3, w - 7, h / 2 - 1), fill=(255, 255, 255, 60))
        off = 0.6 if state == 2 else 0.0
        cx, cy = w / 2 + 1.3 + off, h / 2 - 0.6 + off
        tri = [(cx - 5.2, cy - 7), (cx - 5.2, cy + 7), (cx + 7.4, cy)]
        lay.polygon([(x + 0.0, y + 0.8) for x, y in tri], (0, 0, 0, 60))
        lay.polygon(tri, (255, 255, 255, 255) if state != 3 else (244, 244, 244, 255))
        lay.onto(img)
    return four_states(bg, paint)


def segment_button(bg, symbol):
    def paint(img, state):
        w, h = img.size
        lay = Layer(w, h)
        top, bottom = [(GREEN_DARK_TOP, GREEN_DARK_BOTTOM),
                       (GREEN_LIGHT_TOP, GREEN_LIGHT_BOTTOM),
                       (GREEN_PRESS_TOP, GREEN_PRESS_BOTTOM),
                       (GREY_TOP, GREY_BOTTOM)][state]
        rim = [(20, 72, 32), (40, 126, 54), (30, 104, 44), (136, 139, 144)][state]
        lay.rounded((1, 1.5, w - 1, h - 0.5), 6, fill=(255, 255, 255, 170))   # bevel highlight
        lay.rounded((1, 1, w - 1, h - 1), 6, fill=rim + (255,))
        lay.gradient_mask_fill(
            lambda md: md.rounded_rectangle(Layer.s((2, 2, w - 2, h - 2)), radius=5 * SS, fill=255),
            top, bottom, 2, h - 2)
        if state != 2:
            lay.rounded((3, 2.5, w - 3, h / 2), 4, fill=(255, 255, 255, 34))
        off = 0.6 if state == 2 else 0.0
        ink = (255, 255, 255, 255) if state != 3 else (248, 248, 248, 255)
        cx, cy = w / 2 + off, h / 2 + off
        shadow = (0, 0, 0, 50)
        for colour, dy in ((shadow, 0.8), (ink, 0.0)):
            y = cy + dy
            if symbol == "square":
                lay.rounded((cx - 4, y - 4, cx + 4, y + 4), 1, fill=colour)
            elif symbol == "dot":
                lay.ellipse((cx - 4.2, y - 4.2, cx + 4.2, y + 4.2), fill=colour)
            elif symbol == "minus":
                lay.rounded((cx - 5, y - 1.2, cx + 5, y + 1.2), 0.8, fill=colour)
            elif symbol == "plus":
                lay.rounded((cx - 5, y - 1.2, cx + 5, y + 1.2), 0.8, fill=colour)
                lay.rounded((cx - 1.2, y - 5, cx + 1.2, y + 5), 0.8, fill=colour)
            elif symbol == "corners":
                for sx in (-1, 1):
                    for sy in (-1, 1):
                        ex, ey = cx + sx * 6, y + sy * 5
                        lay.line([(ex, ey - sy * 3.4), (ex, ey), (ex - sx * 3.8, ey)], colour, 1.5)
        lay.onto(img)
        if symbol == "question":
            f = font(BOLD, 15)
            mid = lerp(top, bottom, 0.6)
            draw_text(img, (cx, cy + 1.8), "?", f, lerp(mid, (0, 0, 0), 0.3), anchor="mm")
            draw_text(img, (cx, cy + 1), "?", f, ink[:3], anchor="mm")
    return four_states(bg, paint)


def panel_and_strips():
    bg = panel_background()
    draw_panel_decor(bg)
    patches = {i: bg.crop((x, y, x + w, y + h)) for i, (x, y, w, h) in PANEL_BUTTONS.items()}
    strips = {
        9301: title_button(patches[9301], 9301),
        9302: title_button(patches[9302], 9302),
        9322: four_states(patches[9322], text_button(patches[9322], "Camera Property Configuration", True)),
        9323: four_states(patches[9323], text_button(patches[9323], "Resolution", False)),
        9324: play_button(patches[9324]),
        9329: segment_button(patches[9329], "square"),
        9325: segment_button(patches[9325], "dot"),
        9332: segment_button(patches[9332], "minus"),
        9331: segment_button(patches[9331], "plus"),
        9326: segment_button(patches[9326], "corners"),
        9327: segment_button(patches[9327], "question"),
    }
    # The face shows every visible button in its normal state, so the panel looks whole
    # even before its buttons have painted.
    face = bg.copy()
    for i, (x, y, w, h) in PANEL_BUTTONS.items():
        if i == 9323:
            continue  # the resolution button is never shown
        face.paste(strips[i].crop((0, 0, w, h)), (x, y))
    return face, strips

# ---------------------------------------------------------------------------
# Property dialog banner (134)


# The dialog shows the middle of the banner, as much as its header band holds: about 700 x 44
# pixels at 100 % on Windows and up to 1640 x 92 at 200 %. So the banner is drawn for the
# largest band, with the name inside the smallest one, near its right end.
BANNER_SMALLEST_BAND = (700, 44)


def property_banner():
    w, h = BITMAPS[134][1], BITMAPS[134][2]
    band_w, band_h = BANNER_SMALLEST_BAND
    right = (w + band_w) // 2 - 16  # where the name ends
    middle = h / 2
    img = Image.new("RGB", (w, h))
    hgradient(img, (0, 0, w, h), (4, 18, 56), (40, 124, 216))
    # soft lens rings behind the name
    lay = Layer(w, h)
    ring_x = right - 100
    for i, r in enumerate((70, 54, 38, 22)):
        lay.ellipse((ring_x - r, middle - r, ring_x + r, middle + r), outline=(255, 255, 255, 26 + 8 * i), width=1.2)
    lay.onto(img)
    vgradient_overlay(img, (0, 0, w, int(middle)), 36)
    f = font(BOLD, 20)
    text_shadowed(img, (right, middle - 1), "TK Lumora-Q7", f, (255, 255, 255), (6, 22, 60), anchor="rm",
                  offset=(1, 1))
    draw_text(img, (right - f.getlength("TK Lumora-Q7") - 14, middle + 1), "CAMERA PROPERTY",
              font(BOLD, 9), (170, 204, 244), anchor="rm", spacing=1.8)
    return img


def vgradient_overlay(img, box, alpha_top):
    """A glassy sheen: white fading out downwards."""
    x0, y0, x1, y1 = box
    over = Image.new("RGBA", img.size, (0, 0, 0, 0))
    d = ImageDraw.Draw(over)
    for y in range(y0, y1):
        a = int(alpha_top * (1 - (y - y0) / max(1, y1 - y0)))
        d.line([(x0, y), (x1 - 1, y)], fill=(255, 255, 255, a))
    base = img.convert("RGBA")
    base.alpha_composite(over)
    img.paste(base.convert("RGB"))

# ---------------------------------------------------------------------------
# About picture (9321)


def program_version():
    """Major.minor from the version resource (Q7Resource.rc beside this script), the one place
    the version is written."""
    rc = os.path.join(os.path.dirname(os.path.abspath(__file__)), "Q7Resource.rc")
    with open(rc, encoding="utf-8") as f:
        for line in f:
            words = line.replace(",", " ").split()
            if len(words) == 5 and words[0] == "FILEVERSION":
                return f"{int(words[1])}.{int(words[2])}"
    sys.exit(f"generate_artwork.py: no FILEVERSION line in {rc}")



def keycap(img, x, y, label, f):
    tw = f.getlength(label)
    w, h = max(22, tw + 12), 17
    lay = Layer(*img.size)
    lay.rounded((x, y + 1, x + w, y + h + 1), 3.5, fill=(150, 156, 166, 255))
    lay.rounded((x, y, x + w, y + h), 3.5, fill=(180, 186, 196, 255))
    lay.gradient_mask_fill(
        lambda md: md.rounded_rectangle(Layer.s((x + 1, y + 1, x + w - 1, y + h - 1)), radius=3 * SS, fill=255),
        (255, 255, 255), (232, 235, 240), y + 1, y + h - 1)
    lay.onto(img)
    draw_text(img, (x + w / 2, y + h / 2 + 0.5), label, f, (44, 50, 62), anchor="mm")
    return x + w


def about_picture():
    w, h = 500, 350
    img = Image.new("RGB", (w, h), (250, 251, 252))
    d = ImageDraw.Draw(img)
    vgradient(img, (0, 34, w, h), (252, 253, 254), (236, 240, 245))
    # title band
    hgradient(img, (0, 0, w, 34), (10, 34, 86), (34, 110, 200))
    vgradient_overlay(img, (0, 0, w, 17), 40)
    text_shadowed(img, (18, 17), "About", font(BOLD, 15), (255, 255, 255), (4, 18, 50), anchor="lm")
    draw_text(img, (w - 18, 17), "TK Lumora-Q7 Viewer", font(SANS, 10), (190, 214, 246), anchor="rm")
    d.line([(0, 34), (w, 34)], fill=(6, 24, 64))
    # product block
    lens = lens_image(72)
    base = img.convert("RGBA")
    base.alpha_composite(lens, (26, 52))
    img.paste(base.convert("RGB"))
    text_shadowed(img, (116, 70), "TK Lumora-Q7", font(BOLD, 28), INK, (255, 255, 255), anchor="ls")
    draw_text(img, (117, 92), "5-megapixel USB colour camera, 2592 × 1944 pixels", font(SANS, 12),
              (70, 76, 88), anchor="ls")
    draw_text(img, (117, 112), "Version " + program_version(), font(SANS, 10), (120, 126, 138), anchor="ls")
    # free-of-charge note
    lay = Layer(w, h)
    lay.rounded((24, 136, w - 24, 166), 6, fill=(226, 238, 252, 255), outline=(176, 202, 236, 255), width=1)
    lay.onto(img)
    draw_text(img, (w / 2, 151), "This viewer is free of charge and serves the TK Lumora-Q7 camera only.",
              font(SANS, 11), (30, 70, 130), anchor="mm")
    # full-screen controls
    draw_text(img, (26, 190), "FULL-SCREEN CONTROLS", font(BOLD, 10), ACCENT_BLUE, anchor="ls", spacing=1.2)
    d.line([(26, 196), (w - 26, 196)], fill=(206, 212, 222))
    kf = font(BOLD, 10)
    tf = font(SANS, 12)
    ink = (52, 58, 70)
    rows = [
        (["Wheel", "+", "\u2212"], "Zoom in and out"),
        (["Enter", "Esc"], "Close full screen"),
        (["Left button drag"], "Move the image"),
    ]
    y = 206
    for keys, text in rows:
        x = 40
        for i, k in enumerate(keys):
            if i:
                draw_text(img, (x + 5, y + 9), "/", font(SANS, 11), (150, 156, 166), anchor="lm")
                x += 14
            x = keycap(img, x, y, k, kf) + 2
        draw_text(img, (210, y + 9), text, tf, ink, anchor="lm")
        y += 27
    # maker's logo and lines
    d.line([(0, 296), (w, 296)], fill=(210, 216, 226))
    d.line([(0, 297), (w, 297)], fill=(255, 255, 255))
    logo = Layer(w, h)
    lx, ly = 30, 322
    logo.ellipse((lx - 11, ly - 11, lx + 11, ly + 11), fill=(20, 60, 130, 255))
    logo.ellipse((lx - 6.5, ly - 6.5, lx + 6.5, ly + 6.5), fill=(250, 251, 252, 255))
    logo.ellipse((lx - 3, ly - 3, lx + 3, ly + 3), fill=(46, 140, 230, 255))
    logo.onto(img)
    draw_text(img, (48, 318), "ORMELAN", font(BOLD, 16), (20, 60, 130), anchor="ls", spacing=2.2)
    draw_text(img, (49, 332), "IMAGING SOLUTIONS", font(SANS, 7), (110, 126, 150), anchor="ls", spacing=1.6)
    draw_text(img, (w - 22, 318), "Copyright \u00a9 ORMELAN. All rights reserved.", font(SANS, 10),
              (110, 116, 128), anchor="rs")
    draw_text(img, (w - 22, 332), "Click anywhere to close", font(SANS, 9), (150, 156, 166), anchor="rs")
    # accent lines along the foot
    hgradient(img, (0, h - 4, w, h - 2), (20, 60, 130), (46, 140, 230))
    # a hairline border so the picture stands apart from any desktop
    d.rectangle([0, 0, w - 1, h - 1], outline=(60, 70, 88))
    return img

# ---------------------------------------------------------------------------
# Video window frame (9333 and the eight pieces)


def piece_image(bitmap_id):
    rows = frame_piece_pixels(bitmap_id)
    img = Image.new("RGB", (4, 4))
    for y, row in enumerate(rows):
        for x, p in enumerate(row):
            img.putpixel((x, y), p)
    return img


def video_frame():
    """The frame the eight pieces compose at 478 x 368 around a black interior."""
    w, h = 478, 368
    img = Image.new("RGB", (w, h), (0, 0, 0))
    top, bottom, left, right = (piece_image(i) for i in (9339, 9334, 9337, 9338))
    img.paste(left.resize((4, h), Image.NEAREST), (0, 0))
    img.paste(right.resize((4, h), Image.NEAREST), (w - 4, 0))
    img.paste(top.resize((w, 4), Image.NEAREST), (0, 0))
    img.paste(bottom.resize((w, 4), Image.NEAREST), (0, h - 4))
    img.paste(piece_image(9340), (0, 0))
    img.paste(piece_image(9341), (w - 4, 0))
    img.paste(piece_image(9335), (0, h - 4))
    img.paste(piece_image(9336), (w - 4, h - 4))
    return img

# ---------------------------------------------------------------------------
# Icon and cursor

# An open hand, palm towards the viewer: X black, o white, . transparent.
OPEN_HAND = """
................................
................................
................................
...........XXX..................
.......XXXXoooXXXX..............
......XoooXoooXoooX.............
......XoooXoooXoooX.............
......XoooXoooXoooXXX...........
......XoooXoooXoooXooX..........
......XoooXoooXoooXooX..........
......XoooXoooXoooXooX..........
..XX..XoooXoooXoooXooX..........
.XooX.XooooooooooooooX..........
..XooXoooooooooooooooX..........
..XooooooooooooooooooX..........
...XoooooooooooooooooX..........
....XooooooooooooooooX..........
.....XoooooooooooooooX..........
.....XooooooooooooooX...........
......XooooooooooooX............
......XooooooooooooX............
......XooooooooooooX............
......XXXXXXXXXXXXXX............
................................
................................
................................
................................
................................
................................
................................
................................
................................
"""


def hand_rows():
    rows = [r for r in OPEN_HAND.strip("\n").split("\n")]
    assert len(rows) == 32 and all(len(r) == 32 for r in rows), "hand art must be 32 x 32"
    return rows


def dib_rows_bottom_up(rows):
    return list(reversed(rows))


def mono_row_bytes(bits):
    out = bytearray()
    for i in range(0, 32, 8):
        b = 0
        for j in range(8):
            b = (b << 1) | bits[i + j]
        out.append(b)
    return bytes(out)


def cursor_payloads():
    rows = hand_rows()
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, 0, 0, 0, 2, 2)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    xor = b"".join(mono_row_bytes([1 if c == "o" else 0 for c in r]) for r in dib_rows_bottom_up(rows))
    andm = b"".join(mono_row_bytes([1 if c == "." else 0 for c in r]) for r in dib_rows_bottom_up(rows))
    dib = header + palette + xor + andm
    image = struct.pack("<HH", *CURSOR_HOTSPOT) + dib
    group = struct.pack("<HHH", 0, 2, 1) + struct.pack("<HHHHIH", 32, 64, 1, 1, len(image), CURSOR_IMAGE_ID)
    return image, group


def icon_file():
    images = []
    for size in ICON_SIZES:
        rgba = lens_image(size)
        px = rgba.load()
        stride_mask = ((size + 31) // 32) * 4
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                             size * size * 4 + stride_mask * size, 0, 0, 0, 0)
        color = bytearray()
        mask = bytearray()
        for y in range(size - 1, -1, -1):
            bits = []
            for x in range(size):
                r, g, b, a = px[x, y]
                color += bytes((b, g, r, a))
                bits.append(1 if a == 0 else 0)
            row = bytearray(stride_mask)
            for x, bit in enumerate(bits):
                if bit:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        images.append((size, header + bytes(color) + bytes(mask)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(d for _, d in images)

# ---------------------------------------------------------------------------
# Files


def bmp_bytes(img):
    w, h = img.size
    stride = (w * 3 + 3) & ~3
    px = img.load()
    data = bytearray()
    for y in range(h - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(w):
            r, g, b = px[x, y]
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        data += row
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + bytes(data)


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)


def all_bitmaps():
    face, strips = panel_and_strips()
    images = {134: property_banner(), 9300: face, 9321: about_picture(), 9333: video_frame()}
    images.update(strips)
    for i in FRAME_PIECES:
        images[i] = piece_image(i)
    return {i: finish(img, i) for i, img in images.items()}


def generate(out_dir, preview=False):
    os.makedirs(out_dir, exist_ok=True)
    for i, img in sorted(all_bitmaps().items()):
        name, w, h, _, _ = BITMAPS[i]
        assert img.size == (w, h), (i, img.size)
        write_file(os.path.join(out_dir, name), bmp_bytes(img))
        if preview:
            img.save(os.path.join(out_dir, name.replace(".bmp", ".png")))
    write_file(os.path.join(out_dir, ICON_FILE), icon_file())
    image, group = cursor_payloads()
    write_file(os.path.join(out_dir, CURSOR_IMAGE_FILE), image)
    write_file(os.path.join(out_dir, CURSOR_GROUP_FILE), group)
    if preview:
        lens_image(256).save(os.path.join(out_dir, "icon_preview.png"))

# ---------------------------------------------------------------------------
# Verification of written files, independent of the drawing code above


def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    magic, _, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    size, w, h, planes, bpp, comp, image_size, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", data, 14)
    return dict(magic=magic, offset=offset, header=size, width=w, height=h, planes=planes, bpp=bpp,
                compression=comp, used=used, data=data)


def bmp_pixel(b, x, y):
    stride = (b["width"] * 3 + 3) & ~3
    row = b["height"] - 1 - y  # bottom-up
    p = b["offset"] + row * stride + x * 3
    blue, green, red = b["data"][p:p + 3]
    return red, green, blue


def verify(out_dir):
    errors = []
    # The nudge itself: a picture made only of the key colour keeps it at the corners alone.
    probe = finish(Image.new("RGB", (274, 178), KEY), 9300)
    if sum(1 for p in probe.getdata() if p == KEY) != 12:
        errors.append("finish() leaves the key colour outside the corners")
    for i, (name, w, h, states, _) in sorted(BITMAPS.items()):
        b = read_bmp(os.path.join(out_dir, name))
        if (b["magic"], b["header"], b["bpp"], b["compression"], b["planes"]) != (b"BM", 40, 24, 0, 1):
            errors.append(f"{i}: not an uncompressed 24-bit DIB with a 40-byte header")
        if (b["width"], b["height"]) != (w, h):
            errors.append(f"{i}: size {b['width']} x {b['height']}, wanted {w} x {h} (bottom-up)")
            continue
        if states == 4 and w % 4:
            errors.append(f"{i}: strip width {w} is not a multiple of 4")
        allowed = allowed_key_pixels(i)
        for y in range(h):
            for x in range(w):
                keyed = bmp_pixel(b, x, y) == KEY
                if keyed != ((x, y) in allowed):
                    errors.append(f"{i}: pixel ({x},{y}) {'has' if keyed else 'lacks'} the key colour")
        if i in FRAME_PIECES:
            for y, row in enumerate(frame_piece_pixels(i)):
                for x, p in enumerate(row):
                    if bmp_pixel(b, x, y) != p:
                        errors.append(f"{i}: pixel ({x},{y}) is {bmp_pixel(b, x, y)}, wanted {p}")
    with open(os.path.join(out_dir, ICON_FILE), "rb") as f:
        ico = f.read()
    _, kind, count = struct.unpack_from("<HHH", ico, 0)
    if kind != 1 or count != len(ICON_SIZES):
        errors.append("icon: wrong header")
    for n, size in enumerate(ICON_SIZES[:count]):
        wb, hb, _, _, _, bpp, length, offset = struct.unpack_from("<BBBBHHII", ico, 6 + 16 * n)
        hs, dw, dh, _, dbpp = struct.unpack_from("<IiiHH", ico, offset)
        if (wb or 256, hb or 256, bpp, hs, dw, dh, dbpp) != (size, size, 32, 40, size, 2 * size, 32):
            errors.append(f"icon image {n + 1}: not a {size} x {size} 32-bit DIB")
    with open(os.path.join(out_dir, CURSOR_IMAGE_FILE), "rb") as f:
        cur = f.read()
    hx, hy, hs, cw, ch, _, cbpp = struct.unpack_from("<HHIiiHH", cur, 0)
    if (hx, hy, hs, cw, ch, cbpp) != (*CURSOR_HOTSPOT, 40, 32, 64, 1):
        errors.append("cursor: not a 32 x 32 monochrome image with hot spot (11, 9)")
    for e in errors[:50]:
        print(e, file=sys.stderr)
    if errors:
        print(f"{len(errors)} problem(s)", file=sys.stderr)
        return 1
    print("artwork verified: %d bitmaps, %d icon images, one cursor" % (len(BITMAPS), count))
    return 0


def main(argv):
    if len(argv) == 3 and argv[1] == "--verify":
        return verify(argv[2])
    if len(argv) == 3 and argv[1] == "--preview":
        generate(argv[2], preview=True)
        return 0
    if len(argv) == 2:
        generate(argv[1])
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
