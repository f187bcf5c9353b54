"""The resource folder: which file each resource key names, both ini files, and the writing of
every image and sound."""
import os

from . import audio as A
from . import buttons as B
from . import cards
from . import common as C
from . import effects as E
from . import layout as L
from . import panels as P
from . import portraits
from . import table as T

IMG = "Torvaly\\image\\"
SND = "Torvaly\\sound\\"

# Resource key -> file, in the order the view loads them.
RESOURCES = [
    ("m_ImageViewBack", IMG + "table\\table_back.png"),
    ("m_pImageViewBox0", IMG + "table\\mark_box_right.png"),
    ("m_pImageViewBox1", IMG + "table\\mark_box_me.png"),
    ("m_pImageViewBox2", IMG + "table\\mark_box_left.png"),
    ("m_pGoldBg", IMG + "table\\gold_plate.png"),
    ("m_pReady", IMG + "table\\mark_ready.png"),
    ("m_pImageBuchu", IMG + "table\\mark_pass.png"),
    ("m_pTimeNumber", IMG + "table\\clock_digits.png"),
    ("m_pPlayerLeftNumBg", IMG + "table\\count_badge.png"),
    ("m_pPlayerLeftNum", IMG + "table\\count_digits.png"),
    ("m_pImageNumBack", IMG + "table\\clock_back.png"),
    ("m_pTopView", IMG + "table\\top_panel.png"),
    ("m_pBeiShu", IMG + "table\\caption_multiple.png"),
    ("m_pBei", IMG + "table\\caption_times.png"),
    ("m_pNumber", IMG + "table\\panel_digits.png"),
    ("m_pFaceBg", IMG + "table\\portrait_frame.png"),
    ("m_pImageLandFace", IMG + "table\\banker_badge.png"),
    ("m_pWaitTip", IMG + "table\\wait_tip.png"),
    ("m_pImgLeftText", IMG + "table\\caption_deck.png"),
    ("m_btOutCard", IMG + "button\\play.png"),
    ("m_btAutoOutCard", IMG + "button\\hint.png"),
    ("m_btPassCard", IMG + "button\\pass.png"),
    ("m_btAutoPlayOn", IMG + "button\\auto_on.png"),
    ("m_btSortCard", IMG + "button\\sort.png"),
    ("m_btTurn", IMG + "button\\last_trick.png"),
    ("m_pbtDetails", IMG + "button\\details.png"),
    ("m_btAutoPlayOff", IMG + "button\\auto_off.png"),
    ("m_btChildStart", IMG + "button\\start.png"),
    ("m_pbtChangeTable", IMG + "button\\change_table.png"),
    ("m_pAniRocket", IMG + "effect\\rocket.png"),
    ("m_pAniRocket2", IMG + "effect\\rocket_burst.png"),
    ("m_pAniFlash", IMG + "effect\\bomb_flash.png"),
    ("m_AniAutoPlay", IMG + "effect\\auto_play.png"),
    ("m_AniAlart", IMG + "effect\\alarm.png"),
    ("m_pAniShunZi", IMG + "effect\\straight.png"),
    ("m_pAniLianDui", IMG + "effect\\pairs_run.png"),
    ("spring", IMG + "effect\\spring.png"),
    ("bigSpring", IMG + "effect\\spring_reverse.png"),
    ("haoSpring", IMG + "effect\\spring_grand.png"),
    ("sndClock", SND + "clock_tick.wav"),
    ("m_hSoundHit", SND + "card_select.wav"),
    ("sndBtn", SND + "click.wav"),
    ("sndAlarm", SND + "alarm.wav"),
    ("m_sndLiandui", SND + "pairs_run.wav"),
    ("m_sndBomb", SND + "bomb.wav"),
    ("out35", SND + "card_out.wav"),
    ("rocketSound", SND + "rocket.wav"),
    ("gamestartsound", SND + "game_start.wav"),
    ("MOST_CARD", SND + "most_card.wav"),
    ("Pass_Boy", SND + "pass_boy.wav"),
    ("Pass_Girl", SND + "pass_girl.wav"),
    ("GoodEnd", SND + "win.wav"),
    ("Cheer", SND + "cheer.wav"),
    ("BadEnd", SND + "loss.wav"),
    ("sndDispatch", SND + "deal.wav"),
    ("sndManStart", SND + "start_man.wav"),
    ("sndWomanStart", SND + "start_woman.wav"),
    ("m_pPokerMiddle", IMG + "card\\cards.png"),
    ("m_pGameSetting", "Torvaly\\gameOption\\setting_back.png"),
]


