#!/usr/bin/env python3
"""Writes the twelve navigation bar pictures, resources/nav/<i>_off.svg and <i>_on.svg.

Every button is a round blue disc in a dark red ring, with a white glyph.
The highlighted ("on") picture keeps the same glyph; its disc is brighter,
its ring turns gold and a yellow glow spreads around it.

Run from anywhere: python3 resources/art/make_nav.py
"""
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(os.path.dirname(HERE), "nav")

C = 30.0  # centre of the 60 x 60 picture

STATES = {
    "off": dict(glow=False,
                ring_top="#E05A10", ring_bottom="#7A1E00", ring_line="#5A1400",
                disc_top="#2A2AE8", disc_mid="#0000C0", disc_bottom="#000070",
                shine=0.45, glyph="#FFFFFF", shadow="#000030"),
    "on": dict(glow=True,
               ring_top="#FFFFD0", ring_bottom="#FFB000", ring_line="#C04000",
               disc_top="#9090FF", disc_mid="#2424FF", disc_bottom="#0000C8",
               shine=0.6, glyph="#FFFFFF", shadow="#000040"),
}


def pts(points):
    return " ".join(f"{x:.2f},{y:.2f}" for x, y in points)


def arrow(direction, colour, dx=0.0, dy=0.0):
    """A thick arrow; direction -1 points left, +1 points right."""
    raw = [(16.5, 30), (28, 18.5), (28, 25.5), (43, 25.5), (43, 34.5), (28, 34.5), (28, 41.5)]
    if direction > 0:
        raw = [(2 * C - x, y) for x, y in raw]
    moved = [(x + dx, y + dy) for x, y in raw]
    return (f'<polygon points="{pts(moved)}" fill="{colour}" stroke="{colour}" '
            f'stroke-width="2" stroke-linejoin="round"/>')


def reload_(colour, dx=0.0, dy=0.0):
    """A circular arrow turning clockwise, open at the top right, its head pointing into the gap."""
    r = 10.5
    cx, cy = C + dx, C + dy
    a0, a1 = math.radians(-20), math.radians(250)   # screen angles, y downwards, clockwise
    x0, y0 = cx + r * math.cos(a0), cy + r * math.sin(a0)
    x1, y1 = cx + r * math.cos(a1), cy + r * math.sin(a1)
    arc = (f'<path d="M {x0:.2f} {y0:.2f} A {r} {r} 0 1 1 {x1:.2f} {y1:.2f}" fill="none" '
           f'stroke="{colour}" stroke-width="4.6" stroke-linecap="butt"/>')
    tx, ty = -math.sin(a1), math.cos(a1)            # clockwise tangent at the end
    nx, ny = math.cos(a1), math.sin(a1)             # outward normal
    bx, by = x1 - tx * 0.8, y1 - ty * 0.8
    tip = (bx + tx * 8.5, by + ty * 8.5)
    back_out = (bx + nx * 6.8, by + ny * 6.8)
    back_in = (bx - nx * 6.8, by - ny * 6.8)
    head = (f'<polygon points="{pts([tip, back_out, back_in])}" fill="{colour}" stroke="{colour}" '
            f'stroke-width="1.2" stroke-linejoin="round"/>')
    return arc + "\n    " + head


def stop(colour, dx=0.0, dy=0.0):
    """A bold cross."""
    a, b = 21.5, 38.5
    return (f'<path d="M {a + dx} {a + dy} L {b + dx} {b + dy} M {b + dx} {a + dy} L {a + dx} {b + dy}" '
            f'fill="none" stroke="{colour}" stroke-width="5.6" stroke-linecap="round"/>')


def home(colour, dx=0.0, dy=0.0, door=None):
    """A little house with a chimney and a door."""
    house = [(30, 16.5), (35.5, 21.6), (35.5, 18.5), (39.5, 18.5), (39.5, 25.3), (44.5, 30),
             (40.5, 30), (40.5, 42.5), (19.5, 42.5), (19.5, 30), (15.5, 30)]
    moved = [(x + dx, y + dy) for x, y in house]
    out = (f'<polygon points="{pts(moved)}" fill="{colour}" stroke="{colour}" '
           f'stroke-width="1.2" stroke-linejoin="round"/>')
    if door:
        out += (f'\n    <rect x="{26.5 + dx}" y="{33.5 + dy}" width="7" height="9" rx="1" fill="{door}"/>'
                f'\n    <rect x="{34.5 + dx}" y="{32.5 + dy}" width="3.5" height="3.5" fill="{door}"/>'
                f'\n    <rect x="{22 + dx}" y="{32.5 + dy}" width="3.5" height="3.5" fill="{door}"/>')
    return out


