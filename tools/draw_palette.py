#!/usr/bin/env python3
"""Writes the palette pictures as SVG, 32 by 32 units, into the folder given (resources/palette).

One style for all: flat fills from a small palette, a dark outline 2 units wide with round
joins. Thick marks (tick, cross, key) are a dark stroke under a narrower coloured one, so their
outline is 2 units too. The number in each file name is the picture's place in the palette.
"""

import math
import pathlib
import sys

INK = "#2e2a36"
YELLOW = "#ffd23f"
PALE = "#fff3b0"
ORANGE = "#ff9b2f"
RED = "#ee4b5a"
PINK = "#ff9fb6"
BLUE = "#4aa3f0"
SKY = "#bfe4ff"
GREEN = "#4cc06c"
PURPLE = "#9a6ddb"
BROWN = "#b57b4c"
GREY = "#c6ccd6"
WHITE = "#ffffff"
CREAM = "#fff1d6"

LINE = f'stroke="{INK}" stroke-width="2" stroke-linejoin="round" stroke-linecap="round"'


def shape(tag, fill, **attrs):
    """A filled element with the outline."""
    extra = " ".join(f'{k.replace("_", "-")}="{v}"' for k, v in attrs.items())
    return f'<{tag} {extra} fill="{fill}" {LINE}/>'


def ink_line(d, width=2):
    return (f'<path d="{d}" fill="none" stroke="{INK}" stroke-width="{width}" '
            f'stroke-linejoin="round" stroke-linecap="round"/>')


def fat_line(d, colour, inner=4):
    """A coloured stroke with a 2-unit outline."""
    common = 'fill="none" stroke-linejoin="round" stroke-linecap="round"'
    return (f'<path d="{d}" {common} stroke="{INK}" stroke-width="{inner + 4}"/>'
            f'<path d="{d}" {common} stroke="{colour}" stroke-width="{inner}"/>')


def dot(x, y, r, fill=INK):
    return f'<circle cx="{x}" cy="{y}" r="{r}" fill="{fill}"/>'


def face(*features):
    return [shape("circle", YELLOW, cx=16, cy=16, r=13.5), *features]


def eye(x, y=13):
    return f'<ellipse cx="{x}" cy="{y}" rx="1.9" ry="2.5" fill="{INK}"/>'


def arrow(angle):
    d = "M16 3 L28.5 15.5 H21 V29 H11 V15.5 H3.5 Z"
    return [f'<g transform="rotate({angle} 16 16)">{shape("path", BLUE, d=d)}</g>']


def star_points(cx, cy, outer, inner, n=5):
    pts = []
    for i in range(2 * n):
        r = outer if i % 2 == 0 else inner
        a = math.pi * i / n - math.pi / 2
        pts.append(f"{cx + r * math.cos(a):.2f},{cy + r * math.sin(a):.2f}")
    return " ".join(pts)


def blob(parts, fill):
    """Overlapping shapes filled as one, with one outline around them all."""
    under = "".join(f'<{tag} {attrs} fill="{INK}" stroke="{INK}" stroke-width="4" '
                    'stroke-linejoin="round"/>' for tag, attrs in parts)
    over = "".join(f'<{tag} {attrs} fill="{fill}"/>' for tag, attrs in parts)
    return under + over


def cloud(cx=16, bottom=25.5, s=1.0, fill=WHITE):
    """Three puffs on a flat base: bottom is the base line, s the size."""
    def c(x, y, r):
        return ("circle", f'cx="{cx + x * s:g}" cy="{bottom + y * s:g}" r="{r * s:g}"')
    base = ("rect", f'x="{cx - 7 * s:g}" y="{bottom - 6.5 * s:g}" width="{14 * s:g}" '
            f'height="{6.5 * s:g}"')
    return blob([c(-7, -6.5, 6.5), c(0.5, -12, 8.5), c(7, -6.5, 6.5), base], fill)


def sun():
    rays = " ".join(
        f"M{16 + 10.5 * math.cos(a):.2f} {16 + 10.5 * math.sin(a):.2f} "
        f"L{16 + 13.5 * math.cos(a):.2f} {16 + 13.5 * math.sin(a):.2f}"
        for a in (math.pi * i / 4 for i in range(8)))
    return [fat_line(rays, ORANGE, inner=2.5), shape("circle", YELLOW, cx=16, cy=16, r=7)]


def snowflake():
    arms = []
    for i in range(3):
        a = math.pi * i / 3 + math.pi / 2
        c, s = math.cos(a), math.sin(a)
        arms.append(f"M{16 - 12 * c:.2f} {16 - 12 * s:.2f} L{16 + 12 * c:.2f} {16 + 12 * s:.2f}")
    for i in range(6):
        a = math.pi * i / 3 + math.pi / 2
        bx, by = 16 + 8 * math.cos(a), 16 + 8 * math.sin(a)
        for turn in (-1, 1):
            b = a + turn * math.pi / 4 + math.pi
            arms.append(f"M{bx:.2f} {by:.2f} l{4 * math.cos(b + math.pi):.2f} "
                        f"{4 * math.sin(b + math.pi):.2f}")
    return [fat_line(" ".join(arms), SKY, inner=2.5)]


