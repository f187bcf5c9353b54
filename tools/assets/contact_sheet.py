#!/usr/bin/env python3
"""Draws the resource folder for people to look at:
  contact_sheet.png  every image of the folder, labelled with its resource key or file name;
  mock_table.png     a table composed from the folder at its coordinates, by the drawing rules of
                     the view: background, three seats with portraits, names and gold, a
                     17-card hand, two side columns of backs, a play, the buttons, the top panel
                     and a clock;
  mock_play.png      the same table in play: stacked side hands with their counts, pass and ready
                     marks, auto-play and alarm marks, the banker;
  mock_end.png       the game-end panel's detail form over the table;
  mock_options.png   the options window at its place with stand-ins for its check boxes and
                     drop-down, and the wait tip.
Reads only the folder (both ini files and the files they name), so it checks them as well."""
import argparse
import configparser
import os
import sys

from PIL import Image, ImageDraw

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from torvaly_art import common as C  # noqa: E402
from torvaly_art import folder as F  # noqa: E402

YELLOW = (255, 255, 0, 255)


class Folder:
    def __init__(self, root):
        self.root = root
        self.res = self._ini("Torvaly\\ResourcePath.ini", "Resource")
        self.xy = {k: int(v) for k, v in self._ini("Torvaly\\qzt.ini", "GAME_COORDINATE").items()}
        self._cache = {}

    def _ini(self, name, section):
        cp = configparser.ConfigParser(interpolation=None)
        cp.optionxform = str
        cp.read(F.local(self.root, name), encoding="ascii")
        return dict(cp[section])

    def path(self, name):
        return F.local(self.root, name)

    def image(self, key_or_name):
        name = self.res.get(key_or_name, key_or_name)
        if name not in self._cache:
            self._cache[name] = Image.open(self.path(name)).convert("RGBA")
        return self._cache[name]

    def pt(self, stem):
        return self.xy[stem + "X"], self.xy[stem + "Y"]


# ---------------------------------------------------------------------------------------------
# Contact sheet

