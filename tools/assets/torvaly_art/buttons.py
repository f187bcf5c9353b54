"""Image buttons: one image holds four equally wide states side by side, in the order
normal, pressed, mouse over, disabled."""
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
    a = np.asarray(img).astype(np.float64)
    if state == "hover":
        a[:, :, :3] = a[:, :, :3] + (255 - a[:, :, :3]) * 0.18
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