def smiley(shadow, dx=0.0, dy=0.0, face=True):
    """A yellow smiling face; with face=False only its shadow."""
    if not face:
        return f'<circle cx="{C + dx}" cy="{C + dy}" r="13" fill="{shadow}" fill-opacity="0.55"/>'
    return "\n    ".join([
        f'<circle cx="{C}" cy="{C}" r="13" fill="url(#face)" stroke="#7A3A00" stroke-width="1.3"/>',
        f'<ellipse cx="25.4" cy="26" rx="1.9" ry="2.8" fill="#3A1A00"/>',
        f'<ellipse cx="34.6" cy="26" rx="1.9" ry="2.8" fill="#3A1A00"/>',
        f'<path d="M 22.6 32.2 Q 30 40.6 37.4 32.2" fill="none" stroke="#3A1A00" '
        f'stroke-width="2.2" stroke-linecap="round"/>',
        f'<ellipse cx="25.5" cy="21.5" rx="4.5" ry="2.2" fill="#FFFFFF" fill-opacity="0.55"/>',
    ])


GLYPHS = {
    0: ("back", lambda col, dx=0, dy=0: arrow(-1, col, dx, dy)),
    1: ("forward", lambda col, dx=0, dy=0: arrow(+1, col, dx, dy)),
    2: ("reload", reload_),
    3: ("stop", stop),
    4: ("home", home),
    5: ("emoticons", None),
}


def glyph_svg(index, s):
    if index == 5:
        return smiley(s["shadow"], 1.0, 1.5, face=False) + "\n    " + smiley(s["shadow"])
    draw = GLYPHS[index][1]
    shadow = draw(s["shadow"], 1.0, 1.5).replace("/>", ' fill-opacity="0.55" stroke-opacity="0.55"/>')
    if index == 4:
        return shadow + "\n    " + home(s["glyph"], door=s["disc_mid"])
    return shadow + "\n    " + draw(s["glyph"])


def button(index, state):
    s = STATES[state]
    name = GLYPHS[index][0]
    glow = ""
    glow_def = ""
    if s["glow"]:
        glow_def = """
    <radialGradient id="glow" gradientUnits="userSpaceOnUse" cx="30" cy="30" r="30">
      <stop offset="0.70" stop-color="#FFFFA0" stop-opacity="1"/>
      <stop offset="0.86" stop-color="#FFF040" stop-opacity="0.75"/>
      <stop offset="1" stop-color="#FFD000" stop-opacity="0"/>
    </radialGradient>"""
        glow = '\n  <circle cx="30" cy="30" r="30" fill="url(#glow)"/>'
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<!-- Velmora navigation button {index} ({name}), {"highlighted" if state == "on" else "resting"}. Written by art/make_nav.py. -->
<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" width="60" height="60" viewBox="0 0 60 60">
  <defs>{glow_def}
    <linearGradient id="ring" gradientUnits="userSpaceOnUse" x1="14" y1="6" x2="46" y2="54">
      <stop offset="0" stop-color="{s["ring_top"]}"/>
      <stop offset="1" stop-color="{s["ring_bottom"]}"/>
    </linearGradient>
    <linearGradient id="disc" gradientUnits="userSpaceOnUse" x1="30" y1="9" x2="30" y2="51">
      <stop offset="0" stop-color="{s["disc_top"]}"/>
      <stop offset="0.55" stop-color="{s["disc_mid"]}"/>
      <stop offset="1" stop-color="{s["disc_bottom"]}"/>
    </linearGradient>
    <linearGradient id="shine" gradientUnits="userSpaceOnUse" x1="30" y1="10" x2="30" y2="30">
      <stop offset="0" stop-color="#FFFFFF" stop-opacity="{s["shine"]}"/>
      <stop offset="1" stop-color="#FFFFFF" stop-opacity="0"/>
    </linearGradient>
    <radialGradient id="face" gradientUnits="userSpaceOnUse" cx="27" cy="25" r="16">
      <stop offset="0" stop-color="#FFFFA0"/>
      <stop offset="0.6" stop-color="#FFE020"/>
      <stop offset="1" stop-color="#F0A000"/>
    </radialGradient>
  </defs>{glow}
  <circle cx="30" cy="30" r="25" fill="url(#ring)" stroke="{s["ring_line"]}" stroke-width="1"/>
  <circle cx="30" cy="30" r="20.5" fill="url(#disc)" stroke="{s["ring_line"]}" stroke-width="0.8"/>
  <ellipse cx="30" cy="20.5" rx="15.5" ry="9.5" fill="url(#shine)"/>
  <g>
    {glyph_svg(index, s)}
  </g>
</svg>
"""


def main():
    os.makedirs(OUT, exist_ok=True)
    for index in GLYPHS:
        for state in STATES:
            with open(os.path.join(OUT, f"{index}_{state}.svg"), "w", encoding="utf-8") as f:
                f.write(button(index, state))


if __name__ == "__main__":
    main()
