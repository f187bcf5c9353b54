"""Seat portraits: friendly cartoon faces, six per gender, in the portrait frame's opening.
Folder 1N holds the men, 2N the women (N = face id + 1)."""
import math

from . import common as C
from . import layout as L

SKIN = ["#f6d2b0", "#eebf95", "#d9a273", "#f3c9a5", "#c98c5e", "#f8dcc2"]
BACKS = [("#7fc8f8", "#3a7fc1"), ("#ffd59e", "#e08e3c"), ("#b9e4a8", "#4f9a52"),
         ("#f7b3c2", "#c8577a"), ("#c9b6f2", "#6f56b8"), ("#a8e6e0", "#2f8f8a")]

MEN = [
    dict(skin=0, hair="#2b1b10", style="short", shirt="#2f6fd6", back=0, extra=None),
    dict(skin=1, hair="#111111", style="spiky", shirt="#d64a2f", back=1, extra="glasses"),
    dict(skin=2, hair="#4a2a12", style="cap", shirt="#2e9a57", back=2, extra="cap"),
    dict(skin=3, hair="#6b6b6b", style="side", shirt="#7a4ab8", back=4, extra="beard"),
    dict(skin=4, hair="#1a1a1a", style="buzz", shirt="#e0a020", back=5, extra="headband"),
    dict(skin=5, hair="#a0522d", style="curly", shirt="#1f8fb0", back=3, extra="bowtie"),
]
WOMEN = [
    dict(skin=5, hair="#2a1a12", style="long", shirt="#e0507a", back=3, extra="bow"),
    dict(skin=0, hair="#111111", style="bun", shirt="#3a8fd8", back=0, extra="earrings"),
    dict(skin=1, hair="#8b4a1e", style="ponytail", shirt="#4aa84a", back=2, extra=None),
    dict(skin=3, hair="#d8a84a", style="bob", shirt="#9a5ad0", back=4, extra="glasses"),
    dict(skin=2, hair="#3a1f10", style="pigtails", shirt="#f08a2a", back=1, extra="flower"),
    dict(skin=4, hair="#5a2a4a", style="wavy", shirt="#2aa8a0", back=5, extra="headband"),
]


def _darker(hexcol, k=0.75):
    r, g, b, _ = C.hex_rgb(hexcol)
    return (r * k, g * k, b * k, 1.0)


def _ellipse(cr, cx, cy, rx, ry):
    cr.save()
    cr.translate(cx, cy)
    cr.scale(rx, ry)
    cr.arc(0, 0, 1, 0, 2 * math.pi)
    cr.restore()


