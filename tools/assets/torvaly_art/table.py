"""The table itself and the marks on it: felt, portrait frame, gold plate, top panel, captions,
digit strips, clock, card-count badge, ready and pass marks with their boxes, banker badge and
the wait tip."""
import math

import numpy as np
from PIL import Image

from . import common as C
from . import layout as L


def background():
    W, H = L.CANVAS_W, L.CANVAS_H
    s, cr = C.surface(W, H)
    # The room around the table: dark walnut.
    cr.set_source(C.linear(0, 0, 0, H, [(0, "#2a160b"), (1, "#140a04")]))
    cr.paint()
    # Padded leather rim.
    m = 6
    C.rounded_rect(cr, m, m, W - 2 * m, H - 2 * m, 46)
    cr.set_source(C.linear(0, m, 0, H - m, [(0, "#6b3a1c"), (0.5, "#4a2410"), (1, "#2d1507")]))
    cr.fill()
    C.rounded_rect(cr, m + 3, m + 3, W - 2 * m - 6, H - 2 * m - 6, 44)
    cr.set_line_width(2)
    cr.set_source_rgba(1, 0.85, 0.6, 0.18)
    cr.stroke()
    # Gold inlay.
    r0 = 24
    C.rounded_rect(cr, r0, r0, W - 2 * r0, H - 2 * r0, 32)
    cr.set_source(C.linear(0, r0, 0, H - r0, C.GOLD_STOPS))
    cr.set_line_width(4)
    cr.stroke_preserve()
    # Felt.
    cr.set_source(C.radial(W / 2, H * 0.46, 40, W * 0.62,
                           [(0, "#2f8a4c"), (0.45, "#1f7040"), (0.8, "#14552f"), (1, "#0c3a1f")]))
    cr.fill()
    # The table's emblem: a faint ring and the name in the centre of the felt.
    cx, cy = W / 2, H * 0.43
    cr.set_line_width(3)
    cr.set_source_rgba(0.75, 1.0, 0.8, 0.07)
    cr.arc(cx, cy, 150, 0, 2 * math.pi)
    cr.stroke()
    cr.set_line_width(1.5)
    cr.arc(cx, cy, 140, 0, 2 * math.pi)
    cr.stroke()
    for k in range(24):
        a = k * math.pi / 12
        cr.move_to(cx + 142 * math.cos(a), cy + 142 * math.sin(a))
        cr.line_to(cx + 148 * math.cos(a), cy + 148 * math.sin(a))
    cr.stroke()
    img = C.to_pil(s)
    # Felt weave: fine, low noise so the cloth does not look flat (and the file stays small).
    arr = np.asarray(img).astype(np.float64)
    n = C.noise(W, H, seed=11, amp=3.2, blur=0.6)
    felt = _felt_mask(W, H, r0 + 2)
    for c in range(3):
        arr[:, :, c] += n * felt
    # Leather grain on the rim.
    n2 = C.noise(W, H, seed=12, amp=4.0, blur=1.2)
    for c in range(3):
        arr[:, :, c] += n2 * (1 - felt) * 0.8
    img = Image.fromarray(np.clip(np.rint(arr), 0, 255).astype(np.uint8), "RGBA")
    # Emblem text.
    logo = C.styled_text("TORVALY", 64, fill=("#bfe8c8", "#9fd4ab"), outline="#0b3a1f",
                         outline_w=0, shadow=False, which=C.FONT_SERIF_BOLD)
    a = np.asarray(logo).copy()
    a[:, :, 3] = (a[:, :, 3] * 0.10).astype(np.uint8)
    logo = Image.fromarray(a, "RGBA")
    C.paste(img, logo, cx - logo.width / 2, cy - logo.height / 2 - 10)
    sub = C.styled_text("三 人 同 乐", 26, fill=("#bfe8c8", "#bfe8c8"), outline="#0b3a1f",
                        outline_w=0, shadow=False)
    a = np.asarray(sub).copy()
    a[:, :, 3] = (a[:, :, 3] * 0.10).astype(np.uint8)
    sub = Image.fromarray(a, "RGBA")
    C.paste(img, sub, cx - sub.width / 2, cy + 34)
    # Vignette over the felt.
    yy, xx = np.mgrid[0:H, 0:W]
    d = np.sqrt(((xx - W / 2) / (W * 0.62)) ** 2 + ((yy - H * 0.46) / (H * 0.75)) ** 2)
    v = np.clip((d - 0.45) / 0.6, 0, 1) ** 1.6 * 0.45
    arr = np.asarray(img).astype(np.float64)
    arr[:, :, :3] *= (1 - v)[:, :, None]
    return Image.fromarray(np.clip(np.rint(arr), 0, 255).astype(np.uint8), "RGBA").convert("RGB")


