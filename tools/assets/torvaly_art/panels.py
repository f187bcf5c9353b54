"""The game-end panel (turning backdrops, titles, information box, digit strips) and the
options window's background with its labels."""
import math

from . import common as C
from . import layout as L
from . import table as T


def end_backdrop(win):
    n = L.END_BACK
    s, cr = C.surface(n, n)
    c = n / 2
    col = (1.0, 0.82, 0.3) if win else (0.55, 0.65, 0.85)
    # Rays: alternating wedges that fade toward the rim, so the turning reads as a glow.
    for k in range(24):
        a0 = k * 2 * math.pi / 24
        cr.move_to(c, c)
        cr.arc(c, c, c - 2, a0, a0 + math.pi / 24)
        cr.close_path()
        cr.set_source(C.radial(c, c, 10, c - 2, [(0, col + (0.55,)), (0.6, col + (0.22,)),
                                                  (1, col + (0.0,))]))
        cr.fill()
    cr.arc(c, c, c * 0.42, 0, 2 * math.pi)
    cr.set_source(C.radial(c, c, 0, c * 0.42, [(0, col + (0.55,)), (1, col + (0.0,))]))
    cr.fill()
    # A few twinkles on the rays.
    for k in range(12):
        a = k * 2 * math.pi / 12 + 0.13
        r = c * (0.55 + 0.25 * (k % 3) / 2)
        x, y = c + r * math.cos(a), c + r * math.sin(a)
        cr.move_to(x, y - 7)
        cr.line_to(x + 2, y)
        cr.line_to(x, y + 7)
        cr.line_to(x - 2, y)
        cr.close_path()
        cr.move_to(x - 7, y)
        cr.line_to(x, y + 2)
        cr.line_to(x + 7, y)
        cr.line_to(x, y - 2)
        cr.close_path()
        cr.set_source_rgba(1, 1, 0.9, 0.8)
        cr.fill()
    return C.to_pil(s)


