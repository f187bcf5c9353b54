"""The table's layout on the 1280 x 720 design canvas: every coordinate key and the sizes of the
images drawn at them. The image makers and the mock table read their sizes from here, so the art
and the coordinate file always agree.

Position index: 0 right seat, 1 the local player (bottom), 2 left seat.
Anchors the program uses (see the card controls): hands 0/2 are columns, right/left edge and
vertical centre at the hand point; hand 1 is a row, horizontal centre and top edge; out rows are
anchored right/top, centre/top and left/top.
"""
CANVAS_W, CANVAS_H = 1280, 720

# Cards: one cell of the 13 x 5 sheet.
CARD_W, CARD_H = 100, 136
HAND_STEP, HAND_RAISE = 40, 20          # the local hand's spacing set by the layout pass
SIDE_SCALE, OUT_SCALE = 0.55, 0.6       # side hands and plays on the table
SIDE_STEP = 35                          # column step of the side hands (dealing, game end)
OUT_STEP = 29                           # out rows follow the card-spacing option

# Seat pieces.
FRAME_W, FRAME_H = 112, 108             # portrait frame; the side gold plate sits 112 below it
PORTRAIT_W, PORTRAIT_H = 108, 104       # drawn at frame + (4, 4), scaled 0.96 x 0.97
GOLD_W, GOLD_H = 112, 30                # gold plate; its text is drawn at (+10, +20) (baseline)
GOLD_TEXT_MIDDLE = 13                   # the game font's digits (18 px) stand on +20, 13 high
BOX_W, BOX_H = 132, 60                  # box behind the ready and pass marks
MARK_W, MARK_H = 112, 44                # ready and pass marks
CLOCK_W, CLOCK_H = 60, 64               # clock background
CLOCK_DIGIT_W, CLOCK_DIGIT_H = 18, 24   # a one-digit clock is drawn 9 px left of its point
CLOCK_FACE_CY = 35                      # centre of the dial inside the clock image
COUNT_W, COUNT_H = 48, 32               # card-count badge
COUNT_DIGIT_W, COUNT_DIGIT_H = 16, 24
ANIM_CELL = 80                          # auto-play and alarm frames (drawn at 0.5 or 0.7)

# Top panel.
TOP_W, TOP_H = 400, 56
TOP_X, TOP_Y = (CANVAS_W - TOP_W) // 2, 0
NUM_DIGIT_W, NUM_DIGIT_H = 20, 30       # the multiple and the deck count
CAPTION_H = 30
BEISHU_W, BEI_W, LEFTTXT_W = 60, 30, 60
ZHANG_X = TOP_X + 352                   # "张" printed on the panel after the deck count

# Buttons: one state is a quarter of the image.
BIG_BTN_W, BIG_BTN_H = 120, 46
SMALL_BTN_W, SMALL_BTN_H = 96, 38
OPT_BTN_W, OPT_BTN_H = 80, 32
# The frame's own round icon buttons (options, sound) in the table's top right corner; the
# frame places them (design points in platform/frame), the pictures are made here.
FRAME_ICON = 36

WAIT_TIP_W, WAIT_TIP_H = 340, 52
WAIT_TIP_X, WAIT_TIP_Y = 1280 - 534, 720 - 155   # fixed in the program

# Options window (its widgets are at fixed points relative to the window).
OPTION_W, OPTION_H = 330, 300
OPTION_X, OPTION_Y = 475, 170
OPTION_CHECK_ROWS = [67, 89, 111, 133, 155]
OPTION_CHECK_X = 30
OPTION_DROP = (95, 212, 60, 17)
OPTION_OK = (77, 250)
OPTION_CANCEL = (177, 250)

# Game-end panel.
END_BACK = 420                           # turning backdrop, square, drawn about its centre
END_TITLE_W, END_TITLE_H = 360, 110
END_BOX_W, END_BOX_H = 620, 240
BOX_DIGIT_W, BOX_DIGIT_H = 16, 22        # box digit strips (11 cells)
BIG_DIGIT_W, BIG_DIGIT_H = 36, 48        # big gold strips (11 cells)

_SEAT = ["Right", "Me", "Left"]

