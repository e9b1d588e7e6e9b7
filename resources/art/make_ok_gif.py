#!/usr/bin/env python3
"""Writes resources/ok.gif: the 66 x 66 animation played on the OK button, 8 frames, looping.

A blue ring runs round the edge with eight gold beads; a spinning white sparkle
chases round it, one bead per frame, with a fading tail. The middle of the
picture stays empty (transparent) so that the caption "OK" drawn over it is readable.

Each frame is drawn with ImageMagick at four times the size and scaled down,
then its soft edge is blended onto the house orange and made either opaque or
transparent (a GIF has no partial transparency). Needs ImageMagick's convert.

Run from anywhere: python3 resources/art/make_ok_gif.py
"""
import math
import os
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(os.path.dirname(HERE), "ok.gif")

SIZE = 66
FRAMES = 8
SCALE = 4                     # drawn at 264 x 264, then scaled down
DELAY = 10                    # hundredths of a second per frame
ORANGE = "#FF8000"            # the window colour the soft edges are blended onto

C = SIZE * SCALE / 2          # centre, in drawing units
RING = 26.0                   # ring radius, in final pixels
RING_WIDTH = 5.6


def s(v):
    return v * SCALE


def at(angle_deg, radius):
    a = math.radians(angle_deg)
    return C + s(radius) * math.cos(a), C + s(radius) * math.sin(a)


def circle(x, y, r):
    return f"circle {x:.1f},{y:.1f} {x + r:.1f},{y:.1f}"


def star(x, y, outer, inner, turn_deg, points=4):
    coords = []
    for i in range(points * 2):
        r = outer if i % 2 == 0 else inner
        a = math.radians(turn_deg + i * 180.0 / points - 90)
        coords.append(f"{x + r * math.cos(a):.1f},{y + r * math.sin(a):.1f}")
    return "polygon " + " ".join(coords)


def frame_commands(f):
    """ImageMagick drawing arguments for frame f."""
    cmd = []

    def draw(fill, stroke, width, primitive):
        cmd.extend(["-fill", fill, "-stroke", stroke, "-strokewidth", str(width), "-draw", primitive])

    # the ring: dark outline, blue band, light inner line
    draw("none", "#000070", s(RING_WIDTH + 1.6), circle(C, C, s(RING)))
    draw("none", "#0000C0", s(RING_WIDTH), circle(C, C, s(RING)))
    draw("none", "#4A4AFF", s(1.2), circle(C, C, s(RING - 1.6)))

    head = f % FRAMES
    for k in range(FRAMES):
        angle = k * 360.0 / FRAMES - 90
        x, y = at(angle, RING)
        behind = (head - k) % FRAMES          # 0 = the sparkle itself, 1 and 2 = its tail
        if behind == 0:
            draw("#FFFF80", "none", 0, circle(x, y, s(4.6)))
            draw("#FFFFFF", "#FFC000", s(0.7), star(x, y, s(7.0), s(1.8), f * 22.5))
            draw("#FFFFFF", "none", 0, circle(x, y, s(2.2)))
        elif behind == 1:
            draw("#FFE040", "#C04000", s(0.6), star(x, y, s(5.0), s(1.6), f * 22.5 + 45))
            draw("#FFFFC0", "none", 0, circle(x, y, s(1.8)))
        elif behind == 2:
            draw("#FFC020", "#C04000", s(0.6), circle(x, y, s(2.6)))
        else:
            draw("#E0A000", "#803000", s(0.5), circle(x, y, s(1.8)))
    return cmd


def run(args):
    subprocess.run(args, check=True)


def main():
    big = SIZE * SCALE
    with tempfile.TemporaryDirectory() as tmp:
        frames = []
        for f in range(FRAMES):
            raw = os.path.join(tmp, f"raw{f}.png")
            done = os.path.join(tmp, f"frame{f}.png")
            run(["convert", "-size", f"{big}x{big}", "xc:none"] + frame_commands(f)
                + ["-filter", "Box", "-resize", f"{SIZE}x{SIZE}", raw])
            # colours blended onto orange, alpha cut at one half
            run(["convert",
                 "(", raw, "-background", ORANGE, "-alpha", "remove", "-alpha", "off", ")",
                 "(", raw, "-alpha", "extract", "-threshold", "50%", ")",
                 "-compose", "CopyOpacity", "-composite", done])
            frames.append(done)
        run(["convert", "-dispose", "Background", "-delay", str(DELAY)] + frames
            + ["-loop", "0", OUT])


if __name__ == "__main__":
    main()