def pencil():
    body = (shape("rect", PINK, x=1, y=11.5, width=6, height=9, rx=2) +
            shape("rect", GREY, x=5.5, y=11.5, width=4, height=9) +
            shape("rect", YELLOW, x=9.5, y=11.5, width=13.5, height=9) +
            shape("path", CREAM, d="M23 11.5 L31 16 L23 20.5 Z") +
            f'<path d="M28 14.31 L31 16 L28 17.69 Z" fill="{INK}"/>')
    return [f'<g transform="rotate(-45 16 16)">{body}</g>']


def pushpin():
    body = (ink_line("M16 20 V30", width=2.5) +
            shape("path", RED, d="M9 20 Q9 16.5 12.5 16 L13 8 H19 L19.5 16 Q23 16.5 23 20 Z") +
            shape("rect", RED, x=9.5, y=3, width=13, height=5.5, rx=2.5))
    return [f'<g transform="rotate(30 16 16)">{body}</g>']


ICONS = {
    "smile": face(eye(11.5), eye(20.5), ink_line("M9.5 18.5 Q16 25.5 22.5 18.5")),
    "laugh": face(
        ink_line("M8.5 13.5 Q11.5 9.5 14.5 13.5"), ink_line("M17.5 13.5 Q20.5 9.5 23.5 13.5"),
        shape("path", "#c33a4c", d="M8.5 17.5 H23.5 Q23 26.5 16 26.5 Q9 26.5 8.5 17.5 Z")),
    "wink": face(eye(11.5), ink_line("M17.5 13.5 Q20.5 10.5 23.5 13.5"),
                 ink_line("M9.5 18.5 Q16 25.5 22.5 18.5")),
    "surprised": face(eye(11.5, 12.5), eye(20.5, 12.5),
                      f'<ellipse cx="16" cy="21.5" rx="3" ry="3.8" fill="{INK}"/>'),
    "sad": face(eye(11.5, 14), eye(20.5, 14), ink_line("M10.5 23.5 Q16 18.5 21.5 23.5"),
                ink_line("M8.5 10.5 L13 8.5"), ink_line("M23.5 10.5 L19 8.5")),
    "heart": [shape("path", RED, d="M16 28 C10 24 3 18.5 3 11.5 C3 7 6.5 4 10.2 4 "
                    "C13 4 15 5.8 16 8 C17 5.8 19 4 21.8 4 C25.5 4 29 7 29 11.5 "
                    "C29 18.5 22 24 16 28 Z")],
    "star": [shape("polygon", YELLOW, points=star_points(16, 17, 14.5, 6.3))],
    "tick": [fat_line("M6.5 16.5 L13 23 L25.5 9.5", GREEN)],
    "cross": [fat_line("M9 9 L23 23 M23 9 L9 23", RED)],
    "up": arrow(0),
    "down": arrow(180),
    "left": arrow(-90),
    "right": arrow(90),
    "exclamation": [fat_line("M16 5.5 V17.5", RED, inner=6),
                    shape("circle", RED, cx=16, cy=25.5, r=3.5)],
    "question": [fat_line("M10 10.5 Q10 4.5 16 4.5 Q22 4.5 22 10 Q22 13.5 18.5 15 "
                          "Q16 16.2 16 18.5", BLUE, inner=5),
                 shape("circle", BLUE, cx=16, cy=25.5, r=3.2)],
    "pin": pushpin(),
    "flag": [shape("rect", BROWN, x=5.5, y=3, width=3, height=27, rx=1.5),
             shape("path", RED, d="M8.5 5 Q13.5 2.5 18.5 5.5 Q23.5 8.5 28 6 V18 "
                   "Q23.5 20.5 18.5 17.5 Q13.5 14.5 8.5 17 Z")],
    "bell": [shape("circle", ORANGE, cx=16, cy=26, r=3),
             shape("path", YELLOW, d="M5 24 Q8.5 21.5 8.5 15 Q8.5 6.5 16 6.5 "
                   "Q23.5 6.5 23.5 15 Q23.5 21.5 27 24 Z"),
             shape("circle", YELLOW, cx=16, cy=4.5, r=2)],
    "sun": sun(),
    "cloud": [cloud()],
    "rain": [cloud(bottom=20, s=0.85),
             fat_line("M11 24.5 L9.5 28.5 M17 24.5 L15.5 28.5 M23 24.5 L21.5 28.5", BLUE,
                      inner=2)],
    "snow": snowflake(),
    "lightning": [shape("path", YELLOW, d="M19.5 2.5 L6.5 18 H14.5 L11.5 29.5 L25.5 13 "
                        "H17.5 Z")],
    "moon": [shape("path", PALE, d="M19 3.5 A13 13 0 1 0 28.5 22 A10.5 10.5 0 0 1 19 3.5 Z")],
    "umbrella": [fat_line("M16 15 V26 Q16 29 13 29 Q10.5 29 10.5 26.5", BROWN, inner=2),
                 shape("path", PURPLE, d="M3 16 A13 12 0 0 1 29 16 Q25.75 13.5 22.5 16 "
                       "Q19.25 13.5 16 16 Q12.75 13.5 9.5 16 Q6.25 13.5 3 16 Z")],
    "clock": [shape("circle", BLUE, cx=16, cy=16, r=13.5),
              shape("circle", WHITE, cx=16, cy=16, r=10),
              ink_line("M16 9.5 V16 L20.5 18.5", width=2.5), dot(16, 16, 1.6)],
    "bulb": [shape("path", PALE, d="M12 22 Q12 19.5 9.8 17.3 A8.5 8.5 0 1 1 22.2 17.3 "
                   "Q20 19.5 20 22 Z"),
             ink_line("M13.5 15.5 L16 18 L18.5 15.5"),
             shape("rect", GREY, x=11.5, y=22, width=9, height=7, rx=2),
             ink_line("M12 25.5 H20")],
    "phone": [shape("rect", "#5d6475", x=8.5, y=2.5, width=15, height=27, rx=3.5),
              f'<rect x="11" y="6" width="10" height="16" rx="1" fill="{SKY}"/>',
              dot(16, 25.8, 1.5, WHITE)],
    "envelope": [shape("rect", WHITE, x=3, y=7, width=26, height=18, rx=2.5),
                 ink_line("M4 8.5 L16 18 L28 8.5")],
    "house": [shape("rect", CREAM, x=7, y=14, width=18, height=14.5),
              shape("rect", BROWN, x=13.5, y=19.5, width=5, height=9),
              shape("path", RED, d="M2.5 16 L16 4 L29.5 16 Z")],
    "book": [shape("rect", WHITE, x=8, y=5, width=19, height=24, rx=1.5),
             shape("rect", BLUE, x=5, y=3, width=19, height=23, rx=2),
             ink_line("M9.5 3.5 V25.5"),
             f'<rect x="13" y="8.5" width="7.5" height="4" rx="1" fill="{WHITE}"/>'],
    "pencil": pencil(),
    "music": [shape("path", PURPLE, d="M10 23 V8.5 L26 4 V20 H23.5 V10.5 L12.5 13.5 V23 Z"),
              shape("ellipse", PURPLE, cx=8.5, cy=24, rx=4.5, ry=3.5,
                    transform="rotate(-20 8.5 24)"),
              shape("ellipse", PURPLE, cx=22, cy=21, rx=4.5, ry=3.5,
                    transform="rotate(-20 22 21)")],
    "cup": [ink_line("M3.5 28.5 H24.5"),
            fat_line("M21 14.5 H23.5 Q27.5 14.5 27.5 18 Q27.5 21.5 23.5 21.5 H21", WHITE, inner=2),
            shape("path", WHITE, d="M5.5 12 H22.5 V19 Q22.5 26.5 14 26.5 Q5.5 26.5 5.5 19 Z"),
            f'<path d="M6.5 13 H21.5 V15.5 H6.5 Z" fill="{BROWN}"/>',
            ink_line("M10.5 8.5 Q9 6.5 10.5 4.5"), ink_line("M15.5 8.5 Q14 6.5 15.5 4.5")],
    "gift": [shape("rect", RED, x=5, y=14, width=22, height=14.5, rx=1),
             shape("rect", RED, x=3, y=9.5, width=26, height=5.5, rx=1),
             shape("rect", YELLOW, x=14, y=9.5, width=4, height=19),
             shape("path", YELLOW, d="M16 9.5 Q10.5 2 7.5 5.5 Q6 9.5 16 9.5 Z"),
             shape("path", YELLOW, d="M16 9.5 Q21.5 2 24.5 5.5 Q26 9.5 16 9.5 Z")],
    "key": [f'<g transform="rotate(45 16 16)">'
            + fat_line("M7 10.5 A5.5 5.5 0 1 0 7 21.5 A5.5 5.5 0 1 0 7 10.5 Z "
                       "M12.5 16 H30 M25.5 16 V21.5 M29.5 16 V20.5", YELLOW, inner=3.5)
            + "</g>"],
}

ORDER = [
    "smile", "laugh", "wink", "surprised", "sad", "heart", "star", "tick", "cross",
    "up", "down", "left", "right", "exclamation", "question", "pin", "flag", "bell",
    "sun", "cloud", "rain", "snow", "lightning", "moon", "umbrella", "clock", "bulb",
    "phone", "envelope", "house", "book", "pencil", "music", "cup", "gift", "key",
]


def main():
    out = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "resources/palette")
    out.mkdir(parents=True, exist_ok=True)
    for old in out.glob("*.svg"):
        old.unlink()
    for i, name in enumerate(ORDER, 1):
        body = "\n  ".join(ICONS[name])
        (out / f"{i:02d}-{name}.svg").write_text(
            '<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" '
            f'viewBox="0 0 32 32">\n  {body}\n</svg>\n')


if __name__ == "__main__":
    main()
