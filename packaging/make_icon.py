#!/usr/bin/env python3
"""Draws the program's icon as SVG: a list of codes, the first a root in the about box's amber, a
magnifier over its end and, from 32 pixels up, "CPV" above it. The field and the colours are the
about box's picture (about/make_artwork.py).

A large drawing scaled down to 16 or 24 pixels turns to mist: those two sizes get drawings of their
own, without the letters and with every edge on a whole pixel. The build rasterises the three files
with rsvg-convert.

    python3 packaging/make_icon.py [OUTPUT_DIR]

writes ICON_ID.svg (the scalable icon, also the source of 32 to 256 pixels), ICON_ID-16.svg and
ICON_ID-24.svg; without OUTPUT_DIR into packaging/icons/.
"""

import os
import sys

ICON_ID = "org.example.kodexa.Kodexa"

# The about box's palette, (r, g, b) in 0..255.
FIELD_LEFT = (8, 14, 26)
FIELD_RIGHT = (14, 48, 62)
GLOW = (0, 90, 100)
BRANCH = (96, 196, 200)
ROOT_NODE = (244, 186, 84)
INNER_NODE = (120, 220, 220)
NAME = (226, 238, 242)


def rgb(colour):
    return "#%02x%02x%02x" % colour


def svg(size, defs, body):
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        "<!-- Written by packaging/make_icon.py; change the script, not this file. -->\n"
        '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n'
        "  <defs>\n%s  </defs>\n%s</svg>\n" % (size, size, size, size, defs, body)
    )


def field_defs(size):
    """The dark field running from the about box's left to its right colour, with the glow that
    stands behind its tree."""
    return (
        '    <linearGradient id="field" x1="0" y1="0" x2="%d" y2="%d" gradientUnits="userSpaceOnUse">\n'
        '      <stop offset="0" stop-color="%s"/>\n'
        '      <stop offset="1" stop-color="%s"/>\n'
        "    </linearGradient>\n"
        '    <radialGradient id="glow" cx="%g" cy="%g" r="%g" gradientUnits="userSpaceOnUse">\n'
        '      <stop offset="0" stop-color="%s" stop-opacity="0.9"/>\n'
        '      <stop offset="1" stop-color="%s" stop-opacity="0"/>\n'
        "    </radialGradient>\n"
        % (size, size, rgb(FIELD_LEFT), rgb(FIELD_RIGHT), size * 0.62, size * 0.62, size * 0.5,
           rgb(GLOW), rgb(GLOW))
    )


def field(x, y, width, radius, outline):
    """The rounded square, with a faint light edge that keeps it apart from a dark panel."""
    shape = 'x="%g" y="%g" width="%g" height="%g" rx="%g"' % (x, y, width, width, radius)
    return (
        '  <rect %s fill="url(#field)"/>\n'
        '  <rect %s fill="url(#glow)"/>\n'
        '  <rect %s fill="none" stroke="%s" stroke-opacity="0.45" stroke-width="%g"/>\n'
        % (shape, shape, shape, rgb(BRANCH), outline)
    )


def letters(x, top, height, stroke):
    """C, P and V as strokes, so that no font is needed and every machine draws the same."""
    bottom = top + height
    width = height * 0.78
    gap = stroke * 1.05
    c_right = x + width
    radius_x, radius_y = width / 2.0, height / 2.0
    # C: most of an ellipse, open to the right.
    c = "M %g %g A %g %g 0 1 0 %g %g" % (
        c_right - radius_x * 0.18, top + radius_y * 0.42, radius_x, radius_y,
        c_right - radius_x * 0.18, bottom - radius_y * 0.42)
    # P: a stem and a bowl over its upper half and a little more.
    p_left = c_right + gap + stroke * 0.5
    bowl = height * 0.29
    bowl_bottom = top + 2 * bowl
    p = "M %g %g V %g H %g A %g %g 0 0 1 %g %g H %g" % (
        p_left, bottom, top, p_left + width * 0.3, bowl, bowl, p_left + width * 0.3, bowl_bottom, p_left)
    # V: two strokes meeting at the foot.
    v_left = p_left + width * 0.3 + bowl + gap + stroke * 0.5
    v = "M %g %g L %g %g L %g %g" % (v_left, top, v_left + width * 0.5, bottom, v_left + width, top)
    return (
        '  <path d="%s %s %s" fill="none" stroke="%s" stroke-width="%g" '
        'stroke-linecap="round" stroke-linejoin="round"/>\n' % (c, p, v, rgb(NAME), stroke)
    )


def letters_width(height, stroke):
    width = height * 0.78
    gap = stroke * 1.05
    bowl = height * 0.29
    return width + gap + stroke * 0.5 + width * 0.3 + bowl + gap + stroke * 0.5 + width