def _felt_mask(W, H, inset):
    s, cr = C.surface(W, H)
    C.rounded_rect(cr, inset, inset, W - 2 * inset, H - 2 * inset, 30)
    cr.set_source_rgb(1, 1, 1)
    cr.fill()
    return np.asarray(C.to_pil(s))[:, :, 3].astype(np.float64) / 255.0


def portrait_frame():
    w, h = L.FRAME_W, L.FRAME_H
    s, cr = C.surface(w, h)
    # Soft shadow, gold ring, dark inner well the portrait sits in.
    C.gold_plaque(cr, w, h, 14)
    C.rounded_rect(cr, 3, 3, w - 8, h - 9, 11)
    cr.set_source(C.linear(0, 0, 0, h, [(0, "#5a3412"), (1, "#2b1606")]))
    cr.fill()
    C.rounded_rect(cr, 4, 4, w - 10, h - 11, 10)
    cr.set_source(C.radial(w / 2, h * 0.4, 5, w * 0.7, [(0, "#3d6f8f"), (1, "#17304a")]))
    cr.fill()
    # Corner studs.
    for (x, y) in ((6, 6), (w - 10, 6), (6, h - 11), (w - 10, h - 11)):
        cr.arc(x, y, 3, 0, 2 * math.pi)
        cr.set_source(C.radial(x - 1, y - 1, 0, 3.5, [(0, "#fff6d0"), (1, "#a06a10")]))
        cr.fill()
    return C.to_pil(s)


