"""Frame strips of the table's effects. Frames run left to right and continue on the next row;
unused cells at the end of a grid stay transparent."""
import math
import random

from PIL import Image

from . import common as C


def grid(frames, cols, rows, cw, ch, draw):
    """draw(index, t) -> RGBA image of cw x ch; t runs 0..1 over the frames."""
    img = Image.new("RGBA", (cols * cw, rows * ch), (0, 0, 0, 0))
    for i in range(frames):
        t = i / max(1, frames - 1)
        cell = draw(i, t)
        img.alpha_composite(cell, ((i % cols) * cw, (i // cols) * ch))
    return img


def ease_out(t):
    return 1 - (1 - t) ** 3


def pop(t, t0, t1):
    """A scale that overshoots while t goes from t0 to t1, then rests at 1."""
    if t <= t0:
        return 0.0
    u = min(1.0, (t - t0) / (t1 - t0))
    return 1 + 0.25 * math.sin(u * math.pi) * (1 - u) * 2 if u < 1 else 1.0


def scaled(img, k):
    if k <= 0.01:
        return None
    return img.resize((max(1, int(img.width * k)), max(1, int(img.height * k))), Image.LANCZOS)


def with_alpha(img, a):
    if a >= 1:
        return img
    r, g, b, al = img.split()
    al = al.point(lambda v: int(v * max(0.0, a)))
    return Image.merge("RGBA", (r, g, b, al))


def put_centre(dst, img, cx, cy):
    if img is not None:
        dst.alpha_composite(img, (int(cx - img.width / 2), int(cy - img.height / 2)))


# ---------------------------------------------------------------------------------------------

def bomb_flash():
    cw = ch = 240
    rng = random.Random(4)
    sparks = [(rng.uniform(0, 2 * math.pi), rng.uniform(0.6, 1.0), rng.uniform(2, 4))
              for _ in range(28)]
    word = C.styled_text("炸弹", 58, fill=("#ffffff", "#ffe25a", "#ff7a12"), outline="#5a0a00",
                         outline_w=4, glow="#ff5a00")

    def draw(i, t):
        s, cr = C.surface(cw, ch)
        cx, cy = cw / 2, ch / 2
        # Fireball: grows fast, then fades.
        r = 20 + 78 * ease_out(min(1, t * 2.2))
        a = 1.0 if t < 0.35 else max(0.0, 1 - (t - 0.35) / 0.6)
        cr.arc(cx, cy, r, 0, 2 * math.pi)
        cr.set_source(C.radial(cx, cy, 0, r, [(0, (1, 1, 0.9, a)), (0.35, (1, 0.85, 0.2, a * 0.9)),
                                             (0.7, (1, 0.35, 0.05, a * 0.6)),
                                             (1, (0.6, 0.05, 0, 0))]))
        cr.fill()
        # Shock ring.
        rr = 30 + 82 * ease_out(t)
        cr.arc(cx, cy, rr, 0, 2 * math.pi)
        cr.set_line_width(6 * (1 - t) + 1)
        cr.set_source_rgba(1, 0.95, 0.7, 0.8 * (1 - t))
        cr.stroke()
        # Sparks flying out.
        cr.set_line_cap(1)
        for (ang, sp, wdt) in sparks:
            d0 = 16 + 92 * ease_out(t) * sp
            d1 = min(116, d0 + 26 * (1 - t) + 4)
            cr.move_to(cx + d0 * math.cos(ang), cy + d0 * math.sin(ang))
            cr.line_to(cx + d1 * math.cos(ang), cy + d1 * math.sin(ang))
            cr.set_line_width(wdt + 1)
            cr.set_source_rgba(1, 0.85 + 0.15 * sp, 0.45, max(0, 1 - t * 1.05))
            cr.stroke()
        img = C.to_pil(s)
        k = pop(t, 0.08, 0.35)
        if k > 0:
            put_centre(img, with_alpha(scaled(word, k), 1 if t < 0.8 else (1 - t) / 0.2 + 0.1),
                       cx, cy)
        return img

    return grid(20, 5, 5, cw, ch, draw)


def rocket():
    cw, ch = 120, 260

    def draw(i, t):
        s, cr = C.surface(cw, ch)
        cx = cw / 2
        # Flame (flickers frame by frame).
        fl = [1.0, 0.8, 1.1, 0.9][i]
        for k, (col, wd) in enumerate([("#ff5a00", 26), ("#ffb400", 18), ("#fff6c8", 9)]):
            ln = (95 - k * 22) * fl
            cr.move_to(cx - wd / 2, 170)
            cr.curve_to(cx - wd / 2, 170 + ln * 0.5, cx - 2, 170 + ln * 0.8, cx, 170 + ln)
            cr.curve_to(cx + 2, 170 + ln * 0.8, cx + wd / 2, 170 + ln * 0.5, cx + wd / 2, 170)
            cr.close_path()
            r, g, b, _ = C.hex_rgb(col)
            cr.set_source_rgba(r, g, b, 0.9)
            cr.fill()
        # Fins.
        cr.set_source(C.linear(0, 130, 0, 180, [(0, "#d21f1f"), (1, "#7a0a0a")]))
        for sx in (-1, 1):
            cr.move_to(cx + sx * 16, 120)
            cr.line_to(cx + sx * 40, 168)
            cr.line_to(cx + sx * 40, 182)
            cr.line_to(cx + sx * 16, 168)
            cr.close_path()
            cr.fill()
        # Body.
        cr.move_to(cx, 18)
        cr.curve_to(cx + 26, 50, cx + 22, 100, cx + 20, 172)
        cr.line_to(cx - 20, 172)
        cr.curve_to(cx - 22, 100, cx - 26, 50, cx, 18)
        cr.close_path()
        cr.set_source(C.linear(cx - 22, 0, cx + 22, 0, [(0, "#b8b8c8"), (0.35, "#ffffff"),
                                                        (0.7, "#d8d8e4"), (1, "#8a8a9c")]))
        cr.fill()
        # Nose cone and bands.
        cr.move_to(cx, 18)
        cr.curve_to(cx + 14, 32, cx + 19, 46, cx + 20, 56)
        cr.line_to(cx - 20, 56)
        cr.curve_to(cx - 19, 46, cx - 14, 32, cx, 18)
        cr.close_path()
        cr.set_source(C.linear(cx - 20, 0, cx + 20, 0, [(0, "#a01010"), (0.4, "#ff4a3a"),
                                                        (1, "#8a0a0a")]))
        cr.fill()
        cr.rectangle(cx - 21, 150, 42, 8)
        cr.set_source(C.linear(0, 150, 0, 158, C.GOLD_STOPS))
        cr.fill()
        # Window.
        cr.arc(cx, 90, 11, 0, 2 * math.pi)
        cr.set_source(C.linear(0, 80, 0, 100, C.GOLD_STOPS))
        cr.fill()
        cr.arc(cx, 90, 8, 0, 2 * math.pi)
        cr.set_source(C.radial(cx - 3, 87, 1, 9, [(0, "#d8f4ff"), (1, "#2a6aa8")]))
        cr.fill()
        return C.to_pil(s)

    return grid(4, 4, 1, cw, ch, draw)


def rocket_burst():
    cw = ch = 280
    rng = random.Random(9)
    colours = [(1, 0.85, 0.2), (1, 0.35, 0.3), (0.5, 0.85, 1), (0.6, 1, 0.5), (1, 0.5, 1)]
    rays = [(k * 2 * math.pi / 48 + rng.uniform(-0.04, 0.04), rng.uniform(0.7, 1.0),
             colours[k % len(colours)]) for k in range(48)]
    word = C.styled_text("火箭", 64, fill=("#ffffff", "#ffe25a", "#ff5a12"), outline="#4a0600",
                         outline_w=4, glow="#ffb400")

    def draw(i, t):
        s, cr = C.surface(cw, ch)
        cx, cy = cw / 2, ch / 2
        core = max(0.0, 1 - t * 1.6)
        cr.arc(cx, cy, 40 + 40 * t, 0, 2 * math.pi)
        cr.set_source(C.radial(cx, cy, 0, 40 + 40 * t, [(0, (1, 1, 0.9, core)),
                                                        (1, (1, 0.6, 0.1, 0))]))
        cr.fill()
        for (ang, sp, col) in rays:
            d = 20 + 115 * ease_out(t) * sp
            for tail in range(4):
                dd = d - tail * 9
                if dd < 10:
                    continue
                a = max(0.0, 1 - t * 0.75) * (1 - tail * 0.2)
                cr.arc(cx + dd * math.cos(ang), cy + dd * math.sin(ang) + 14 * t * t,
                       4.4 - tail * 0.8, 0, 2 * math.pi)
                cr.set_source_rgba(col[0], col[1], col[2], a)
                cr.fill()
        img = C.to_pil(s)
        k = pop(t, 0.0, 0.4)
        put_centre(img, with_alpha(scaled(word, k), 1.0 if t < 0.85 else 0.6), cx, cy)
        return img

    return grid(9, 3, 3, cw, ch, draw)


def _card_fan(faces, w=54, h=74, spread=30, tilt=8.0):
    """Small cards fanned in an arc, as one RGBA image."""
    from . import cards  # the deck is only read when an effect shows cards
    handle = cards.handle()
    n = len(faces)
    out = Image.new("RGBA", (spread * (n - 1) + w + 40, h + 40), (0, 0, 0, 0))
    for i, face in enumerate(faces):
        card = cards.render(handle, face, w, h)
        ang = (i - (n - 1) / 2) * tilt
        card = card.rotate(-ang, resample=Image.BICUBIC, expand=True)
        dy = abs(i - (n - 1) / 2) ** 2 * 1.6
        out.alpha_composite(card, (int(i * spread + 20 + (w - card.width) / 2),
                                   int(20 + dy + (h - card.height) / 2)))
    return out.crop(out.getbbox())


def _banner_effect(text, frames, fill, outline, glow, trail, cw=400, ch=150, seed=1,
                   petals=False, fan=None):
    rng = random.Random(seed)
    word = C.styled_text(text, 78, fill=fill, outline=outline, outline_w=5, glow=glow)
    fan_img = _card_fan(fan) if fan else None
    bits = [(rng.uniform(0, cw), rng.uniform(10, ch - 10), rng.uniform(2, 5),
             rng.uniform(0, 2 * math.pi)) for _ in range(26)]

    def draw(i, t):
        s, cr = C.surface(cw, ch)
        cx, cy = cw / 2, ch / 2
        # A light sweep behind the word.
        sweep = ease_out(min(1, t * 1.8))
        band_w = cw * sweep
        a = 0.85 if t < 0.7 else max(0, (1 - t) / 0.3 * 0.85)
        cr.rectangle(cx - band_w / 2, cy - 26, band_w, 52)
        cr.set_source(C.linear(cx - band_w / 2, 0, cx + band_w / 2, 0,
                               [(0, trail + (0,)), (0.5, trail + (a * 0.8,)),
                                (1, trail + (0,))]))
        cr.fill()
        # Sparkles or petals drifting.
        for (x, y, r, ph) in bits:
            k = (t * 1.3 + ph / (2 * math.pi)) % 1.0
            xx = (x + k * 120) % cw
            yy = y + (k * 30 if petals else math.sin(ph + t * 6) * 6)
            al = math.sin(k * math.pi) * (1 if t < 0.8 else (1 - t) / 0.2)
            if petals:
                cr.save()
                cr.translate(xx, yy)
                cr.rotate(ph + t * 4)
                cr.scale(1, 0.55)
                cr.arc(0, 0, r + 1.5, 0, 2 * math.pi)
                cr.restore()
                cr.set_source_rgba(1, 0.72, 0.82, al)
            else:
                cr.move_to(xx, yy - r * 1.8)
                cr.line_to(xx + r * 0.5, yy)
                cr.line_to(xx, yy + r * 1.8)
                cr.line_to(xx - r * 0.5, yy)
                cr.close_path()
                cr.set_source_rgba(1, 0.95, 0.6, al)
            cr.fill()
        img = C.to_pil(s)
        k = pop(t, 0.0, 0.35)
        alpha = 1.0 if t < 0.8 else max(0.15, (1 - t) / 0.2)
        if fan_img is not None:
            # The cards fan out behind the word, coming in from the right.
            u = ease_out(min(1, t * 2.5))
            f = scaled(fan_img, 0.6 + 0.4 * u)
            put_centre(img, with_alpha(f, alpha * min(1, t * 4)), cx + 50 * (1 - u), cy - 24)
        # The word slides in from the left while it grows.
        dx = -60 * (1 - ease_out(min(1, t * 3)))
        put_centre(img, with_alpha(scaled(word, k * 0.85 if k else 0), alpha), cx + dx,
                   cy + (22 if fan_img is not None else 0))
        return img

    return draw


def straight():
    d = _banner_effect("顺子", 15, ("#ffffff", "#fff08a", "#ffb21a"), "#5a2a00", "#ffcc33",
                       (1.0, 0.85, 0.3), seed=2,
                       fan=["heart_3", "spade_4", "diamond_5", "club_6", "heart_7"])
    return grid(15, 3, 6, 400, 150, d)


def pairs_run():
    d = _banner_effect("连对", 18, ("#ffffff", "#bfe6ff", "#3aa0ff"), "#0a2a5a", "#33aaff",
                       (0.4, 0.75, 1.0), seed=3,
                       fan=["heart_8", "spade_8", "diamond_9", "club_9", "heart_10", "spade_10"])
    return grid(18, 3, 6, 400, 150, d)


def spring(text, fill, outline, glow, trail, seed):
    d = _banner_effect(text, 15, fill, outline, glow, trail, cw=320, ch=180, seed=seed,
                       petals=True)
    return grid(15, 5, 3, 320, 180, d)


def springs():
    return {
        "spring": spring("春天", ("#ffffff", "#ffd0e0", "#ff5a8a"), "#5a0a2a", "#ff7aa8",
                         (1.0, 0.6, 0.75), 5),
        "bigSpring": spring("反春", ("#ffffff", "#d8d0ff", "#8a6aff"), "#1a0a5a", "#9a7aff",
                            (0.65, 0.55, 1.0), 6),
        "haoSpring": spring("豪春", ("#ffffff", "#fff08a", "#ff8a1a"), "#5a1a00", "#ffb400",
                            (1.0, 0.8, 0.3), 7),
    }


def auto_play():
    cw = ch = 80

    def draw(i, t):
        s, cr = C.surface(cw, ch)
        cx, cy = 40, 44
        # Round badge with a robot's face; its eyes and antenna light blink.
        cr.arc(cx + 1, cy + 2, 30, 0, 2 * math.pi)
        cr.set_source_rgba(0, 0, 0, 0.4)
        cr.fill()
        cr.arc(cx, cy, 30, 0, 2 * math.pi)
        cr.set_source(C.linear(0, cy - 30, 0, cy + 30, C.GOLD_STOPS))
        cr.fill()
        cr.arc(cx, cy, 26, 0, 2 * math.pi)
        cr.set_source(C.radial(cx - 6, cy - 8, 2, 28, [(0, "#5ab0ff"), (1, "#12407a")]))
        cr.fill()
        cr.move_to(cx, cy - 17)
        cr.line_to(cx, cy - 26)
        cr.set_line_width(3)
        cr.set_source_rgb(0.9, 0.9, 0.95)
        cr.stroke()
        glow = [1.0, 0.45, 0.75][i]
        cr.arc(cx, cy - 28, 5, 0, 2 * math.pi)
        cr.set_source_rgba(1, 0.3 + 0.6 * glow, 0.2, 1)
        cr.fill()
        C.rounded_rect(cr, cx - 17, cy - 15, 34, 26, 8)
        cr.set_source(C.linear(0, cy - 15, 0, cy + 11, [(0, "#ffffff"), (1, "#b8c8d8")]))
        cr.fill()
        eye = [5.0, 5.0, 1.2][i]
        for ex in (cx - 7, cx + 7):
            C.rounded_rect(cr, ex - 3.5, cy - 5 - eye / 2, 7, eye, 2)
            cr.set_source_rgb(0.1, 0.6, 1.0)
            cr.fill()
        cr.move_to(cx - 6, cy + 4)
        cr.curve_to(cx - 3, cy + 7, cx + 3, cy + 7, cx + 6, cy + 4)
        cr.set_line_width(2)
        cr.set_source_rgb(0.2, 0.3, 0.45)
        cr.stroke()
        return C.to_pil(s)

    return grid(3, 3, 1, cw, ch, draw)


def alarm():
    cw = ch = 80

    def draw(i, t):
        s, cr = C.surface(cw, ch)
        cx, cy = 40, 46
        on = [1.0, 0.55, 1.0, 0.3][i]
        # Rays turning around the warning light.
        cr.save()
        cr.translate(cx, cy - 6)
        cr.rotate(i * math.pi / 8)
        for k in range(8):
            cr.rotate(math.pi / 4)
            cr.move_to(0, 0)
            cr.line_to(-5, -38)
            cr.line_to(5, -38)
            cr.close_path()
            cr.set_source_rgba(1, 0.25, 0.15, 0.28 * on)
            cr.fill()
        cr.restore()
        # Base.
        C.rounded_rect(cr, cx - 22, cy + 12, 44, 12, 4)
        cr.set_source(C.linear(0, cy + 12, 0, cy + 24, C.GOLD_STOPS))
        cr.fill()
        # Dome.
        cr.move_to(cx - 18, cy + 13)
        cr.line_to(cx - 18, cy - 4)
        cr.arc(cx, cy - 4, 18, math.pi, 2 * math.pi)
        cr.line_to(cx + 18, cy + 13)
        cr.close_path()
        cr.set_source(C.radial(cx - 5, cy - 10, 1, 26, [(0, (1, 0.95, 0.85, 1)),
                                                        (0.35, (1, 0.3 + 0.3 * on, 0.2, 1)),
                                                        (1, (0.55 + 0.3 * on, 0.05, 0.05, 1))]))
        cr.fill()
        # Highlight.
        cr.move_to(cx - 11, cy + 6)
        cr.line_to(cx - 11, cy - 4)
        cr.arc(cx, cy - 4, 11, math.pi, 1.3 * math.pi)
        cr.set_line_width(3)
        cr.set_source_rgba(1, 1, 1, 0.6)
        cr.stroke()
        return C.to_pil(s)

    return grid(4, 4, 1, cw, ch, draw)
