"""The program's icon: three fanned cards (the card back, a spade and a heart) on a rounded
green felt square. Written as SVG by hand, so the scalable icon is the source and every PNG
size is rendered from it by librsvg: the sizes cannot drift apart."""
import os

import cairo
import gi

gi.require_version("Rsvg", "2.0")
from gi.repository import Rsvg  # noqa: E402

from . import common as C  # noqa: E402

SIZES = (48, 64, 128, 256, 512)
NAME = "torvaly"

# A spade and a heart in a 100 x 100 box, drawn from curves (no font, so no font can change
# the picture).
SPADE = ("M50 6 C38 26 10 40 10 62 C10 78 28 86 44 74 C42 84 38 92 30 96 L70 96 "
         "C62 92 58 84 56 74 C72 86 90 78 90 62 C90 40 62 26 50 6 Z")
HEART = ("M50 92 C38 78 8 60 8 36 C8 20 20 10 32 10 C42 10 48 16 50 24 C52 16 58 10 68 10 "
         "C80 10 92 20 92 36 C92 60 62 78 50 92 Z")


def _card(angle, inner):
    """One card, 150 x 210, turned by angle degrees about the bottom centre of the icon."""
    return ('<g transform="rotate(%d 256 470)">'
            '<rect x="181" y="120" width="150" height="210" rx="16" fill="#fbf7ea" '
            'stroke="#3a2a10" stroke-width="5"/>%s</g>' % (angle, inner))


def svg_text():
    back = ('<rect x="195" y="134" width="122" height="182" rx="9" fill="#8c1d1d"/>'
            '<path d="M256 150 L301 225 L256 300 L211 225 Z" fill="none" stroke="#e9c35a" '
            'stroke-width="6"/>')
    spade = ('<g transform="translate(206 170) scale(1.0)"><path d="%s" fill="#1b1b1b"/></g>'
             % SPADE)
    heart = ('<g transform="translate(206 170) scale(1.0)"><path d="%s" fill="#c8201e"/></g>'
             % HEART)
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="512" height="512" '
            'viewBox="0 0 512 512">\n'
            '<defs><radialGradient id="felt" cx="50%" cy="40%" r="70%">'
            '<stop offset="0" stop-color="#2f8a4c"/><stop offset="1" stop-color="#0f4524"/>'
            '</radialGradient></defs>\n'
            '<rect x="16" y="16" width="480" height="480" rx="92" fill="url(#felt)" '
            'stroke="#c99a2e" stroke-width="14"/>\n'
            + _card(-24, back) + "\n" + _card(0, spade) + "\n" + _card(24, heart) + "\n"
            '</svg>\n')


def render_png(svg, size):
    handle = Rsvg.Handle.new_from_data(svg.encode("utf-8"))
    s = cairo.ImageSurface(cairo.FORMAT_ARGB32, size, size)
    cr = cairo.Context(s)
    vp = Rsvg.Rectangle()
    vp.x, vp.y, vp.width, vp.height = 0, 0, size, size
    handle.render_document(cr, vp)
    return C.to_pil(s)


def write_icons(out, log=print):
    """out receives scalable/apps/torvaly.svg and <N>x<N>/apps/torvaly.png for every size: the
    hicolor theme's own layout, installed as it is."""
    svg = svg_text()
    path = os.path.join(out, "scalable", "apps", NAME + ".svg")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(svg)
    log("icon " + path)
    for size in SIZES:
        path = os.path.join(out, "%dx%d" % (size, size), "apps", NAME + ".png")
        C.save_png(render_png(svg, size), path)
        log("icon " + path)
