"""Every sound of the table: effects synthesised with numpy, voices spoken by espeak-ng
(Mandarin, male and female), two background tracks rendered by fluidsynth from MIDI written
here. All files: WAV, 16-bit PCM, one sample rate, trimmed, one loudness, no clipping."""
import os
import struct
import subprocess
import tempfile
import wave

import numpy as np

SR = 32000
PEAK_CEILING = 10 ** (-1.0 / 20)     # -1 dBFS
TARGET_LOUDNESS_DB = -18.0           # gated RMS of every effect and voice
MUSIC_BED_DB = -8.0                  # the music sits this far under them, so voices carry
SOUNDFONT = "/usr/share/sounds/sf2/FluidR3_GM.sf2"


# ---------------------------------------------------------------------------------------------
# Levels

def gated_loudness_db(x):
    """Mean power of the 50 ms windows that are not near-silent (gate: -50 dBFS absolute and
    20 dB under the loudest window), in dBFS; mono or stereo."""
    if x.ndim == 2:
        x = x.mean(axis=1)
    n = int(SR * 0.05)
    if len(x) < n:
        x = np.pad(x, (0, n - len(x)))
    k = len(x) // n
    w = x[: k * n].reshape(k, n)
    p = (w ** 2).mean(axis=1) + 1e-20
    db = 10 * np.log10(p)
    keep = (db > -50) & (db > db.max() - 20)
    return 10 * np.log10(p[keep].mean())


def normalise(x, target_db=TARGET_LOUDNESS_DB):
    """Gain to the common loudness (or to target_db); peaks above the ceiling are tamed with a soft knee first,
    and whatever still sticks out is brought under the ceiling by a lower gain."""
    g = 10 ** ((target_db - gated_loudness_db(x)) / 20)
    y = x * g
    knee = 0.7
    over = np.abs(y) > knee
    if over.any():
        s = np.sign(y)
        a = np.abs(y)
        y = np.where(over, s * (knee + (1 - knee) * np.tanh((a - knee) / (1 - knee))), y)
    peak = np.abs(y).max()
    if peak > PEAK_CEILING:
        y = y * (PEAK_CEILING / peak)
    return y


def trim(x, threshold_db=-48.0, keep_ms=8):
    """Cuts leading and trailing near-silence (keeping a few ms) and fades the cut edges."""
    mono = x if x.ndim == 1 else x.mean(axis=1)
    thr = 10 ** (threshold_db / 20) * max(1e-9, np.abs(mono).max())
    idx = np.nonzero(np.abs(mono) > thr)[0]
    if len(idx) == 0:
        return x
    keep = int(SR * keep_ms / 1000)
    a, b = max(0, idx[0] - keep), min(len(x), idx[-1] + keep)
    y = x[a:b].copy()
    fi, fo = int(SR * 0.003), int(SR * 0.012)
    ramp_in = np.linspace(0, 1, fi)
    ramp_out = np.linspace(1, 0, fo)
    if y.ndim == 2:
        ramp_in, ramp_out = ramp_in[:, None], ramp_out[:, None]
    y[:fi] *= ramp_in
    y[-fo:] *= ramp_out
    return y


def write_wav(path, x):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    ch = 1 if x.ndim == 1 else x.shape[1]
    pcm = np.clip(np.rint(x * 32767.0), -32767, 32767).astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(ch)
        w.setsampwidth(2)
        w.setframerate(SR)
        w.writeframes(pcm.tobytes())


def finish(x, trim_it=True):
    if trim_it:
        x = trim(x)
    return normalise(x)


# ---------------------------------------------------------------------------------------------
# Building blocks

def t_axis(sec):
    return np.arange(int(SR * sec)) / SR


def env_exp(sec, decay, attack=0.002):
    t = t_axis(sec)
    e = np.exp(-t / decay)
    a = int(SR * attack)
    if a > 0:
        e[:a] *= np.linspace(0, 1, a)
    return e


def noise(sec, seed):
    return np.random.default_rng(seed).standard_normal(int(SR * sec))