def _images():
    """Resource file (backslash name) -> image maker."""
    springs = {}

    def spring(name):
        def make():
            if not springs:
                springs.update(E.springs())
            return springs[name]
        return make

    return {
        "m_ImageViewBack": T.background,
        "m_pImageViewBox0": lambda: T.mark_box(0),
        "m_pImageViewBox1": lambda: T.mark_box(1),
        "m_pImageViewBox2": lambda: T.mark_box(2),
        "m_pGoldBg": T.gold_plate,
        "m_pReady": T.ready_mark,
        "m_pImageBuchu": T.pass_mark,
        "m_pTimeNumber": T.clock_digits,
        "m_pPlayerLeftNumBg": T.count_badge,
        "m_pPlayerLeftNum": T.count_digits,
        "m_pImageNumBack": T.clock_back,
        "m_pTopView": T.top_panel,
        "m_pBeiShu": lambda: T.caption("倍数", L.BEISHU_W),
        "m_pBei": lambda: T.caption("倍", L.BEI_W),
        "m_pNumber": T.number_strip,
        "m_pFaceBg": T.portrait_frame,
        "m_pImageLandFace": T.banker_overlay,
        "m_pWaitTip": T.wait_tip,
        "m_pImgLeftText": lambda: T.caption("剩余", L.LEFTTXT_W),
        "m_btOutCard": lambda: B.big("出牌", "orange"),
        "m_btAutoOutCard": lambda: B.big("提示", "green"),
        "m_btPassCard": lambda: B.big("不出", "blue"),
        "m_btAutoPlayOn": lambda: B.small("托管", "brown"),
        "m_btSortCard": lambda: B.small("理牌", "brown"),
        "m_btTurn": lambda: B.small("上轮", "brown"),
        "m_pbtDetails": lambda: B.small("详情", "brown"),
        "m_btAutoPlayOff": lambda: B.small("取消托管", "red"),
        "m_btChildStart": lambda: B.big("开始", "orange"),
        "m_pbtChangeTable": lambda: B.big("换桌", "blue"),
        "m_pAniRocket": E.rocket,
        "m_pAniRocket2": E.rocket_burst,
        "m_pAniFlash": E.bomb_flash,
        "m_AniAutoPlay": E.auto_play,
        "m_AniAlart": E.alarm,
        "m_pAniShunZi": E.straight,
        "m_pAniLianDui": E.pairs_run,
        "spring": spring("spring"),
        "bigSpring": spring("bigSpring"),
        "haoSpring": spring("haoSpring"),
        "m_pPokerMiddle": cards.card_sheet,
        "m_pGameSetting": P.option_window,
    }


# Files the program opens by fixed name.
FIXED_IMAGES = {
    "Torvaly\\gameEnd\\end_box.png": P.end_box,
    "Torvaly\\gameEnd\\end_win_ani.png": lambda: P.end_backdrop(True),
    "Torvaly\\gameEnd\\end_lost_ani.png": lambda: P.end_backdrop(False),
    "Torvaly\\gameEnd\\win_number.png": lambda: P.big_digits(True),
    "Torvaly\\gameEnd\\lost_number.png": lambda: P.big_digits(False),
    "Torvaly\\gameEnd\\win_box_number.png": lambda: P.box_digits(True),
    "Torvaly\\gameEnd\\lost_box_number.png": lambda: P.box_digits(False),
    "Torvaly\\gameEnd\\win_title.png": lambda: P.end_title(True),
    "Torvaly\\gameEnd\\lost_title.png": lambda: P.end_title(False),
    "Torvaly\\gameOption\\buttonOk.png": lambda: B.option("确定", "orange"),
    "Torvaly\\gameOption\\buttonCancle.png": lambda: B.option("取消", "blue"),
    # The frame's icon buttons (not resource keys: the frame opens them by name).
    "Torvaly\\frame\\options.png": B.options_icon,
    "Torvaly\\frame\\sound_on.png": lambda: B.sound_icon(True),
    "Torvaly\\frame\\sound_off.png": lambda: B.sound_icon(False),
}


def local(root, name):
    return os.path.join(root, *name.split("\\"))


def write_ini(path, section, pairs):
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("[%s]\n" % section)
        for k, v in pairs:
            f.write("%s=%s\n" % (k, v))


def coordinate_pairs():
    t, e = L.table_coordinates(), L.end_coordinates()
    out = []
    for k in L.TABLE_KEY_ORDER:
        out += [(k + "X", t[k][0]), (k + "Y", t[k][1])]
    for k in L.END_KEY_ORDER:
        out += [(k + "X", e[k][0]), (k + "Y", e[k][1])]
    return out


def write_all(root, log=print):
    """root is the folder that holds Torvaly/."""
    write_ini(local(root, "Torvaly\\ResourcePath.ini"), "Resource", RESOURCES)
    write_ini(local(root, "Torvaly\\qzt.ini"), "GAME_COORDINATE", coordinate_pairs())
    makers = _images()
    files = dict(RESOURCES)
    for key, make in makers.items():
        C.save_png(make(), local(root, files[key]))
        log("image " + files[key])
    for name, make in FIXED_IMAGES.items():
        C.save_png(make(), local(root, name))
        log("image " + name)
    for folder, img in portraits.portraits():
        name = "Torvaly\\people\\%s\\10.png" % folder
        C.save_png(img, local(root, name))
        log("image " + name)
    snd = os.path.join(root, "Torvaly", "sound")
    for name, make in A.EFFECTS.items():
        A.write_wav(os.path.join(snd, name), A.finish(make()))
        log("sound " + name)
    for name, text, who in A.voice_lines():
        A.write_wav(os.path.join(snd, name), A.finish(A.speak(text, who)))
        log("voice " + name)
    for name, make in A.SONGS.items():
        x = A.render_song(make)
        A.write_wav(os.path.join(snd, name), x)
        jump, step = A.loop_jump(x)
        log("music %s %.1f s, loop jump %.4f (largest step %.4f)" % (name, len(x) / A.SR, jump,
                                                                     step))
