"""Shared drawing helpers: cairo canvases, Pillow text masks, gradients and PNG output.

Everything here is deterministic: no clocks, no unseeded randomness, fonts loaded from fixed
Debian paths (never through a font lookup that could pick another face on another machine).
"""
import math
import os

import cairo
import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

# Bold CJK captions: Noto Sans CJK SC Bold (fonts-noto-cjk, SIL OFL 1.1), face 2 of the collection.
FONT_BOLD = ("/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc", 2)
FONT_REGULAR = ("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 2)
# The table's own text font (names, gold), so the mock table shows what the program will draw.
FONT_GAME = ("/usr/share/fonts/truetype/wqy/wqy-microhei.ttc", 0)
FONT_SERIF_BOLD = ("/usr/share/fonts/opentype/noto/NotoSerifCJK-Bold.ttc", 2)

_font_cache = {}


def font(size, which=FONT_BOLD):
    key = (which, size)
    if key not in _font_cache:
        _font_cache[key] = ImageFont.truetype(which[0], size, index=which[1],
                                              layout_engine=ImageFont.Layout.BASIC)
    return _font_cache[key]


def hex_rgb(h, a=1.0):
    h = h.lstrip("#")
    return (int(h[0:2], 16) / 255.0, int(h[2:4], 16) / 255.0, int(h[4:6], 16) / 255.0, a)


# ---------------------------------------------------------------------------------------------
# cairo <-> Pillow

def surface(w, h):
    s = cairo.ImageSurface(cairo.FORMAT_ARGB32, w, h)
    return s, cairo.Context(s)


def to_pil(surf):
    """A cairo ARGB32 surface as an unpremultiplied RGBA Pillow image."""
    surf.flush()
    w, h, stride = surf.get_width(), surf.get_height(), surf.get_stride()
    buf = np.frombuffer(surf.get_data(), dtype=np.uint8).reshape(h, stride)[:, : w * 4]
    bgra = buf.reshape(h, w, 4).astype(np.float64)
    a = bgra[:, :, 3:4]
    rgb = np.where(a > 0, bgra[:, :, 2::-1] * 255.0 / np.maximum(a, 1), 0)
    out = np.concatenate([np.clip(np.rint(rgb), 0, 255), a], axis=2).astype(np.uint8)
    return Image.fromarray(out, "RGBA")


def from_pil(img):
    """A Pillow RGBA image as a cairo surface (premultiplied)."""
    arr = np.asarray(img.convert("RGBA")).astype(np.float64)
    a = arr[:, :, 3:4]
    rgb = np.rint(arr[:, :, :3] * a / 255.0)
    bgra = np.concatenate([rgb[:, :, ::-1], a], axis=2).astype(np.uint8)
    h, w = bgra.shape[:2]
    stride = cairo.ImageSurface.format_stride_for_width(cairo.FORMAT_ARGB32, w)
    data = np.zeros((h, stride), dtype=np.uint8)
    data[:, : w * 4] = bgra.reshape(h, w * 4)
    return cairo.ImageSurface.create_for_data(bytearray(data.tobytes()), cairo.FORMAT_ARGB32,
                                              w, h, stride)


def paste(dst, src, x, y):
    """Alpha-composites src over dst (both RGBA) at integer (x, y)."""
    dst.alpha_composite(src, (int(x), int(y)))


def save_png(img, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if img.mode not in ("RGBA", "RGB"):
        img = img.convert("RGBA")
    # No text chunks, no time: the same pixels always give the same bytes.
    img.save(path, "PNG", optimize=True)


# ---------------------------------------------------------------------------------------------
# Shapes

def rounded_rect(cr, x, y, w, h, r):
    r = min(r, w / 2.0, h / 2.0)
    cr.new_sub_path()
    cr.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    cr.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    cr.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    cr.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    cr.close_path()


def linear(x0, y0, x1, y1, stops):
    g = cairo.LinearGradient(x0, y0, x1, y1)
    for off, col in stops:
        g.add_color_stop_rgba(off, *(hex_rgb(col) if isinstance(col, str) else col))
    return g


def radial(cx, cy, r0, r1, stops, cx1=None, cy1=None):
    g = cairo.RadialGradient(cx, cy, r0, cx if cx1 is None else cx1, cy if cy1 is None else cy1, r1)
    for off, col in stops:
        g.add_color_stop_rgba(off, *(hex_rgb(col) if isinstance(col, str) else col))
    return g


GOLD_STOPS = [(0.0, "#fff4c0"), (0.35, "#f2c94c"), (0.55, "#c98d1d"), (0.8, "#f0c24a"),
              (1.0, "#8a5a0c")]


def gold_plaque(cr, w, h, r, shadow=0.4):
    """A soft shadow and a gold-rimmed rounded rectangle filling a w x h image (the rim is the
    whole shape: callers paint the inside over it)."""
    rounded_rect(cr, 2, 3, w - 2, h - 3, r)
    cr.set_source_rgba(0, 0, 0, shadow)
    cr.fill()
    rounded_rect(cr, 0, 0, w - 2, h - 3, r)
    cr.set_source(linear(0, 0, 0, h, GOLD_STOPS))
    cr.fill()


def gold_panel(cr, x, y, w, h, r, fill_top="#3b1d0e", fill_bottom="#1c0c05", rim=3.0,
               alpha=0.92):
    """A dark lacquer panel with a bevelled gold rim: the look of every panel on the table."""
    # Drop shadow.
    rounded_rect(cr, x + 2, y + 3, w - 2, h - 2, r)
    cr.set_source_rgba(0, 0, 0, 0.35)
    cr.fill()
    # Gold rim.
    rounded_rect(cr, x, y, w - 2, h - 3, r)
    cr.set_source(linear(0, y, 0, y + h, GOLD_STOPS))
    cr.fill()
    # Inner lacquer.
    rounded_rect(cr, x + rim, y + rim, w - 2 - 2 * rim, h - 3 - 2 * rim, max(1, r - rim))
    top = hex_rgb(fill_top, alpha)
    bottom = hex_rgb(fill_bottom, alpha)
    cr.set_source(linear(0, y, 0, y + h, [(0, top), (1, bottom)]))
    cr.fill()
    # Gloss on the upper half.
    rounded_rect(cr, x + rim + 1, y + rim + 1, w - 4 - 2 * rim, (h - 3 - 2 * rim) * 0.45,
                 max(1, r - rim))
    cr.set_source(linear(0, y, 0, y + h * 0.5, [(0, (1, 1, 1, 0.16)), (1, (1, 1, 1, 0.0))]))
    cr.fill()


# ---------------------------------------------------------------------------------------------
# Text

def text_mask(text, size, which=FONT_BOLD, stroke=0, pad=4):
    """The text's coverage as an L image tightly around its ink (plus pad) and the ink's offset."""
    f = font(size, which)
    l, t, r, b = f.getbbox(text, stroke_width=stroke)
    w, h = r - l + 2 * pad, b - t + 2 * pad
    m = Image.new("L", (w, h), 0)
    ImageDraw.Draw(m).text((pad - l, pad - t), text, font=f, fill=255, stroke_width=stroke,
                           stroke_fill=255)
    return m


def vertical_gradient(w, h, stops):
    """An RGBA image filled with a vertical gradient; stops are (offset, '#rrggbb')."""
    ys = np.linspace(0.0, 1.0, h)[:, None]
    out = np.zeros((h, 1, 4))
    offs = [s[0] for s in stops]
    cols = [hex_rgb(s[1]) if isinstance(s[1], str) else s[1] for s in stops]
    for c in range(4):
        out[:, :, c] = np.interp(ys, offs, [col[c] for col in cols])
    arr = np.repeat(out, w, axis=1)
    return Image.fromarray(np.clip(np.rint(arr * 255), 0, 255).astype(np.uint8), "RGBA")


def styled_text(text, size, fill=("#fff8d8", "#ffd24a", "#e08a12"), outline="#4a1a00",
                outline_w=3, shadow=True, which=FONT_BOLD, glow=None, pad=6):
    """Caption text: gradient fill, dark outline, soft drop shadow. Returns an RGBA image."""
    stroke = text_mask(text, size, which, stroke=outline_w, pad=pad + 4)
    inner = text_mask(text, size, which, stroke=0, pad=pad + 4 + outline_w)
    w, h = stroke.size
    # Align inner to the stroked one: both are tight to their ink; the stroke adds outline_w.
    inner_full = Image.new("L", (w, h), 0)
    inner_full.paste(inner, (0, 0))
    img = Image.new("RGBA", (w + 4, h + 4), (0, 0, 0, 0))
    if glow:
        gm = stroke.filter(ImageFilter.GaussianBlur(5))
        gl = Image.new("RGBA", img.size, (0, 0, 0, 0))
        col = Image.new("RGBA", stroke.size, hex_to_rgba(glow, 255))
        gl.paste(col, (1, 1), gm)
        img = Image.alpha_composite(img, gl)
        img = Image.alpha_composite(img, gl)
    if shadow:
        sh = Image.new("RGBA", img.size, (0, 0, 0, 0))
        blk = Image.new("RGBA", stroke.size, (0, 0, 0, 150))
        sh.paste(blk, (3, 3), stroke.filter(ImageFilter.GaussianBlur(1.5)))
        img = Image.alpha_composite(img, sh)
    ol = Image.new("RGBA", img.size, (0, 0, 0, 0))
    ol.paste(Image.new("RGBA", stroke.size, hex_to_rgba(outline, 255)), (1, 1), stroke)
    img = Image.alpha_composite(img, ol)
    n = len(fill)
    grad = vertical_gradient(w, h, [(i / max(1, n - 1), fill[i]) for i in range(n)])
    fl = Image.new("RGBA", img.size, (0, 0, 0, 0))
    fl.paste(grad, (1, 1), inner_full)
    img = Image.alpha_composite(img, fl)
    return img.crop(img.getbbox())


def hex_to_rgba(h, a=255):
    r, g, b, _ = hex_rgb(h)
    return (int(r * 255), int(g * 255), int(b * 255), a)


def centered(img, w, h, dx=0, dy=0):
    """img centred on a transparent w x h image (scaled down if it does not fit)."""
    if img.width > w or img.height > h:
        k = min(w / img.width, h / img.height)
        img = img.resize((max(1, int(img.width * k)), max(1, int(img.height * k))),
                         Image.LANCZOS)
    out = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    out.alpha_composite(img, ((w - img.width) // 2 + dx, (h - img.height) // 2 + dy))
    return out


def plain_text(img, xy, text, size, color, which=FONT_BOLD, anchor="la", stroke=0,
               stroke_color=None):
    d = ImageDraw.Draw(img)
    d.text(xy, text, font=font(size, which), fill=color, anchor=anchor, stroke_width=stroke,
           stroke_fill=stroke_color)


def noise(w, h, seed, amp, blur=0.0):
    rng = np.random.default_rng(seed)
    n = rng.standard_normal((h, w))
    if blur:
        im = Image.fromarray(np.clip((n * 40 + 128), 0, 255).astype(np.uint8), "L")
        im = im.filter(ImageFilter.GaussianBlur(blur))
        n = (np.asarray(im).astype(np.float64) - 128) / 40
    return n * amp