def one_pole_lp(x, fc):
    a = np.exp(-2 * np.pi * fc / SR)
    y = np.empty_like(x)
    acc = 0.0
    for i in range(len(x)):
        acc = (1 - a) * x[i] + a * acc
        y[i] = acc
    return y


def biquad(x, kind, f0, q=0.707):
    w0 = 2 * np.pi * f0 / SR
    alpha = np.sin(w0) / (2 * q)
    cw = np.cos(w0)
    if kind == "lp":
        b = [(1 - cw) / 2, 1 - cw, (1 - cw) / 2]
    elif kind == "hp":
        b = [(1 + cw) / 2, -(1 + cw), (1 + cw) / 2]
    else:  # band pass, 0 dB peak
        b = [alpha, 0.0, -alpha]
    a = [1 + alpha, -2 * cw, 1 - alpha]
    b = [v / a[0] for v in b]
    a = [1.0, a[1] / a[0], a[2] / a[0]]
    y = np.zeros_like(x)
    x1 = x2 = y1 = y2 = 0.0
    for i in range(len(x)):
        v = b[0] * x[i] + b[1] * x1 + b[2] * x2 - a[1] * y1 - a[2] * y2
        x2, x1 = x1, x[i]
        y2, y1 = y1, v
        y[i] = v
    return y


def tone(freq, sec, decay, partials=((1, 1.0),), attack=0.003):
    t = t_axis(sec)
    out = np.zeros_like(t)
    for mult, amp in partials:
        out += amp * np.sin(2 * np.pi * freq * mult * t)
    return out * env_exp(sec, decay, attack)


def bell(freq, sec, decay=0.5):
    return tone(freq, sec, decay, ((1, 1.0), (2.0, 0.45), (3.01, 0.25), (4.2, 0.12), (5.4, 0.06)))


def mix(length_sec, *parts):
    """parts: (start seconds, signal, gain)."""
    out = np.zeros(int(SR * length_sec))
    for start, sig, gain in parts:
        a = int(SR * start)
        b = min(len(out), a + len(sig))
        out[a:b] += gain * sig[: b - a]
    return out


def midi_hz(n):
    return 440.0 * 2 ** ((n - 69) / 12)


# ---------------------------------------------------------------------------------------------
# Effects

def fx_click():
    n = biquad(noise(0.04, 1), "bp", 3200, 2.0) * env_exp(0.04, 0.006, 0.0005)
    return n + 0.6 * tone(1900, 0.04, 0.01)


def fx_hit():
    n = biquad(noise(0.06, 2), "bp", 1500, 3.0) * env_exp(0.06, 0.01, 0.0005)
    return n + 0.8 * tone(880, 0.06, 0.015, ((1, 1), (2.7, 0.4)))


def fx_card_slap():
    n = biquad(noise(0.16, 3), "bp", 1800, 0.8) * env_exp(0.16, 0.025, 0.0008)
    thump = tone(140, 0.16, 0.03)
    return n + 0.5 * thump


def fx_deal():
    sec = 0.11
    n = noise(sec, 4)
    t = t_axis(sec)
    e = np.sin(np.pi * np.clip(t / sec, 0, 1)) ** 2
    return biquad(n, "bp", 4200, 1.2) * e + 0.3 * fx_card_slap()[: len(n)] * np.linspace(0, 1,
                                                                                    len(n)) ** 4


def fx_clock_tick():
    a = tone(2600, 0.07, 0.008, ((1, 1), (1.5, 0.5), (2.3, 0.3)), 0.0005)
    a += 0.5 * biquad(noise(0.07, 5), "bp", 5000, 4) * env_exp(0.07, 0.004, 0.0003)
    return a


def fx_alarm():
    parts = []
    for k in range(3):
        f = 1320 if k % 2 == 0 else 990
        sig = tone(f, 0.16, 1.0, ((1, 1), (3, 0.3), (5, 0.12)), 0.004)
        sig *= np.concatenate([np.ones(len(sig) - 400), np.linspace(1, 0, 400)])
        parts.append((k * 0.19, sig, 1.0))
    return mix(0.6, *parts)


