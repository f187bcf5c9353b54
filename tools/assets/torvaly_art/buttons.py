"""Image buttons: one image holds four equally wide states side by side, in the order
normal, pressed, mouse over, disabled."""
import math

import cairo
import numpy as np
from PIL import Image

from . import common as C
from . import layout as L

STYLES = {
    # face gradient top/bottom, caption outline
    "orange": (("#ffd36a", "#f59a1b", "#c95f05"), "#6a2a00"),
    "blue": (("#8fd3ff", "#2f8fe0", "#1656a8"), "#0a2a5a"),
    "green": (("#a6f08a", "#3fae3a", "#1f7420"), "#0b3a0c"),
    "red": (("#ff9a86", "#e2452f", "#a71d12"), "#4a0800"),
    "brown": (("#e7c48e", "#b07a3a", "#7a4a18"), "#3a1c04"),
}


def _state(w, h, style, state, text, size, outline_w):
    face, outline = STYLES[style]
    s, cr = C.surface(w, h)
    dy = 1 if state == "pressed" else 0
    r = h * 0.42
    # Shadow under the button (smaller when pressed).
    C.rounded_rect(cr, 2, 3 + dy, w - 4, h - 4, r)
    cr.set_source_rgba(0, 0, 0, 0.25 if state == "pressed" else 0.45)
    cr.fill()
    # Gold rim.
    C.rounded_rect(cr, 1, 1 + dy, w - 3, h - 5, r)
    cr.set_source(C.linear(0, 0, 0, h, C.GOLD_STOPS))
    cr.fill()
    stops = list(face)
    if state == "pressed":
        stops = [stops[2], stops[1], stops[1]]
    cr_stops = [(0, stops[0]), (0.55, stops[1]), (1, stops[2])]
    C.rounded_rect(cr, 3, 3 + dy, w - 7, h - 9, r - 2)
    cr.set_source(C.linear(0, 3, 0, h - 6, cr_stops))
    cr.fill()
    # Gloss.
    if state != "pressed":
        C.rounded_rect(cr, 6, 4 + dy, w - 13, (h - 9) * 0.45, r - 4)
        cr.set_source(C.linear(0, 4, 0, h * 0.5, [(0, (1, 1, 1, 0.55)), (1, (1, 1, 1, 0.08))]))
        cr.fill()
    img = C.to_pil(s)
    t = C.styled_text(text, size, fill=("#ffffff", "#fff6da"), outline=outline,
                      outline_w=outline_w, shadow=False)
    C.paste(img, t, (w - t.width) // 2, (h - 5 - t.height) // 2 + dy + 1)
    return _tint(img, state, 0.18)


def _tint(img, state, lighten):
    """Mouse over lightens the picture by `lighten`; disabled turns it to a dim grey."""
    a = np.asarray(img).astype(np.float64)
    if state == "hover":
        a[:, :, :3] = a[:, :, :3] + (255 - a[:, :, :3]) * lighten
    elif state == "disabled":
        g = a[:, :, :3] @ np.array([0.30, 0.59, 0.11])
        a[:, :, :3] = (g * 0.55 + 60)[:, :, None]
        a[:, :, 3] *= 0.9
    return Image.fromarray(np.clip(np.rint(a), 0, 255).astype(np.uint8), "RGBA")


def button(text, style, w, h, size, outline_w=2):
    img = Image.new("RGBA", (4 * w, h), (0, 0, 0, 0))
    for i, st in enumerate(("normal", "pressed", "hover", "disabled")):
        img.alpha_composite(_state(w, h, style, st, text, size, outline_w), (i * w, 0))
    return img


def big(text, style):
    return button(text, style, L.BIG_BTN_W, L.BIG_BTN_H, 24, outline_w=3)


def small(text, style):
    return button(text, style, L.SMALL_BTN_W, L.SMALL_BTN_H, 18 if len(text) > 2 else 20)


def option(text, style):
    return button(text, style, L.OPT_BTN_W, L.OPT_BTN_H, 17)


# ---------------------------------------------------------------------------------------------
# The frame's round icon buttons: a dark lacquer disc with a gold rim, a light glyph on it.

def _gear(cr, cx, cy, r):
    """A gear of eight teeth with a hole, as one path (even-odd)."""
    teeth, outer, inner = 8, r, r * 0.74
    for k in range(teeth * 4):
        a = 2 * math.pi * k / (teeth * 4) - math.pi / 2
        rr = outer if k % 4 in (1, 2) else inner
        x, y = cx + rr * math.cos(a), cy + rr * math.sin(a)
        if k == 0:
            cr.move_to(x, y)
        else:
            cr.line_to(x, y)
    cr.close_path()
    cr.new_sub_path()
    cr.arc(cx, cy, r * 0.32, 0, 2 * math.pi)


def _speaker(cr, cx, cy, r, on):
    """A speaker cone; with sound on two waves beside it, off a cross."""
    u = r / 10.0
    cr.move_to(cx - 9 * u, cy - 3.2 * u)
    cr.line_to(cx - 5 * u, cy - 3.2 * u)
    cr.line_to(cx + 0.5 * u, cy - 8.5 * u)
    cr.line_to(cx + 0.5 * u, cy + 8.5 * u)
    cr.line_to(cx - 5 * u, cy + 3.2 * u)
    cr.line_to(cx - 9 * u, cy + 3.2 * u)
    cr.close_path()
    cr.fill()
    cr.set_line_cap(1)  # round
    cr.set_line_width(2.0 * u)
    if on:
        for rad in (4.5 * u, 8.5 * u):
            cr.new_sub_path()
            cr.arc(cx + 1.5 * u, cy, rad, -0.85, 0.85)
        cr.stroke()
    else:
        d = 3.3 * u
        x0 = cx + 6 * u
        cr.move_to(x0 - d, cy - d)
        cr.line_to(x0 + d, cy + d)
        cr.move_to(x0 + d, cy - d)
        cr.line_to(x0 - d, cy + d)
        cr.stroke()


def _icon_state(glyph, state, accent):
    n = L.FRAME_ICON
    s, cr = C.surface(n, n)
    dy = 1 if state == "pressed" else 0
    c = n / 2.0
    r = n / 2.0 - 2
    # Shadow, gold rim, lacquer face.
    cr.arc(c + 0.5, c + 1.5, r, 0, 2 * math.pi)
    cr.set_source_rgba(0, 0, 0, 0.25 if state == "pressed" else 0.45)
    cr.fill()
    cr.arc(c, c - 0.5 + dy, r, 0, 2 * math.pi)
    cr.set_source(C.linear(0, 0, 0, n, C.GOLD_STOPS))
    cr.fill()
    face = ["#4a2612", "#1c0c05"] if state != "pressed" else ["#1c0c05", "#3b1d0e"]
    cr.arc(c, c - 0.5 + dy, r - 2.2, 0, 2 * math.pi)
    cr.set_source(C.linear(0, 2, 0, n - 2, [(0, face[0]), (1, face[1])]))
    cr.fill()
    if state != "pressed":
        cr.arc(c, c - 3 + dy, r - 5, math.pi * 1.1, math.pi * 1.9)
        cr.set_source_rgba(1, 1, 1, 0.14)
        cr.set_line_width(2)
        cr.stroke()
    # The glyph: cream, warm gold on mouse over.
    col = accent if state == "hover" else "#fff1cf"
    cr.set_source(C.linear(0, 6, 0, n - 6, [(0, col), (1, "#e9c98a")]))
    cr.set_fill_rule(cairo.FILL_RULE_EVEN_ODD)
    glyph(cr, c, c - 0.5 + dy, r * 0.62)
    return _tint(C.to_pil(s), state, 0.16)


def _icon(glyph, accent):
    n = L.FRAME_ICON
    img = Image.new("RGBA", (4 * n, n), (0, 0, 0, 0))
    for i, st in enumerate(("normal", "pressed", "hover", "disabled")):
        img.alpha_composite(_icon_state(glyph, st, accent), (i * n, 0))
    return img


def options_icon():
    def glyph(cr, cx, cy, r):
        _gear(cr, cx, cy, r)
        cr.fill()
    return _icon(glyph, "#ffd36a")


def sound_icon(on):
    return _icon(lambda cr, cx, cy, r: _speaker(cr, cx, cy, r, on), "#ffd36a")