def gold_plate():
    """The plate under a portrait. The program writes the gold on it with the baseline 20 pixels
    down, so the plate's face (its height less the 3-pixel shadow) is centred on the digits'
    middle; the coin leaves room for the eight stars of a hidden amount."""
    w, h = L.GOLD_W, L.GOLD_H
    face = 2 * L.GOLD_TEXT_MIDDLE + 1
    assert face == h - 3
    s, cr = C.surface(w, h)
    C.gold_panel(cr, 0, 0, w, h, 12, rim=2)
    img = C.to_pil(s)
    d = 16
    coin = _coin(d)
    C.paste(img, coin, w - d - 4, L.GOLD_TEXT_MIDDLE - d // 2)
    return img


def _coin(d):
    s, cr = C.surface(d, d)
    cr.arc(d / 2, d / 2, d / 2 - 0.5, 0, 2 * math.pi)
    cr.set_source(C.radial(d * 0.35, d * 0.35, 0, d * 0.6, [(0, "#fff7c8"), (0.5, "#f5c842"),
                                                            (1, "#a86b08")]))
    cr.fill()
    cr.arc(d / 2, d / 2, d / 2 - 3, 0, 2 * math.pi)
    cr.set_source_rgba(0.55, 0.33, 0.02, 0.8)
    cr.set_line_width(1.2)
    cr.stroke()
    img = C.to_pil(s)
    t = C.text_mask("金", int(d * 0.55), stroke=0, pad=0)
    col = Image.new("RGBA", t.size, (140, 80, 5, 230))
    img.paste(col, ((d - t.width) // 2, (d - t.height) // 2), t)
    return img


def top_panel():
    w, h = L.TOP_W, L.TOP_H
    s, cr = C.surface(w, h)
    # A plaque hanging from the top rim: flat top, rounded lower corners, gold edge.
    cr.move_to(0, 0)
    cr.line_to(w, 0)
    cr.line_to(w - 22, h - 22)
    cr.arc(w - 40, h - 22, 18, 0, math.pi / 2)
    cr.line_to(40, h - 4)
    cr.arc(40, h - 22, 18, math.pi / 2, math.pi)
    cr.close_path()
    path = cr.copy_path()
    cr.set_source(C.linear(0, 0, 0, h, C.GOLD_STOPS))
    cr.fill()
    cr.save()
    cr.translate(w / 2, 0)
    cr.scale((w - 8) / w, (h - 4) / h)
    cr.translate(-w / 2, 0)
    cr.append_path(path)
    cr.restore()
    cr.set_source(C.linear(0, 0, 0, h, [(0, "#4a2210"), (1, "#1f0d05")]))
    cr.fill()
    # Divider between the multiple and the deck count.
    cr.set_source(C.linear(0, 8, 0, h - 10, [(0, (1, 0.85, 0.4, 0)), (0.5, (1, 0.85, 0.4, 0.8)),
                                            (1, (1, 0.85, 0.4, 0))]))
    cr.rectangle(w / 2 + 1, 8, 1.5, h - 18)
    cr.fill()
    img = C.to_pil(s)
    zh = C.styled_text("张", 22, fill=("#fff3c4", "#f3c24c"), outline="#3a1400", outline_w=2)
    C.paste(img, zh, L.ZHANG_X - L.TOP_X, (h - 6 - zh.height) // 2)
    return img


def caption(text, w, size=24):
    t = C.styled_text(text, size, fill=("#fffbe6", "#ffe07a", "#e9a326"), outline="#3a1400",
                      outline_w=2)
    return C.centered(t, w, L.CAPTION_H)


def digit_strip(cell_w, cell_h, size, fill, outline, extra=None, outline_w=2, font=None):
    """Ten (or eleven, with extra) equal cells side by side, each glyph centred in its cell."""
    glyphs = [str(d) for d in range(10)] + ([extra] if extra else [])
    img = Image.new("RGBA", (cell_w * len(glyphs), cell_h), (0, 0, 0, 0))
    for i, g in enumerate(glyphs):
        # Small cells have no room for a drop shadow: the glyph fills them instead.
        t = C.styled_text(g, size, fill=fill, outline=outline, outline_w=outline_w,
                          which=font or C.FONT_BOLD, pad=1, shadow=cell_h >= 40)
        # A clear column either side keeps neighbouring cells from bleeding into each other.
        cell = C.centered(t, cell_w - 2, cell_h)
        C.paste(img, cell, i * cell_w + 1, 0)
    return img


def number_strip():
    return digit_strip(L.NUM_DIGIT_W, L.NUM_DIGIT_H, 32, ("#ffffff", "#ffe68a", "#ffb020"),
                       "#3a1400")


def clock_digits():
    return digit_strip(L.CLOCK_DIGIT_W, L.CLOCK_DIGIT_H, 27, ("#fff0f0", "#ff5a4a", "#b01010"),
                       "#2a0000", outline_w=2)


def count_digits():
    return digit_strip(L.COUNT_DIGIT_W, L.COUNT_DIGIT_H, 23, ("#ffffff", "#fff2b0"), "#3a1400")


def clock_back():
    w, h = L.CLOCK_W, L.CLOCK_H
    s, cr = C.surface(w, h)
    cx, cy, r = w / 2, L.CLOCK_FACE_CY, 25
    # Bells and legs of an alarm clock.
    for sx in (-1, 1):
        cr.save()
        cr.translate(cx + sx * 17, cy - 22)
        cr.rotate(sx * 0.5)
        cr.scale(1.0, 0.62)
        cr.arc(0, 0, 11, math.pi, 2 * math.pi)
        cr.close_path()
        cr.restore()
        cr.set_source(C.linear(0, 0, 0, 20, C.GOLD_STOPS))
        cr.fill()
        cr.move_to(cx + sx * 14, cy + 20)
        cr.line_to(cx + sx * 20, cy + 28)
        cr.set_line_width(4)
        cr.set_line_cap(1)
        cr.set_source_rgb(0.55, 0.35, 0.05)
        cr.stroke()
    cr.arc(cx + 1.5, cy + 2, r, 0, 2 * math.pi)
    cr.set_source_rgba(0, 0, 0, 0.4)
    cr.fill()
    cr.arc(cx, cy, r, 0, 2 * math.pi)
    cr.set_source(C.linear(0, cy - r, 0, cy + r, C.GOLD_STOPS))
    cr.fill()
    cr.arc(cx, cy, r - 4, 0, 2 * math.pi)
    cr.set_source(C.radial(cx - 5, cy - 7, 2, r, [(0, "#ffffff"), (0.7, "#f3ead2"),
                                                  (1, "#c9b98c")]))
    cr.fill()
    cr.set_source_rgba(0.35, 0.25, 0.1, 0.6)
    for k in range(12):
        a = k * math.pi / 6
        r1 = r - 6
        r2 = r - 9 if k % 3 else r - 11
        cr.move_to(cx + r1 * math.sin(a), cy - r1 * math.cos(a))
        cr.line_to(cx + r2 * math.sin(a), cy - r2 * math.cos(a))
        cr.set_line_width(1.4 if k % 3 else 2.2)
        cr.stroke()
    return C.to_pil(s)


def count_badge():
    w, h = L.COUNT_W, L.COUNT_H
    s, cr = C.surface(w, h)
    C.gold_plaque(cr, w, h, 10, shadow=0.45)
    C.rounded_rect(cr, 2, 2, w - 6, h - 7, 8)
    cr.set_source(C.linear(0, 0, 0, h, [(0, "#c0392b"), (1, "#6e140c")]))
    cr.fill()
    return C.to_pil(s)


def mark_box(pos):
    """The box behind the ready and pass marks; its pointer shows toward the seat."""
    w, h = L.BOX_W, L.BOX_H
    s, cr = C.surface(w, h)
    bx, by, bw, bh = 8, 4, w - 16, h - 12
    C.rounded_rect(cr, bx, by, bw, bh, 16)
    if pos == 0:
        cr.move_to(bx + bw - 2, by + bh / 2 - 9)
        cr.line_to(w - 1, by + bh / 2)
        cr.line_to(bx + bw - 2, by + bh / 2 + 9)
    elif pos == 2:
        cr.move_to(bx + 2, by + bh / 2 - 9)
        cr.line_to(1, by + bh / 2)
        cr.line_to(bx + 2, by + bh / 2 + 9)
    else:
        cr.move_to(w / 2 - 10, by + bh - 2)
        cr.line_to(w / 2, h - 1)
        cr.line_to(w / 2 + 10, by + bh - 2)
    cr.close_path()
    cr.set_source_rgba(0.02, 0.08, 0.04, 0.62)
    cr.fill_preserve()
    cr.set_source_rgba(1.0, 0.86, 0.45, 0.55)
    cr.set_line_width(1.5)
    cr.stroke()
    return C.to_pil(s)


def mark(text, fill, outline):
    t = C.styled_text(text, 30, fill=fill, outline=outline, outline_w=3)
    return C.centered(t, L.MARK_W, L.MARK_H)


def ready_mark():
    return mark("准备", ("#f4fff0", "#8ef06a", "#27a23a"), "#0b3a10")


def pass_mark():
    return mark("不出", ("#ffffff", "#cfe3ff", "#7ea6d8"), "#102848")


def banker_overlay():
    """Transparent over the portrait but for a round "庄" badge at its top left."""
    w, h = L.PORTRAIT_W, L.PORTRAIT_H
    s, cr = C.surface(w, h)
    cx, cy, r = 20, 20, 17
    cr.arc(cx + 1, cy + 2, r, 0, 2 * math.pi)
    cr.set_source_rgba(0, 0, 0, 0.45)
    cr.fill()
    cr.arc(cx, cy, r, 0, 2 * math.pi)
    cr.set_source(C.linear(0, cy - r, 0, cy + r, C.GOLD_STOPS))
    cr.fill()
    cr.arc(cx, cy, r - 3, 0, 2 * math.pi)
    cr.set_source(C.radial(cx - 4, cy - 5, 1, r, [(0, "#ff6a4a"), (1, "#9c1208")]))
    cr.fill()
    img = C.to_pil(s)
    t = C.styled_text("庄", 20, fill=("#ffffff", "#ffe680"), outline="#5a0800", outline_w=2,
                      shadow=False)
    C.paste(img, t, cx - t.width // 2, cy - t.height // 2)
    return img


def wait_tip():
    w, h = L.WAIT_TIP_W, L.WAIT_TIP_H
    s, cr = C.surface(w, h)
    C.rounded_rect(cr, 0, 0, w, h, h / 2)
    cr.set_source_rgba(0, 0, 0, 0.55)
    cr.fill()
    C.rounded_rect(cr, 1.5, 1.5, w - 3, h - 3, h / 2 - 1.5)
    cr.set_source_rgba(1.0, 0.85, 0.4, 0.6)
    cr.set_line_width(1.5)
    cr.stroke()
    img = C.to_pil(s)
    t = C.styled_text("等待其他玩家…", 24, fill=("#ffffff", "#ffe9a8"), outline="#2a1400",
                      outline_w=2)
    C.paste(img, t, (w - t.width) // 2, (h - t.height) // 2)
    return img