def fx_bomb():
    sec = 1.6
    t = t_axis(sec)
    boom = np.sin(2 * np.pi * np.cumsum(40 + 110 * np.exp(-t / 0.12)) / SR) * env_exp(sec, 0.35,
                                                                                          0.002)
    rumble = one_pole_lp(noise(sec, 6), 500) * env_exp(sec, 0.45, 0.001) * 4
    crack = biquad(noise(sec, 7), "hp", 1500) * env_exp(sec, 0.05, 0.0005)
    return boom * 1.0 + rumble * 0.9 + crack * 0.5


def fx_rocket():
    sec = 1.0
    t = t_axis(sec)
    n = noise(sec, 8)
    sweep = np.zeros_like(n)
    # A whoosh that climbs: band-pass centre rising in short blocks.
    blk = 400
    for i in range(0, len(n), blk):
        fc = 300 + 2600 * (i / len(n)) ** 1.5
        seg = biquad(n[max(0, i - 800): i + blk], "bp", fc, 1.5)
        sweep[i: i + blk] = seg[-len(n[i: i + blk]):]
    whoosh = sweep * (0.3 + 0.7 * np.clip(t / 0.8, 0, 1) ** 1.5)
    bang = fx_bomb()[: int(SR * 1.0)] * 0.8
    crackle = np.zeros(int(SR * 1.2))
    rng = np.random.default_rng(9)
    for _ in range(40):
        p = rng.integers(0, len(crackle) - 800)
        crackle[p: p + 800] += biquad(rng.standard_normal(800), "hp", 2500) * \
            np.exp(-np.arange(800) / 120) * rng.uniform(0.3, 1.0)
    return mix(2.4, (0, whoosh, 1.0), (0.95, bang, 1.0), (1.15, crackle, 0.5))


def arpeggio(notes, step, tail, decay=0.45, gain=1.0):
    parts = [(i * step, bell(midi_hz(n), tail, decay), gain) for i, n in enumerate(notes)]
    return mix(step * len(notes) + tail, *parts)


def fx_pairs():
    return arpeggio([72, 76, 79, 84, 88], 0.07, 0.6, 0.25)


def fx_straight():
    sec = 0.5
    n = noise(sec, 10)
    t = t_axis(sec)
    swoosh = biquad(n, "bp", 2500, 0.9) * np.sin(np.pi * t / sec) ** 2
    return mix(1.1, (0, swoosh, 0.6), (0.12, arpeggio([67, 69, 72, 74, 76, 79], 0.06, 0.5, 0.2),
                                        0.8))


def fx_game_start():
    sec = 2.2
    t = t_axis(sec)
    # Gong: low inharmonic partials with a slow shimmer.
    gong = np.zeros_like(t)
    for f, a, d in ((110, 1.0, 1.2), (163, 0.6, 0.9), (231, 0.45, 0.7), (317, 0.3, 0.5),
                    (452, 0.2, 0.4)):
        gong += a * np.sin(2 * np.pi * f * t * (1 + 0.002 * np.sin(2 * np.pi * 3 * t))) * \
            np.exp(-t / d)
    gong *= np.clip(t / 0.01, 0, 1)
    return mix(sec, (0, gong, 0.7), (0.05, arpeggio([62, 66, 69, 74], 0.09, 1.0, 0.4), 0.6))


def fx_most_card():
    return arpeggio([79, 84, 91], 0.09, 0.7, 0.35)


def brass(freq, sec, gain=1.0):
    t = t_axis(sec)
    sig = np.zeros_like(t)
    for k in range(1, 9):
        sig += np.sin(2 * np.pi * freq * k * t) / k ** 1.2
    e = np.clip(t / 0.03, 0, 1) * np.exp(-t / (sec * 0.9))
    return sig * e * gain


def fx_win():
    notes = [(0.0, 67, 0.18), (0.18, 71, 0.18), (0.36, 74, 0.18), (0.54, 79, 0.8)]
    parts = [(s, brass(midi_hz(n), d + 0.15, 0.5), 1.0) for s, n, d in notes]
    parts += [(s, bell(midi_hz(n + 12), 0.9, 0.35), 0.5) for s, n, d in notes]
    parts.append((0.54, brass(midi_hz(74), 0.95, 0.35), 1.0))
    parts.append((0.54, brass(midi_hz(71), 0.95, 0.35), 1.0))
    return mix(1.8, *parts)