def contact_sheet(fd, out):
    items = [(k, v) for k, v in fd.res.items() if v.lower().endswith(".png")]
    items += [(n.split("\\")[-2] + "\\" + n.split("\\")[-1], n) for n in F.FIXED_IMAGES]
    for sub in sorted(os.listdir(fd.path("Torvaly\\people"))):
        items.append(("people\\%s" % sub, "Torvaly\\people\\%s\\10.png" % sub))
    W, maxw, maxh = 1800, 420, 300
    cells = []
    for label, name in items:
        img = fd.image(name)
        k = min(1.0, maxw / img.width, maxh / img.height)
        th = img.resize((max(1, int(img.width * k)), max(1, int(img.height * k))), Image.LANCZOS)
        cells.append((label, img.size, th))
    x = y = 10
    rowh = 0
    pos = []
    for label, size, th in cells:
        w = max(th.width, 150)
        h = th.height + 40
        if x + w > W - 10:
            x, y, rowh = 10, y + rowh + 14, 0
        pos.append((x, y))
        x += w + 14
        rowh = max(rowh, h)
    H = y + rowh + 10
    sheet = Image.new("RGBA", (W, H), (34, 38, 44, 255))
    d = ImageDraw.Draw(sheet)
    for (label, size, th), (x, y) in zip(cells, pos):
        # A checker behind each image shows its transparency.
        for cy in range(0, th.height, 12):
            for cx in range(0, th.width, 12):
                c = (70, 74, 80, 255) if (cx // 12 + cy // 12) % 2 else (54, 58, 64, 255)
                d.rectangle([x + cx, y + cy, min(x + th.width, x + cx + 12) - 1,
                             min(y + th.height, y + cy + 12) - 1], fill=c)
        sheet.alpha_composite(th, (x, y))
        d.text((x, y + th.height + 3), label, font=C.font(15, C.FONT_REGULAR),
               fill=(255, 230, 150, 255))
        d.text((x, y + th.height + 21), "%d x %d" % size, font=C.font(13, C.FONT_REGULAR),
               fill=(170, 180, 190, 255))
    C.save_png(sheet.convert("RGB"), os.path.join(out, "contact_sheet.png"))


# ---------------------------------------------------------------------------------------------
# Mock tables, drawn by the view's rules (design canvas, scale 1)

def blit(dst, img, x, y, sx=1.0, sy=1.0, flip=False):
    if flip:
        img = img.transpose(Image.FLIP_LEFT_RIGHT)
    if sx != 1.0 or sy != 1.0:
        img = img.resize((max(1, int(img.width * sx)), max(1, int(img.height * sy))),
                         Image.LANCZOS)
    dst.alpha_composite(img, (int(x), int(y)))


def cell(strip, index, count):
    w = strip.width // count
    return strip.crop((index * w, 0, index * w + w, strip.height))


def text(dst, x, y, s, color=YELLOW):
    ImageDraw.Draw(dst).text((x, y), s, font=C.font(18, C.FONT_GAME), fill=color, anchor="ls")


def digits_centred(dst, strip, x, y, value):
    w, h = strip.width // 10, strip.height
    s = str(value)
    n = len(s)
    for i, ch in enumerate(reversed(s)):
        blit(dst, cell(strip, int(ch), 10), x + n * w // 2 - w - i * w, y - h // 2)


def clock(dst, fd, p, seconds):
    stem = ["Right", "Me", "Left"][p]
    blit(dst, fd.image("m_pImageNumBack"), *fd.pt(stem + "PlayerTimeBg"))
    strip = fd.image("m_pTimeNumber")
    w = strip.width // 10
    x, y = fd.pt(stem + "PlayerTimeNum")
    if seconds < 10:
        blit(dst, cell(strip, seconds, 10), x - 9, y)
    else:
        blit(dst, cell(strip, seconds % 10, 10), x, y)
        blit(dst, cell(strip, seconds // 10 % 10, 10), x - w, y)


def draw_number(dst, strip, x, y, value, sign):
    """The game-end panel's numbers: eleven cells, the last one the sign."""
    w = strip.width // 11
    v = abs(value)
    s = str(v)
    n = len(s)
    for i, ch in enumerate(reversed(s)):
        blit(dst, cell(strip, int(ch), 11), x - w * i + n * w // 2, y)
    if sign:
        blit(dst, cell(strip, 10, 11), x - w * n + n * w // 2, y)


class Cards:
    def __init__(self, fd):
        self.sheet = fd.image("m_pPokerMiddle")
        self.w, self.h = self.sheet.width // 13, self.sheet.height // 5

    def face(self, card):
        if card == 0:
            col, row = 2, 4
        elif card & 0xF0 == 0x40:
            col, row = (card & 0x0F) % 14, 4
        else:
            col, row = (card & 0x0F) - 1, card >> 4
        return self.sheet.crop((col * self.w, row * self.h, col * self.w + self.w,
                                row * self.h + self.h))

    def row(self, dst, cards, ax, ay, xmode, ymode, step, raise_h, scale, raised=()):
        n = len(cards)
        width = int(((n - 1) * step + self.w) * scale) if n else 0
        height = int((self.h + raise_h) * scale)
        x = ax - [0, width // 2, width][xmode]
        y = ay - [0, height // 2, height][ymode]
        for i, c in enumerate(cards):
            dy = 0 if i in raised else int(raise_h * scale)
            blit(dst, self.face(c), x + int(step * scale * i), y + dy, scale, scale)

    def column(self, dst, cards, ax, ay, xmode, ymode, step, scale):
        n = len(cards)
        width = int(self.w * scale)
        height = int(((n - 1) * step + self.h) * scale) if n else 0
        x = ax - [0, width // 2, width][xmode]
        y = ay - [0, height // 2, height][ymode]
        for i, c in enumerate(cards):
            blit(dst, self.face(c), x, y + int(step * scale * i), scale, scale)


def button(dst, fd, key, stem, state=0):
    img = fd.image(key)
    blit(dst, cell(img, state, 4), *fd.pt(stem))


NAMES = ["云中鹤", "Player_Local", "小桃红"]
GOLDS = [128500, 52340, 9800]
FACES = ["Torvaly\\people\\12\\10.png", "Torvaly\\people\\14\\10.png",
         "Torvaly\\people\\21\\10.png"]


def seats(dst, fd, banker=None):
    for p, stem in enumerate(["Right", "Me", "Left"]):
        blit(dst, fd.image("m_pFaceBg"), *fd.pt(stem + "PlayerBg"))
        blit(dst, fd.image(FACES[p]), *fd.pt(stem + "Player"), 0.96, 0.97, flip=(p == 0))
        if p == 1:
            blit(dst, fd.image("m_pGoldBg"), *fd.pt("MePlayerGoldBg"))
            gx, gy = fd.pt("MePlayerGold")
            text(dst, gx, gy, str(GOLDS[p]))
            text(dst, *fd.pt("MePlayerName"), NAMES[p])
        else:
            fx, fy = fd.pt(stem + "PlayerBg")
            gbx, gby = fx, fy + 112
            blit(dst, fd.image("m_pGoldBg"), gbx, gby)
            text(dst, gbx + 10, gby + 20, str(GOLDS[p]))
            text(dst, *fd.pt(stem + "PlayerName"), NAMES[p])
    if banker is not None:
        stem = ["Right", "Me", "Left"][banker]
        blit(dst, fd.image("m_pImageLandFace"), *fd.pt(stem + "Player"), 0.96, 0.97)


def top_panel(dst, fd, multiple, deck):
    blit(dst, fd.image("m_pTopView"), *fd.pt("BeishuBg"))
    blit(dst, fd.image("m_pBeiShu"), *fd.pt("BeishuTxt"))
    strip = fd.image("m_pNumber")
    w = strip.width // 10
    x, y = fd.pt("BeishuNum")
    for i, ch in enumerate(reversed(str(multiple))):
        blit(dst, cell(strip, int(ch), 10), x - i * w, y)
    blit(dst, fd.image("m_pBei"), *fd.pt("BeiTxt"))
    blit(dst, fd.image("m_pImgLeftText"), *fd.pt("LeftCountTxt"))
    digits_centred(dst, strip, *fd.pt("LeftCount"), deck)


HAND = [0x03, 0x13, 0x04, 0x25, 0x35, 0x06, 0x17, 0x28, 0x09, 0x1A, 0x3A, 0x0B, 0x2C, 0x3D,
        0x01, 0x22, 0x4F]
STRAIGHT = [0x05, 0x16, 0x27, 0x38, 0x09]


def table(fd, banker):
    """The canvas with the background and the three seats, and the card drawer."""
    cv = Image.new("RGBA", (1280, 720))
    blit(cv, fd.image("m_ImageViewBack"), *fd.pt("Bg"))
    seats(cv, fd, banker)
    return cv, Cards(fd)


def mock_table(fd, out):
    cv, cards = table(fd, banker=1)
    top_panel(cv, fd, 16, 17)
    backs = [0] * 17
    cards.column(cv, backs, *fd.pt("RightPlayerHandCard"), 2, 1, 35, 0.55)
    cards.column(cv, backs, *fd.pt("LeftPlayerHandCard"), 0, 1, 35, 0.55)
    cards.row(cv, STRAIGHT, *fd.pt("RightPlayerOutCard"), 2, 0, 29, 0, 0.6)
    clock(cv, fd, 1, 15)
    for key, stem in (("m_btPassCard", "BtPass"), ("m_btAutoOutCard", "BtTip"),
                      ("m_btOutCard", "BtOutCard"), ("m_btAutoPlayOn", "BtAuto"),
                      ("m_btSortCard", "BtSort"), ("m_btTurn", "BtLast")):
        button(cv, fd, key, stem, 3 if key == "m_btTurn" else 0)
    cards.row(cv, HAND, *fd.pt("MePlayerHandCard"), 1, 0, 40, 20, 1.0, raised=(4, 5))
    C.save_png(cv.convert("RGB"), os.path.join(out, "mock_table.png"))


def mock_play(fd, out):
    cv, cards = table(fd, banker=0)
    for p, stem, xm, n in ((0, "Right", 2, 12), (2, "Left", 0, 1)):
        cards.row(cv, [0], *fd.pt(stem + "PlayerHandCard"), xm, 1, 0, 0, 0.55)
        blit(cv, fd.image("m_pPlayerLeftNumBg"), *fd.pt(stem + "PlayerLeftCardBg"))
        digits_centred(cv, fd.image("m_pPlayerLeftNum"), *fd.pt(stem + "PlayerLeftCard"), n)
    # The right seat played a pair run, the left one passed, the local player leads again.
    cards.row(cv, [0x05, 0x15, 0x06, 0x26, 0x17, 0x37, 0x08, 0x38], *fd.pt("RightPlayerOutCard"),
              2, 0, 29, 0, 0.6)
    blit(cv, fd.image("m_pImageViewBox2"), *fd.pt("LeftBoxBg"))
    blit(cv, fd.image("m_pImageBuchu"), *fd.pt("LeftPass"))
    blit(cv, fd.image("m_pImageViewBox1"), *fd.pt("MeBoxBg"))
    blit(cv, fd.image("m_pImageBuchu"), *fd.pt("MePass"))
    clock(cv, fd, 2, 7)
    auto = fd.image("m_AniAutoPlay")
    blit(cv, cell(auto, 0, 3), *fd.pt("RightAutoAndAlart"), 0.5, 0.5)
    alarm = fd.image("m_AniAlart")
    blit(cv, cell(alarm, 0, 4), *fd.pt("LeftAutoAndAlart"), 0.5, 0.5)
    top_panel(cv, fd, 128, 6)
    for key, stem in (("m_btAutoPlayOff", "BtAuto"), ("m_btSortCard", "BtSort"),
                      ("m_btTurn", "BtLast")):
        button(cv, fd, key, stem)
    cards.row(cv, HAND[:11], *fd.pt("MePlayerHandCard"), 1, 0, 40, 20, 1.0)
    C.save_png(cv.convert("RGB"), os.path.join(out, "mock_play.png"))


def mock_end(fd, out):
    cv, cards = table(fd, banker=1)
    cards.column(cv, [0x03, 0x13, 0x27, 0x2B, 0x3D], *fd.pt("RightPlayerHandCard"), 2, 1, 35,
                 0.55)
    cards.column(cv, [0x09, 0x4E], *fd.pt("LeftPlayerHandCard"), 0, 1, 35, 0.55)
    back = fd.image("Torvaly\\gameEnd\\end_win_ani.png").rotate(-20, resample=Image.BICUBIC)
    cx, cy = fd.pt("EndBgAni")
    blit(cv, back, cx - back.width // 2, cy - back.height // 2)
    blit(cv, fd.image("Torvaly\\gameEnd\\end_box.png"), *fd.pt("EndInfoBg"))
    win_box = fd.image("Torvaly\\gameEnd\\win_box_number.png")
    lost_box = fd.image("Torvaly\\gameEnd\\lost_box_number.png")
    rows = [("云中鹤", 4, 5, -2400), ("Player_Local", 8, 0, 4400), ("小桃红", 4, 2, -2000)]
    for r, (name, mult, left, gold) in enumerate(rows):
        text(cv, *fd.pt("EndPlayer%dName" % (r + 1)), name)
        draw_number(cv, win_box, *fd.pt("EndPersonalMultiple%d" % (r + 1)), mult, False)
        draw_number(cv, lost_box, *fd.pt("EndLeftCard%d" % (r + 1)), left, False)
        draw_number(cv, lost_box if gold < 0 else win_box, *fd.pt("EndGold%d" % (r + 1)), gold,
                    True)
    for stem, v in (("EndPublicMultiple", 8), ("EndBobmNum", 1), ("EndRocketNum", 1),
                    ("EndHaoSpring", 0), ("EndSpring", 0), ("EndFanSpring", 0)):
        draw_number(cv, win_box, *fd.pt(stem), v, False)
    blit(cv, fd.image("Torvaly\\gameEnd\\win_title.png"), *fd.pt("Title"))
    # The simple form's big numbers, drawn here too so their places can be judged.
    for stem, gold in (("EndBigLeftGold", -2000), ("EndBigMeGold", 4400),
                       ("EndBigRightGold", -2400)):
        strip = fd.image("Torvaly\\gameEnd\\%s_number.png" % ("lost" if gold < 0 else "win"))
        draw_number(cv, strip, *fd.pt(stem), gold, True)
    for key, stem in (("m_btChildStart", "BtReady"), ("m_pbtChangeTable", "BtChangeTable"),
                      ("m_pbtDetails", "BtDetails")):
        button(cv, fd, key, stem)
    C.save_png(cv.convert("RGB"), os.path.join(out, "mock_end.png"))


def mock_options(fd, out):
    cv, cards = table(fd, banker=None)
    blit(cv, fd.image("m_pWaitTip"), 1280 - 534, 720 - 155)
    ox, oy = 475, 170
    blit(cv, fd.image("m_pGameSetting"), ox, oy)
    d = ImageDraw.Draw(cv)
    # Stand-ins for the widgets the window places over its picture (positions in the window).
    for i, y in enumerate((67, 89, 111, 133, 155)):
        d.rectangle([ox + 30, oy + y, ox + 45, oy + y + 15], fill=(250, 250, 250, 255),
                    outline=(60, 60, 60, 255))
        if i in (0, 1, 4):
            d.line([ox + 33, oy + y + 8, ox + 37, oy + y + 12, ox + 43, oy + y + 3],
                   fill=(20, 20, 20, 255), width=2)
    d.rectangle([ox + 95, oy + 212, ox + 154, oy + 228], fill=(250, 250, 250, 255),
                outline=(60, 60, 60, 255))
    d.text((ox + 99, oy + 213), "29", font=C.font(13, C.FONT_REGULAR), fill=(0, 0, 0, 255))
    blit(cv, cell(fd.image("Torvaly\\gameOption\\buttonCancle.png"), 0, 4), ox + 177, oy + 250)
    blit(cv, cell(fd.image("Torvaly\\gameOption\\buttonOk.png"), 0, 4), ox + 77, oy + 250)
    C.save_png(cv.convert("RGB"), os.path.join(out, "mock_options.png"))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--data", default=os.path.join(here, "..", "..", "assets"),
                    help="folder that holds Torvaly/")
    ap.add_argument("--out", default=os.path.join(here, "..", "..", "build", "assets-preview"),
                    help="folder for the contact sheet")
    ap.add_argument("--mock-out", help="folder for the mock tables (default: --out)")
    args = ap.parse_args()
    fd = Folder(os.path.abspath(args.data))
    mocks = args.mock_out or args.out
    os.makedirs(args.out, exist_ok=True)
    os.makedirs(mocks, exist_ok=True)
    contact_sheet(fd, args.out)
    mock_table(fd, mocks)
    mock_play(fd, mocks)
    mock_end(fd, mocks)
    mock_options(fd, mocks)
    print("contact sheet in %s, mock tables in %s" % (os.path.abspath(args.out),
                                                      os.path.abspath(mocks)))


if __name__ == "__main__":
    main()