def face(p, female):
    w, h = L.PORTRAIT_W, L.PORTRAIT_H
    s, cr = C.surface(w, h)
    cr.scale(w / 100.0, h / 100.0)
    b0, b1 = BACKS[p["back"]]
    cr.rectangle(0, 0, 100, 100)
    cr.set_source(C.radial(50, 38, 5, 75, [(0, b0), (1, b1)]))
    cr.fill()
    skin = p["skin"] if isinstance(p["skin"], str) else SKIN[p["skin"]]
    hair = p["hair"]
    style = p["style"]
    # Hair behind the head.
    cr.set_source_rgba(*C.hex_rgb(hair))
    if style in ("long", "wavy"):
        C.rounded_rect(cr, 22, 24, 56, 66, 24)
        cr.fill()
    if style == "ponytail":
        _ellipse(cr, 78, 50, 9, 20)
        cr.fill()
    if style == "pigtails":
        _ellipse(cr, 20, 58, 9, 15)
        cr.fill()
        _ellipse(cr, 80, 58, 9, 15)
        cr.fill()
    if style == "bun":
        cr.arc(50, 14, 11, 0, 2 * math.pi)
        cr.fill()
    # Shoulders and shirt.
    cr.move_to(10, 100)
    cr.curve_to(12, 80, 30, 74, 50, 74)
    cr.curve_to(70, 74, 88, 80, 90, 100)
    cr.close_path()
    cr.set_source(C.linear(0, 74, 0, 100, [(0, p["shirt"]), (1, _darker(p["shirt"], 0.7))]))
    cr.fill()
    # Neck.
    cr.rectangle(43, 62, 14, 14)
    cr.set_source_rgba(*_darker(skin, 0.88))
    cr.fill()
    # Collar.
    cr.move_to(40, 75)
    cr.line_to(50, 84)
    cr.line_to(60, 75)
    cr.set_source_rgba(1, 1, 1, 0.85)
    cr.set_line_width(2.2)
    cr.stroke()
    # Ears and head.
    cr.set_source_rgba(*C.hex_rgb(skin))
    _ellipse(cr, 27, 47, 5, 7)
    cr.fill()
    _ellipse(cr, 73, 47, 5, 7)
    cr.fill()
    _ellipse(cr, 50, 44, 23, 25 if not female else 24)
    cr.set_source(C.radial(44, 38, 2, 30, [(0, skin), (1, _darker(skin, 0.9))]))
    cr.fill()
    # Hair on top.
    cr.set_source(C.linear(0, 15, 0, 45, [(0, _darker(hair, 1.25) if hair != "#111111" else
                                            (0.25, 0.25, 0.25, 1)), (1, hair)]))
    if style == "short":
        cr.move_to(26, 44)
        cr.curve_to(24, 20, 44, 14, 56, 17)
        cr.curve_to(70, 19, 78, 28, 74, 44)
        cr.curve_to(66, 30, 46, 28, 26, 44)
        cr.fill()
    elif style == "spiky":
        cr.move_to(26, 42)
        for k, (x, y) in enumerate([(28, 20), (36, 26), (40, 12), (48, 22), (54, 9), (60, 22),
                                    (68, 13), (70, 27), (78, 22), (74, 42)]):
            cr.line_to(x, y)
        cr.curve_to(64, 30, 40, 30, 26, 42)
        cr.fill()
    elif style == "cap":
        cr.move_to(26, 38)
        cr.curve_to(26, 14, 74, 14, 74, 38)
        cr.close_path()
        cr.set_source(C.linear(0, 14, 0, 38, [(0, "#ff6a5a"), (1, "#c0281c")]))
        cr.fill()
        cr.move_to(24, 38)
        cr.curve_to(40, 33, 70, 33, 88, 38)
        cr.curve_to(70, 42, 40, 42, 24, 38)
        cr.set_source_rgba(0.6, 0.1, 0.08, 1)
        cr.fill()
        cr.arc(50, 17, 2.5, 0, 2 * math.pi)
        cr.set_source_rgba(1, 1, 1, 1)
        cr.fill()
    elif style == "side":
        cr.move_to(26, 46)
        cr.curve_to(22, 18, 60, 12, 74, 30)
        cr.line_to(76, 44)
        cr.curve_to(70, 30, 54, 26, 34, 32)
        cr.curve_to(30, 36, 28, 40, 26, 46)
        cr.fill()
    elif style == "buzz":
        cr.move_to(27, 40)
        cr.curve_to(28, 20, 72, 20, 73, 40)
        cr.curve_to(64, 30, 36, 30, 27, 40)
        cr.fill()
    elif style == "curly":
        for (x, y, r) in [(30, 34, 8), (36, 25, 8), (46, 20, 9), (57, 20, 9), (66, 25, 8),
                          (72, 34, 8), (50, 27, 8)]:
            cr.arc(x, y, r, 0, 2 * math.pi)
            cr.fill()
    elif style in ("long", "wavy", "ponytail", "pigtails", "bun"):
        cr.move_to(26, 50)
        cr.curve_to(20, 2, 80, 2, 74, 50)
        cr.curve_to(70, 32, 60, 28, 50, 30)
        cr.curve_to(40, 28, 30, 32, 26, 50)
        cr.fill()
    elif style == "bob":
        cr.move_to(24, 60)
        cr.curve_to(16, 0, 84, 0, 76, 60)
        cr.line_to(70, 60)
        cr.curve_to(72, 36, 62, 30, 50, 32)
        cr.curve_to(38, 30, 28, 36, 30, 60)
        cr.close_path()
        cr.fill()
    if style == "wavy":
        cr.set_source_rgba(*C.hex_rgb(hair))
        for y in (56, 68, 80):
            cr.arc(24, y, 6, 0, 2 * math.pi)
            cr.fill()
            cr.arc(76, y, 6, 0, 2 * math.pi)
            cr.fill()
    # Eyes, brows, cheeks, smile.
    for ex in (41, 59):
        cr.set_source_rgba(1, 1, 1, 1)
        _ellipse(cr, ex, 46, 4.6, 5.2)
        cr.fill()
        cr.set_source_rgba(0.18, 0.12, 0.08, 1)
        cr.arc(ex + 0.4, 46.8, 2.8, 0, 2 * math.pi)
        cr.fill()
        cr.set_source_rgba(1, 1, 1, 1)
        cr.arc(ex + 1.4, 45.6, 1.0, 0, 2 * math.pi)
        cr.fill()
        if female:
            cr.set_source_rgba(0.15, 0.1, 0.08, 1)
            cr.set_line_width(1.3)
            cr.move_to(ex - 5, 43)
            cr.line_to(ex - 6.5, 41.5)
            cr.stroke()
    cr.set_source_rgba(*_darker(hair, 0.9))
    cr.set_line_width(2.0 if not female else 1.4)
    cr.set_line_cap(1)
    for ex in (41, 59):
        cr.move_to(ex - 5, 38.5)
        cr.curve_to(ex - 2, 36, ex + 2, 36, ex + 5, 38.5)
        cr.stroke()
    cr.set_source_rgba(1.0, 0.45, 0.45, 0.35 if female else 0.2)
    _ellipse(cr, 34, 55, 5, 3)
    cr.fill()
    _ellipse(cr, 66, 55, 5, 3)
    cr.fill()
    cr.set_source_rgba(*_darker(skin, 0.75))
    cr.set_line_width(1.4)
    cr.move_to(49, 49)
    cr.curve_to(48, 53, 50, 54, 52, 53)
    cr.stroke()
    cr.move_to(42, 58)
    cr.curve_to(46, 64, 54, 64, 58, 58)
    cr.close_path()
    cr.set_source_rgba(0.65, 0.15, 0.15, 1)
    cr.fill_preserve()
    cr.set_source_rgba(0.45, 0.1, 0.1, 1)
    cr.set_line_width(1)
    cr.stroke()
    cr.rectangle(44, 58, 12, 1.6)
    cr.set_source_rgba(1, 1, 1, 0.9)
    cr.fill()
    if female:
        cr.set_source_rgba(0.85, 0.2, 0.3, 0.35)
        cr.move_to(42, 58)
        cr.curve_to(46, 56, 54, 56, 58, 58)
        cr.set_line_width(1.2)
        cr.stroke()
    _extra(cr, p["extra"], hair)
    return C.to_pil(s)