def end_title(win):
    w, h = L.END_TITLE_W, L.END_TITLE_H
    s, cr = C.surface(w, h)
    # Ribbon behind the word.
    ry, rh = 38, 52
    base = ("#d8262a", "#8a0c10") if win else ("#4a5a7a", "#232c40")
    for sx in (-1, 1):
        x0 = w / 2 + sx * 150
        cr.move_to(x0, ry + 8)
        cr.line_to(x0 + sx * 28, ry + 8)
        cr.line_to(x0 + sx * 16, ry + 8 + rh / 2)
        cr.line_to(x0 + sx * 28, ry + 8 + rh)
        cr.line_to(x0, ry + 8 + rh)
        cr.close_path()
        cr.set_source(C.linear(0, ry, 0, ry + rh, [(0, base[1]), (1, base[1])]))
        cr.fill()
    C.rounded_rect(cr, w / 2 - 150, ry, 300, rh, 6)
    cr.set_source(C.linear(0, ry, 0, ry + rh, [(0, base[0]), (1, base[1])]))
    cr.fill_preserve()
    cr.set_source(C.linear(0, ry, 0, ry + rh, C.GOLD_STOPS))
    cr.set_line_width(2.5)
    cr.stroke()
    img = C.to_pil(s)
    if win:
        t = C.styled_text("胜 利", 64, fill=("#ffffff", "#fff08a", "#ffae1a"), outline="#5a1a00",
                          outline_w=5, glow="#ffcc33")
    else:
        t = C.styled_text("失 败", 64, fill=("#ffffff", "#d8e4ff", "#8aa0c8"), outline="#16203a",
                          outline_w=5, glow="#6a8acc")
    C.paste(img, t, (w - t.width) // 2, (h - t.height) // 2 - 2)
    return img


def end_box():
    w, h = L.END_BOX_W, L.END_BOX_H
    s, cr = C.surface(w, h)
    C.gold_panel(cr, 0, 0, w, h, 18, fill_top="#3a1a0c", fill_bottom="#1a0b04", rim=4,
                 alpha=0.94)
    # Header band and separators.
    cr.rectangle(10, 8, w - 22, 34)
    cr.set_source_rgba(1, 0.8, 0.35, 0.14)
    cr.fill()
    for y in (L.END_ROW_BASE[0] + 14, L.END_ROW_BASE[1] + 14):
        cr.rectangle(20, y, w - 42, 1)
        cr.set_source_rgba(1, 0.85, 0.5, 0.18)
        cr.fill()
    ysep = L.END_PUBLIC_ROWS[0] - 12
    cr.rectangle(14, ysep, w - 30, 2)
    cr.set_source(C.linear(0, 0, w, 0, [(0, (1, 0.8, 0.3, 0)), (0.5, (1, 0.8, 0.3, 0.9)),
                                        (1, (1, 0.8, 0.3, 0))]))
    cr.fill()
    img = C.to_pil(s)

    def head(text, cx, left=False):
        t = C.styled_text(text, 20, fill=("#fff7d0", "#ffd46a"), outline="#3a1400",
                          outline_w=2, shadow=False)
        x = cx if left else cx - t.width // 2
        C.paste(img, t, x, 8 + (34 - t.height) // 2)

    head("玩家", L.END_COL_NAME_X, left=True)
    head("倍数", L.END_COL_MULT_CX)
    head("剩牌", L.END_COL_LEFT_CX)
    head("输赢", L.END_COL_GOLD_CX)
    labels = [["公共倍数", "炸弹", "火箭"], ["春天", "反春", "豪春"]]
    for line in range(2):
        for col in range(3):
            t = C.styled_text(labels[line][col], 18, fill=("#ffe9b0", "#f0c060"),
                              outline="#3a1400", outline_w=2, shadow=False)
            y = L.END_PUBLIC_ROWS[line] + (L.BOX_DIGIT_H - t.height) // 2
            C.paste(img, t, L.END_PUBLIC_LABEL_X[col], y)
    return img


def box_digits(win):
    if win:
        return T.digit_strip(L.BOX_DIGIT_W, L.BOX_DIGIT_H, 23, ("#ffffff", "#ffe68a", "#ffb020"),
                             "#3a1400", extra="+")
    return T.digit_strip(L.BOX_DIGIT_W, L.BOX_DIGIT_H, 23, ("#ffffff", "#cfe0ff", "#7ea0e0"),
                         "#0a1a3a", extra="-")


def big_digits(win):
    if win:
        return T.digit_strip(L.BIG_DIGIT_W, L.BIG_DIGIT_H, 44, ("#ffffff", "#ffe25a", "#ff8a12"),
                             "#5a1a00", extra="+", outline_w=3)
    return T.digit_strip(L.BIG_DIGIT_W, L.BIG_DIGIT_H, 44, ("#ffffff", "#c8d8ff", "#5a7ac8"),
                         "#101a3a", extra="-", outline_w=3)


def option_window():
    w, h = L.OPTION_W, L.OPTION_H
    s, cr = C.surface(w, h)
    C.gold_panel(cr, 0, 0, w, h, 16, fill_top="#3a1c0c", fill_bottom="#1c0c04", rim=4,
                 alpha=0.97)
    # Title band.
    C.rounded_rect(cr, 12, 10, w - 26, 38, 10)
    cr.set_source(C.linear(0, 10, 0, 48, [(0, "#8a3a12"), (1, "#4a1a06")]))
    cr.fill_preserve()
    cr.set_source_rgba(1, 0.8, 0.35, 0.6)
    cr.set_line_width(1.2)
    cr.stroke()
    # Wells behind the check boxes and the drop-down, so the widgets sit in the art.
    for y in L.OPTION_CHECK_ROWS:
        C.rounded_rect(cr, L.OPTION_CHECK_X - 2, y - 2, 20, 20, 4)
        cr.set_source_rgba(0, 0, 0, 0.35)
        cr.fill()
    dx, dy, dw, dh = L.OPTION_DROP
    C.rounded_rect(cr, dx - 3, dy - 3, dw + 6, dh + 6, 4)
    cr.set_source_rgba(0, 0, 0, 0.35)
    cr.fill()
    # Separator above the buttons.
    cr.rectangle(20, 240, w - 42, 1.5)
    cr.set_source(C.linear(0, 0, w, 0, [(0, (1, 0.8, 0.3, 0)), (0.5, (1, 0.8, 0.3, 0.8)),
                                        (1, (1, 0.8, 0.3, 0))]))
    cr.fill()
    img = C.to_pil(s)
    t = C.styled_text("游戏设置", 24, fill=("#ffffff", "#ffe28a", "#f0a020"), outline="#3a1400",
                      outline_w=2)
    C.paste(img, t, (w - 4 - t.width) // 2, 10 + (38 - t.height) // 2)
    labels = ["背景音乐", "游戏音效", "顺时针座次", "允许旁观", "游戏动画"]
    for y, text in zip(L.OPTION_CHECK_ROWS, labels):
        lt = C.styled_text(text, 16, fill=("#fff6dc", "#ffe0a0"), outline="#2a1000",
                           outline_w=1, shadow=False)
        C.paste(img, lt, L.OPTION_CHECK_X + 26, y + 8 - lt.height // 2)
    lt = C.styled_text("牌间距", 16, fill=("#fff6dc", "#ffe0a0"), outline="#2a1000",
                       outline_w=1, shadow=False)
    C.paste(img, lt, L.OPTION_CHECK_X, dy + dh // 2 - lt.height // 2)
    hint = C.styled_text("(自己手牌)", 14, fill=("#d8c8a0", "#c8b890"), outline="#2a1000",
                         outline_w=1, shadow=False)
    C.paste(img, hint, dx + dw + 12, dy + dh // 2 - hint.height // 2)
    return img
