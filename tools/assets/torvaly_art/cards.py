"""The card sheet: 13 columns (A..K) by 5 rows. Rows 0..3 are the colours 0x00 (diamonds),
0x10 (clubs), 0x20 (hearts), 0x30 (spades); row 4 holds the small joker, the big joker and the
back. Faces come from the public-domain "Ornamental" deck that Debian ships in gnome-cards-data;
the back is our own."""
import gzip
import math

import cairo
import gi
import numpy as np
from PIL import Image

gi.require_version("Rsvg", "2.0")
from gi.repository import Rsvg  # noqa: E402

from . import common as C  # noqa: E402
from . import layout as L  # noqa: E402

DECK = "/usr/share/aisleriot/cards/ornamental.svgz"
SUITS = ["diamond", "club", "heart", "spade"]
RANKS = ["1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "jack", "queen", "king"]


def handle():
    with gzip.open(DECK, "rb") as f:
        data = f.read()
    return Rsvg.Handle.new_from_data(data)


def render(handle, element, w, h):
    s = cairo.ImageSurface(cairo.FORMAT_ARGB32, w, h)
    cr = cairo.Context(s)
    vp = Rsvg.Rectangle()
    vp.x, vp.y, vp.width, vp.height = 0, 0, w, h
    handle.render_element(cr, "#" + element, vp)
    return C.to_pil(s)


def _monochrome(img):
    """The small joker in black and white, so it never passes for the big one at a glance; the
    cream card face stays as it is."""
    a = np.asarray(img).astype(np.float64)
    rgb = a[:, :, :3]
    cream = np.array([246.0, 243.0, 226.0])
    dist = np.sqrt(((rgb - cream) ** 2).sum(axis=2))
    k = np.clip((dist - 20.0) / 40.0, 0, 1)[:, :, None]
    gray = (rgb @ np.array([0.30, 0.59, 0.11]))[:, :, None] * 0.85
    out = rgb * (1 - k) + gray * k
    a[:, :, :3] = out
    return Image.fromarray(np.clip(np.rint(a), 0, 255).astype(np.uint8), "RGBA")


def card_back(w, h):
    s, cr = C.surface(w, h)
    C.rounded_rect(cr, 0.5, 0.5, w - 1, h - 1, 7)
    cr.set_source_rgb(0.98, 0.97, 0.93)
    cr.fill_preserve()
    cr.set_source_rgba(0, 0, 0, 0.35)
    cr.set_line_width(1)
    cr.stroke()
    ix, iy, iw, ih = 5, 5, w - 10, h - 10
    C.rounded_rect(cr, ix, iy, iw, ih, 5)
    cr.set_source(C.linear(0, iy, 0, iy + ih, [(0, "#c62a2a"), (1, "#7a0f16")]))
    cr.fill()
    # Gold lattice.
    cr.save()
    C.rounded_rect(cr, ix, iy, iw, ih, 5)
    cr.clip()
    cr.set_source_rgba(1.0, 0.82, 0.35, 0.45)
    cr.set_line_width(1.0)
    step = 12
    for k in range(-h // step - 2, w // step + h // step + 3):
        cr.move_to(k * step, 0)
        cr.line_to(k * step + h, h)
        cr.move_to(k * step, h)
        cr.line_to(k * step + h, 0)
    cr.stroke()
    cr.restore()
    C.rounded_rect(cr, ix + 3, iy + 3, iw - 6, ih - 6, 4)
    cr.set_source_rgba(1.0, 0.85, 0.4, 0.9)
    cr.set_line_width(1.5)
    cr.stroke()
    # Medallion.
    cx, cy, r = w / 2, h / 2, w * 0.27
    cr.arc(cx, cy, r + 3, 0, 2 * math.pi)
    cr.set_source(C.linear(0, cy - r, 0, cy + r, C.GOLD_STOPS))
    cr.fill()
    cr.arc(cx, cy, r, 0, 2 * math.pi)
    cr.set_source(C.radial(cx - 4, cy - 6, 2, r, [(0, "#d8383a"), (1, "#6a0a10")]))
    cr.fill()
    # A four-petal flower in the medallion.
    cr.set_source(C.linear(0, cy - r, 0, cy + r, C.GOLD_STOPS))
    for k in range(4):
        a = k * math.pi / 2 + math.pi / 4
        cr.save()
        cr.translate(cx + math.cos(a) * r * 0.42, cy + math.sin(a) * r * 0.42)
        cr.rotate(a)
        cr.scale(1.0, 0.55)
        cr.arc(0, 0, r * 0.42, 0, 2 * math.pi)
        cr.restore()
        cr.fill()
    cr.arc(cx, cy, r * 0.2, 0, 2 * math.pi)
    cr.set_source_rgb(0.55, 0.05, 0.08)
    cr.fill()
    return C.to_pil(s)


def card_sheet():
    w, h = L.CARD_W, L.CARD_H
    deck = handle()
    sheet = Image.new("RGBA", (13 * w, 5 * h), (0, 0, 0, 0))
    for row, suit in enumerate(SUITS):
        for col, rank in enumerate(RANKS):
            sheet.alpha_composite(render(deck, "%s_%s" % (suit, rank), w, h), (col * w, row * h))
    sheet.alpha_composite(_monochrome(render(deck, "joker_black", w, h)), (0, 4 * h))
    sheet.alpha_composite(render(deck, "joker_red", w, h), (w, 4 * h))
    sheet.alpha_composite(card_back(w, h), (2 * w, 4 * h))
    return sheet