# Portrait frames; everything of a seat hangs off these.
FRAME = {0: (1144, 170), 1: (24, 440), 2: (24, 170)}
HAND = {0: (1128, 224), 1: (CANVAS_W // 2, CANVAS_H - (CARD_H + HAND_RAISE) - 16), 2: (152, 224)}
OUT = {0: (1040, 196), 1: (CANVAS_W // 2, 376), 2: (240, 196)}
CLOCK = {0: (1066, 108), 1: (372, 480), 2: (154, 108)}
AUTO = {0: (1124, 236), 1: (108, 446), 2: (116, 236)}


BOX_ABOVE_ROW = 8                       # gap between a side seat's box and its play row


def _box_for(i):
    """The box of the ready and pass marks. A side seat's box sits just above its play row: at
    the end of a game the bots are ready at once while their last plays still lie on the table,
    and a row (a widget) would hide a box on it. The local box lies on its row, which is always
    empty while the local seat passes or waits, ready, for the next game."""
    ox, oy = OUT[i]
    y = oy - BOX_ABOVE_ROW - BOX_H
    if i == 0:
        return (ox - BOX_W, y)
    if i == 2:
        return (ox, y)
    return (ox - BOX_W // 2, oy + 10)


def _side_card_centre(i):
    hx, hy = HAND[i]
    w = int(CARD_W * SIDE_SCALE)
    return (hx - w // 2, hy) if i == 0 else (hx + w // 2, hy)


def table_coordinates():
    """The 110 keys of the table, in the order the program reads them."""
    c = {}
    c["Bg"] = (0, 0)
    for i, s in enumerate(_SEAT):
        c[s + "PlayerBg"] = FRAME[i]
    for i, s in enumerate(_SEAT):
        fx, fy = FRAME[i]
        c[s + "Player"] = (fx + 4, fy + 4)
    for i, s in enumerate(_SEAT):
        fx, fy = FRAME[i]
        c[s + "PlayerName"] = (fx + 4, fy - 10)
    fx, fy = FRAME[1]
    c["MePlayerGoldBg"] = (fx, fy + FRAME_H + 4)
    c["MePlayerGold"] = (fx + 10, fy + FRAME_H + 4 + 20)
    c["BeishuBg"] = (TOP_X, TOP_Y)
    cy = TOP_Y + (TOP_H - CAPTION_H) // 2 - 1
    c["BeishuTxt"] = (TOP_X + 30, cy)
    # Ones digit here, higher digits step left (room for three digits after the caption).
    c["BeishuNum"] = (TOP_X + 30 + BEISHU_W + 4 + 2 * NUM_DIGIT_W, cy)
    c["BeiTxt"] = (c["BeishuNum"][0] + NUM_DIGIT_W + 4, cy)
    c["LeftCountTxt"] = (TOP_X + 224, cy)
    c["LeftCount"] = (TOP_X + 224 + LEFTTXT_W + 32, cy + CAPTION_H // 2)
    for i, s in enumerate(_SEAT):
        c[s + "BoxBg"] = _box_for(i)
    for key in ("Ready", "Pass"):
        for i, s in enumerate(_SEAT):
            bx, by = _box_for(i)
            c[s + key] = (bx + (BOX_W - MARK_W) // 2, by + (BOX_H - MARK_H) // 2)
    for i, s in enumerate(_SEAT):
        c[s + "PlayerHandCard"] = HAND[i]
    for i, s in enumerate(_SEAT):
        c[s + "PlayerOutCard"] = OUT[i]
    for i in (0, 2):
        x, y = _side_card_centre(i)
        c[_SEAT[i] + "PlayerLeftCardBg"] = (x - COUNT_W // 2, y - COUNT_H // 2)
    for i in (0, 2):
        c[_SEAT[i] + "PlayerLeftCard"] = _side_card_centre(i)
    by = 490
    c["BtChangeTable"] = (CANVAS_W // 2 + 12, by)
    c["BtReady"] = (CANVAS_W // 2 - 12 - BIG_BTN_W, by)
    c["BtPass"] = (CANVAS_W // 2 - BIG_BTN_W // 2 - 16 - BIG_BTN_W, by)
    c["BtTip"] = (CANVAS_W // 2 - BIG_BTN_W // 2, by)
    c["BtOutCard"] = (CANVAS_W // 2 + BIG_BTN_W // 2 + 16, by)
    ux = CANVAS_W - SMALL_BTN_W - 30  # clear of the wooden rim (its inner edge at x 1258)
    c["BtDetails"] = (ux, 516)
    c["BtAuto"] = (ux, 560)
    c["BtSort"] = (ux, 604)
    c["BtLast"] = (ux, 648)
    for i, s in enumerate(_SEAT):
        c[s + "PlayerTimeBg"] = CLOCK[i]
    for i, s in enumerate(_SEAT):
        x, y = CLOCK[i]
        c[s + "PlayerTimeNum"] = (x + CLOCK_W // 2, y + CLOCK_FACE_CY - CLOCK_DIGIT_H // 2)
    for i, s in enumerate(_SEAT):
        c[s + "AutoAndAlart"] = AUTO[i]
    return c


TABLE_KEY_ORDER = [
    "Bg", "RightPlayerBg", "MePlayerBg", "LeftPlayerBg", "RightPlayer", "MePlayer", "LeftPlayer",
    "RightPlayerName", "MePlayerName", "LeftPlayerName", "MePlayerGoldBg", "MePlayerGold",
    "BeishuBg", "BeishuTxt", "BeishuNum", "BeiTxt", "LeftCountTxt", "LeftCount",
    "RightBoxBg", "MeBoxBg", "LeftBoxBg", "RightReady", "MeReady", "LeftReady",
    "RightPass", "MePass", "LeftPass", "RightPlayerHandCard", "MePlayerHandCard",
    "LeftPlayerHandCard", "RightPlayerOutCard", "MePlayerOutCard", "LeftPlayerOutCard",
    "RightPlayerLeftCardBg", "LeftPlayerLeftCardBg", "RightPlayerLeftCard", "LeftPlayerLeftCard",
    "BtChangeTable", "BtReady", "BtPass", "BtTip", "BtOutCard", "BtDetails", "BtAuto", "BtSort",
    "BtLast", "RightPlayerTimeBg", "MePlayerTimeBg", "LeftPlayerTimeBg", "RightPlayerTimeNum",
    "MePlayerTimeNum", "LeftPlayerTimeNum", "RightAutoAndAlart", "MeAutoAndAlart",
    "LeftAutoAndAlart",
]

# The game-end panel (panel origin 0, 0: its points are canvas points).
END_BACK_CENTRE = (640, 186)
END_TITLE = (640 - END_TITLE_W // 2, 130)
END_BOX = (640 - END_BOX_W // 2, 250)
# Inside the box: column centres and row baselines / digit tops.
END_COL_NAME_X = 36
END_COL_MULT_CX, END_COL_LEFT_CX, END_COL_GOLD_CX = 318, 420, 536
END_HEAD_Y = 12
END_ROW_BASE = [76, 112, 148]           # name baselines (the game font, 18 px)
END_PUBLIC_ROWS = [176, 208]            # digit tops of the two lines of public figures
END_PUBLIC_LABEL_X = [32, 232, 432]     # label left edges; the value is centred 126 px further
END_PUBLIC_VALUE_DX = 132
# The simple form's counting numbers (centres). At the end of a game the table still shows the
# side seats' last plays (out rows from y 196, 0.6 x 136 = 82 high) with the bots' ready marks
# above them, the side hands laid open in their columns and, for 2.5 s, the local seat's last
# play (from y 376); those are widgets or drawn before the panel, so a number under them is
# lost. The side numbers sit below the side rows, the local one under the title, above the
# local row.
END_BIG_CENTRES = {"Right": (945, 322), "Me": (640, 272), "Left": (335, 322)}


def _number_key(centre_x):
    # A number drawn at x is centred on x + one digit width.
    return centre_x - BOX_DIGIT_W


def end_coordinates():
    c = {}
    c["EndBgAni"] = END_BACK_CENTRE
    c["Title"] = END_TITLE
    bx, by = END_BOX
    c["EndInfoBg"] = END_BOX
    for r in range(3):
        c["EndPlayer%dName" % (r + 1)] = (bx + END_COL_NAME_X, by + END_ROW_BASE[r])
    for r in range(3):
        top = by + END_ROW_BASE[r] - 18
        c["EndPersonalMultiple%d" % (r + 1)] = (bx + _number_key(END_COL_MULT_CX), top)
    for r in range(3):
        top = by + END_ROW_BASE[r] - 18
        c["EndLeftCard%d" % (r + 1)] = (bx + _number_key(END_COL_LEFT_CX), top)
    for r in range(3):
        top = by + END_ROW_BASE[r] - 18
        c["EndGold%d" % (r + 1)] = (bx + _number_key(END_COL_GOLD_CX), top)

    def pub(line, col):
        return (bx + _number_key(END_PUBLIC_LABEL_X[col] + END_PUBLIC_VALUE_DX),
                by + END_PUBLIC_ROWS[line])
    c["EndPublicMultiple"] = pub(0, 0)
    c["EndBobmNum"] = pub(0, 1)
    c["EndRocketNum"] = pub(0, 2)
    c["EndSpring"] = pub(1, 0)
    c["EndFanSpring"] = pub(1, 1)
    c["EndHaoSpring"] = pub(1, 2)
    for s in ("Right", "Me", "Left"):
        cx, cy = END_BIG_CENTRES[s]
        c["EndBig%sGold" % s] = (cx - BIG_DIGIT_W, cy - BIG_DIGIT_H // 2)
    return c


END_KEY_ORDER = [
    "EndBgAni", "Title", "EndInfoBg", "EndPlayer1Name", "EndPlayer2Name", "EndPlayer3Name",
    "EndPersonalMultiple1", "EndPersonalMultiple2", "EndPersonalMultiple3", "EndLeftCard1",
    "EndLeftCard2", "EndLeftCard3", "EndGold1", "EndGold2", "EndGold3", "EndPublicMultiple",
    "EndBobmNum", "EndRocketNum", "EndHaoSpring", "EndSpring", "EndFanSpring", "EndBigRightGold",
    "EndBigMeGold", "EndBigLeftGold",
]