def fx_loss():
    notes = [(0.0, 72, 0.3), (0.3, 70, 0.3), (0.6, 67, 0.3), (0.9, 63, 1.0)]
    parts = [(s, brass(midi_hz(n), d + 0.2, 0.45), 1.0) for s, n, d in notes]
    return biquad(mix(2.2, *parts), "lp", 2200)


def fx_applause(sec, seed):
    rng = np.random.default_rng(seed)
    out = np.zeros(int(SR * sec))
    claps = int(sec * 90)
    for _ in range(claps):
        p = rng.integers(0, len(out) - 1200)
        c = biquad(rng.standard_normal(1200), "bp", rng.uniform(900, 2400), 1.2)
        out[p: p + 1200] += c * np.exp(-np.arange(1200) / rng.uniform(60, 140)) * \
            rng.uniform(0.3, 1.0)
    t = t_axis(sec)
    return out * np.clip(t / 0.15, 0, 1) * np.clip((sec - t) / 0.8, 0, 1)


# ---------------------------------------------------------------------------------------------
# Speech

MALE = ("cmn-latn-pinyin+m3", 42, 145)
FEMALE = ("cmn-latn-pinyin+f2", 68, 150)


def speak(text, who, pitch=None, speed=None):
    voice, p, s = who
    with tempfile.TemporaryDirectory() as d:
        raw = os.path.join(d, "v.wav")
        subprocess.run(["espeak-ng", "-v", voice, "-p", str(pitch or p), "-s", str(speed or s),
                        "-a", "100", "-w", raw, text], check=True)
        out = subprocess.run(["sox", "-D", "-v", "0.5", raw, "-t", "raw", "-e", "floating-point", "-b", "32",
                              "-c", "1", "-r", str(SR), "-", "highpass", "90"],
                             check=True, stdout=subprocess.PIPE).stdout
    return np.frombuffer(out, dtype="<f4").astype(np.float64)


# How a player calls a card: A "尖", J "钩", Q "圈", K as the letter; the jokers by name.
RANK_WORDS = ["尖", "二", "三", "四", "五", "六", "七", "八", "九", "十", "钩", "圈", "K",
              "小王", "大王"]


def voice_lines():
    """(file name, text, gender) of every fixed voice and keyed voice."""
    lines = []
    for prefix, who in (("MALE", MALE), ("FEMALE", FEMALE)):
        for v in range(1, 16):
            lines.append(("%s_%d.wav" % (prefix, v), RANK_WORDS[v - 1], who))
        for v in range(1, 14):
            lines.append(("%s_DB_%d.wav" % (prefix, v), "对" + RANK_WORDS[v - 1], who))
        lines.append(("%s_LINE.wav" % prefix, "顺子", who))
        lines.append(("%s_DB_LINE.wav" % prefix, "连对", who))
    lines.append(("pass_boy.wav", "要不起", MALE))
    lines.append(("pass_girl.wav", "不要", FEMALE))
    lines.append(("start_man.wav", "准备好了", MALE))
    lines.append(("start_woman.wav", "准备好了", FEMALE))
    return lines


def fx_cheer():
    sec = 2.6
    crowd = []
    words = ["好", "耶", "好", "耶", "哇", "好"]
    for i, w in enumerate(words):
        who = MALE if i % 2 == 0 else FEMALE
        v = speak(w + "！", who, pitch=[40, 70, 55, 80, 35, 65][i], speed=150)
        v = trim(v)
        crowd.append((0.05 + 0.13 * i, v, 0.35))
    return mix(sec, (0, fx_applause(sec, 12), 0.9), *crowd)