def large_icon():
    """256 units: the field inset by 16, "CPV" above a three-row code list with a lens over it."""
    size = 256
    body = field(16, 16, 224, 44, 3)
    # The letters, centred over the field.
    height, stroke = 50.0, 15.0
    left = (size - letters_width(height, stroke)) / 2.0
    body += letters(left, 44, height, stroke)
    # The list: a root and two codes below it, joined by the tree's branch.
    rows = (136.0, 168.0, 200.0)
    root_x, child_x, line_end = 56.0, 84.0, 176.0
    body += (
        '  <path d="M %g %g V %g M %g %g V %g H %g" fill="none" stroke="%s" stroke-width="5" '
        'stroke-opacity="0.8" stroke-linecap="round" stroke-linejoin="round"/>\n'
        % (root_x, rows[0], rows[2], root_x, rows[1], rows[1], child_x, rgb(BRANCH))
    )
    body += '  <path d="M %g %g H %g" stroke="%s" stroke-width="5" stroke-opacity="0.8"/>\n' % (
        root_x, rows[2], child_x, rgb(BRANCH))
    body += '  <circle cx="%g" cy="%g" r="12" fill="%s"/>\n' % (root_x, rows[0], rgb(ROOT_NODE))
    for y in rows[1:]:
        body += '  <circle cx="%g" cy="%g" r="10" fill="%s"/>\n' % (child_x, y, rgb(INNER_NODE))
    body += '  <path d="M %g %g H %g M %g %g H %g M %g %g H %g" stroke="%s" stroke-width="12" ' \
            'stroke-linecap="round"/>\n' % (
                root_x + 24, rows[0], line_end, child_x + 22, rows[1], line_end - 14,
                child_x + 22, rows[2], line_end - 34, rgb(BRANCH))
    body += lens(cx=176, cy=176, radius=36, rim=12, handle_to=214, handle_width=20)
    return svg(size, field_defs(size), body)


def lens(cx, cy, radius, rim, handle_to, handle_width):
    """A magnifier: a tinted glass with an amber rim, its handle towards the lower right."""
    reach = radius + rim / 2.0
    start = cx + reach * 0.7071
    return (
        '  <circle cx="%g" cy="%g" r="%g" fill="%s" fill-opacity="0.28" stroke="%s" stroke-width="%g"/>\n'
        '  <path d="M %g %g L %g %g" stroke="%s" stroke-width="%g" stroke-linecap="round"/>\n'
        % (cx, cy, radius, rgb(INNER_NODE), rgb(ROOT_NODE), rim,
           start, start, handle_to, handle_to, rgb(ROOT_NODE), handle_width)
    )


def small_icon(size):
    """16 or 24 pixels on a whole-pixel grid: the field fills the square, three rows (a node and a
    bar each, the first the amber root) and a lens over the lower right."""
    layout = SMALL_LAYOUTS[size]
    body = field(0.5, 0.5, size - 1, layout["corner"], 1)
    thickness = layout["thickness"]
    for index, (top, node_x, bar_x, bar_end) in enumerate(layout["rows"]):
        colour = ROOT_NODE if index == 0 else INNER_NODE
        body += '  <rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>\n' % (
            node_x, top, thickness, thickness, rgb(colour))
        body += '  <rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>\n' % (
            bar_x, top, bar_end - bar_x, thickness, rgb(BRANCH))
    centre, radius, rim = layout["lens"]
    body += (
        '  <circle cx="%g" cy="%g" r="%g" fill="%s" fill-opacity="0.35" stroke="%s" stroke-width="%g"/>\n'
        % (centre, centre, radius, rgb(INNER_NODE), rgb(ROOT_NODE), rim)
    )
    handle_from, handle_to, handle_width = layout["handle"]
    body += '  <path d="M %g %g L %g %g" stroke="%s" stroke-width="%g" stroke-linecap="square"/>\n' % (
        handle_from, handle_from, handle_to, handle_to, rgb(ROOT_NODE), handle_width)
    return svg(size, field_defs(size), body)


# In pixels: rows as (top, node's left, bar's left, bar's right); the lens as (centre, radius, rim
# width); the handle as (from, to, width) along the diagonal.
SMALL_LAYOUTS = {
    16: {"corner": 3, "thickness": 2,
         "rows": [(2, 2, 5, 14), (5, 4, 7, 12), (8, 4, 7, 10)],
         "lens": (10.5, 2.75, 1.5), "handle": (13.5, 14, 2)},
    24: {"corner": 4.5, "thickness": 3,
         "rows": [(4, 3, 7, 20), (9, 6, 10, 17), (14, 6, 10, 13)],
         "lens": (15, 4, 2), "handle": (18.5, 20, 3)},
}


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "icons")
    os.makedirs(output, exist_ok=True)
    files = {ICON_ID + ".svg": large_icon(), ICON_ID + "-16.svg": small_icon(16),
             ICON_ID + "-24.svg": small_icon(24)}
    for name, text in files.items():
        with open(os.path.join(output, name), "w", encoding="utf-8", newline="\n") as file:
            file.write(text)


if __name__ == "__main__":
    main()