def _extra(cr, extra, hair):
    if extra == "glasses":
        cr.set_source_rgba(0.1, 0.1, 0.12, 1)
        cr.set_line_width(1.8)
        for ex in (41, 59):
            C.rounded_rect(cr, ex - 7, 41, 14, 11, 4)
            cr.stroke()
        cr.move_to(48, 45)
        cr.line_to(52, 45)
        cr.stroke()
    elif extra == "beard":
        cr.set_source_rgba(*C.hex_rgb(hair, 0.9))
        cr.move_to(30, 52)
        cr.curve_to(32, 74, 68, 74, 70, 52)
        cr.curve_to(64, 62, 60, 66, 50, 66)
        cr.curve_to(40, 66, 36, 62, 30, 52)
        cr.fill()
        cr.move_to(42, 56)
        cr.curve_to(46, 53, 54, 53, 58, 56)
        cr.set_line_width(2.5)
        cr.stroke()
    elif extra == "headband":
        cr.set_source(C.linear(0, 28, 0, 34, [(0, "#ff5a5a"), (1, "#b81a1a")]))
        cr.move_to(26, 36)
        cr.curve_to(36, 26, 64, 26, 74, 36)
        cr.line_to(74, 30)
        cr.curve_to(64, 20, 36, 20, 26, 30)
        cr.close_path()
        cr.fill()
    elif extra == "bowtie":
        cr.set_source_rgba(0.85, 0.1, 0.15, 1)
        cr.move_to(50, 80)
        cr.line_to(42, 76)
        cr.line_to(42, 84)
        cr.close_path()
        cr.move_to(50, 80)
        cr.line_to(58, 76)
        cr.line_to(58, 84)
        cr.close_path()
        cr.fill()
    elif extra == "bow":
        cr.set_source_rgba(1.0, 0.35, 0.55, 1)
        for sx in (-1, 1):
            cr.move_to(68, 22)
            cr.line_to(68 + sx * 10, 16)
            cr.line_to(68 + sx * 10, 28)
            cr.close_path()
            cr.fill()
        cr.arc(68, 22, 3, 0, 2 * math.pi)
        cr.set_source_rgba(0.8, 0.15, 0.35, 1)
        cr.fill()
    elif extra == "earrings":
        cr.set_source(C.radial(26, 57, 0, 3, [(0, "#fff6c0"), (1, "#d4a017")]))
        cr.arc(26, 57, 2.6, 0, 2 * math.pi)
        cr.fill()
        cr.set_source(C.radial(74, 57, 0, 3, [(0, "#fff6c0"), (1, "#d4a017")]))
        cr.arc(74, 57, 2.6, 0, 2 * math.pi)
        cr.fill()
    elif extra == "flower":
        for k in range(5):
            a = k * 2 * math.pi / 5
            cr.arc(30 + 4.5 * math.cos(a), 26 + 4.5 * math.sin(a), 3.6, 0, 2 * math.pi)
            cr.set_source_rgba(1, 0.95, 0.4, 1)
            cr.fill()
        cr.arc(30, 26, 2.6, 0, 2 * math.pi)
        cr.set_source_rgba(1, 0.5, 0.2, 1)
        cr.fill()


def portraits():
    """(folder name, image) for every face: 11..16 men, 21..26 women."""
    out = []
    for i, p in enumerate(MEN):
        out.append(("1%d" % (i + 1), face(p, False)))
    for i, p in enumerate(WOMEN):
        out.append(("2%d" % (i + 1), face(p, True)))
    return out