EFFECTS = {
    "click.wav": fx_click,
    "card_select.wav": fx_hit,
    "card_out.wav": fx_card_slap,
    "deal.wav": fx_deal,
    "clock_tick.wav": fx_clock_tick,
    "alarm.wav": fx_alarm,
    "bomb.wav": fx_bomb,
    "rocket.wav": fx_rocket,
    "pairs_run.wav": fx_pairs,
    "shunzi.wav": fx_straight,
    "game_start.wav": fx_game_start,
    "most_card.wav": fx_most_card,
    "win.wav": fx_win,
    "loss.wav": fx_loss,
    "cheer.wav": fx_cheer,
}


# ---------------------------------------------------------------------------------------------
# Music: MIDI written here, rendered by fluidsynth, looped seamlessly.

def _vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.append((n & 0x7F) | 0x80)
        n >>= 7
    return bytes(reversed(out))


def midi_file(bpm, tracks, ppq=480):
    """tracks: list of (channel, program, events) with events (start beat, length beats, note,
    velocity). Channel 9 is percussion (program ignored)."""
    chunks = []
    tempo = int(60_000_000 / bpm)
    t0 = b"\x00\xff\x51\x03" + tempo.to_bytes(3, "big") + b"\x00\xff\x58\x04\x04\x02\x18\x08"
    t0 += b"\x00\xff\x2f\x00"
    chunks.append(t0)
    for ch, prog, events, extra in tracks:
        evs = []
        for st, ln, note, vel in events:
            a = int(round(st * ppq))
            b = int(round((st + ln) * ppq))
            evs.append((a, 1, bytes([0x90 | ch, note, vel])))
            evs.append((b, 0, bytes([0x80 | ch, note, 0])))
        evs.sort(key=lambda e: (e[0], e[1], e[2]))
        data = b""
        if ch != 9:
            data += b"\x00" + bytes([0xC0 | ch, prog])
        for cc, val in extra:
            data += b"\x00" + bytes([0xB0 | ch, cc, val])
        last = 0
        for tick, _, msg in evs:
            data += _vlq(tick - last) + msg
            last = tick
        data += b"\x00\xff\x2f\x00"
        chunks.append(data)
    head = b"MThd" + struct.pack(">IHHH", 6, 1, len(chunks), ppq)
    return head + b"".join(b"MTrk" + struct.pack(">I", len(c)) + c for c in chunks)


def _song_one():
    """Lively: D major pentatonic, koto lead with flute answers, plucked bass, light drums."""
    bpm, bars = 112, 16
    D = 62
    penta = [0, 2, 4, 7, 9]
    chords = [0, 9, 7, 4, 0, 9, 2, 7] * 2    # roots relative to D (I vi V IV ... )
    rng = np.random.default_rng(21)
    lead, flute, bass, pad, drums = [], [], [], [], []
    motif = [(0, 0.5), (0.5, 0.5), (1, 1), (2, 0.5), (2.5, 0.5), (3, 1)]
    for bar in range(bars):
        b0 = bar * 4
        root = chords[bar % len(chords)]
        # Lead: a motif walked over the pentatonic scale, varied by bar.
        base_deg = [0, 2, 3, 1, 0, 2, 4, 1][bar % 8]
        for k, (st, ln) in enumerate(motif):
            deg = (base_deg + [0, 1, 2, 1, 3, 2][k] + (bar // 8)) % 5
            octv = 12 if (deg + k) % 7 == 6 else 0
            note = D + 12 + penta[deg] + octv
            if bar % 4 == 3 and k >= 4:
                note = D + 12 + penta[[2, 0][k - 4]]
            lead.append((b0 + st, ln * 0.9, note, 92 if st % 1 == 0 else 78))
        # Flute answers on the second half of every other bar.
        if bar % 2 == 1:
            for st, deg in ((2, 4), (2.5, 3), (3, 2)):
                flute.append((b0 + st, 0.9 if st == 3 else 0.45, D + 24 + penta[deg] - 12, 70))
        # Bass: root and fifth.
        bass.append((b0, 1.5, D - 24 + root, 90))
        bass.append((b0 + 2, 1.0, D - 24 + root + 7, 80))
        bass.append((b0 + 3, 1.0, D - 24 + root + 12, 72))
        # Pad: soft strings holding the chord.
        for iv in (0, 4 if root in (0, 7, 2) else 3, 7):
            pad.append((b0, 3.95, D - 12 + root + iv, 48))
        # Drums: woodblock and a soft tom groove.
        for q in range(8):
            if q % 2 == 0:
                drums.append((b0 + q * 0.5, 0.2, 76 if q % 4 == 0 else 77, 70))
            elif rng.random() < 0.5:
                drums.append((b0 + q * 0.5, 0.2, 77, 45))
        drums.append((b0, 0.3, 45, 80))
        drums.append((b0 + 2.5, 0.3, 47, 60))
    tracks = [(0, 107, lead, [(7, 108), (91, 40)]), (1, 73, flute, [(7, 90), (91, 70)]),
              (2, 33, bass, [(7, 100)]), (3, 48, pad, [(7, 60), (91, 60)]),
              (9, 0, drums, [(7, 85)])]
    return bpm, bars, tracks


def _song_two():
    """Calm: A minor pentatonic, fiddle melody over koto arpeggios and a warm pad."""
    bpm, bars = 84, 12
    A = 57
    penta = [0, 3, 5, 7, 10]
    roots = [0, 5, 3, 7, 0, 8, 3, 7, 0, 5, 10, 7]
    melody_degrees = [
        [4, 3, 2, 3], [2, 1, 0, 1], [2, 3, 4, 2], [3, 2, 1, 1],
        [4, 4, 3, 2], [1, 2, 3, 4], [3, 2, 1, 0], [1, 2, 1, 0],
        [2, 3, 4, 3], [4, 3, 2, 1], [2, 1, 0, 1], [2, 1, 0, 0],
    ]
    lead, arp, pad, bass = [], [], [], []
    for bar in range(bars):
        b0 = bar * 4
        root = roots[bar]
        degs = melody_degrees[bar]
        for k, d in enumerate(degs):
            ln = 0.95 if k < 3 else 0.98
            lead.append((b0 + k, ln, A + 12 + penta[d], 80))
        for q in range(8):
            iv = [0, 7, 12, 15, 19, 15, 12, 7][q]
            arp.append((b0 + q * 0.5, 0.9, A - 12 + root + iv, 62))
        for iv in (0, 7, 12):
            pad.append((b0, 3.95, A - 12 + root + iv, 44))
        bass.append((b0, 3.9, A - 24 + root, 78))
    tracks = [(0, 110, lead, [(7, 100), (91, 60)]), (1, 107, arp, [(7, 95), (91, 50)]),
              (2, 89, pad, [(7, 70), (91, 80)]), (3, 32, bass, [(7, 95)])]
    return bpm, bars, tracks


SONGS = {"Back_1.wav": _song_one, "Back_2.wav": _song_two}


def render_song(make):
    bpm, bars, tracks = make()
    length = bars * 4 * 60.0 / bpm
    with tempfile.TemporaryDirectory() as d:
        mid = os.path.join(d, "song.mid")
        raw = os.path.join(d, "song.raw")
        with open(mid, "wb") as f:
            f.write(midi_file(bpm, tracks))
        subprocess.run(["fluidsynth", "-ni", "-q", "-g", "0.5", "-r", str(SR), "-O", "float",
                        "-T", "raw", "-E", "little", "-F", raw, SOUNDFONT, mid], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        data = np.fromfile(raw, dtype="<f4").astype(np.float64).reshape(-1, 2)
    n = int(round(length * SR))
    body = np.zeros((n, 2))
    m = min(n, len(data))
    body[:m] = data[:m]
    # What rings on past the loop point (reverb, long notes) is folded onto the start, so the
    # end flows into the beginning without a click when the track starts again.
    tail = data[n:]
    k = min(len(tail), n)
    body[:k] += tail[:k]
    return normalise(body, TARGET_LOUDNESS_DB + MUSIC_BED_DB)


def loop_jump(x):
    """How far the last sample is from the first, against the largest step inside the file."""
    m = x if x.ndim == 1 else x.mean(axis=1)
    return abs(m[-1] - m[0]), np.abs(np.diff(m)).max()
