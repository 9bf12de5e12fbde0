#!/usr/bin/env python3
"""Draws the about box's picture, about/about.jpg.

The picture is a dark field with a code tree on the right (the program's subject: the CPV code
hierarchy) and the program's name under it. The left part stays dark, so that the box's silver
labels, drawn over it, stay readable; the bottom middle stays plain for the OK button.

Needs python3 and ImageMagick's convert (Debian: imagemagick, fonts-liberation). The JPEG is
written as the box expects it: JFIF, baseline, 798 x 475, YCbCr with the colour differences
sampled at half resolution both ways (4:2:0), 72 dpi.

    python3 about/make_artwork.py [output.jpg]
"""

import math
import os
import random
import subprocess
import sys
import tempfile

WIDTH, HEIGHT = 798, 475
CONVERT = "/usr/bin/convert"
FONT_DIR = "/usr/share/fonts/truetype/liberation"

# Colours (r, g, b) in 0..255.
FIELD_LEFT = (8, 14, 26)
FIELD_RIGHT = (14, 48, 62)
GLOW = (0, 70, 80)
BRANCH = (96, 196, 200)
ROOT_NODE = (244, 186, 84)
INNER_NODE = (120, 220, 220)
LEAF_NODE = (70, 160, 176)


def lerp(a, b, t):
    return a + (b - a) * t


class Canvas:
    """An RGB picture of floats with alpha-blended drawing."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = [[0.0, 0.0, 0.0] for _ in range(width * height)]

    def blend(self, x, y, colour, alpha):
        if alpha <= 0.0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        alpha = min(alpha, 1.0)
        pixel = self.pixels[y * self.width + x]
        for channel in range(3):
            pixel[channel] = lerp(pixel[channel], colour[channel], alpha)

    def add(self, x, y, colour, amount):
        if amount <= 0.0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        pixel = self.pixels[y * self.width + x]
        for channel in range(3):
            pixel[channel] = min(255.0, pixel[channel] + colour[channel] * amount)

    def ppm(self):
        data = bytearray(b"P6 %d %d 255\n" % (self.width, self.height))
        for pixel in self.pixels:
            data.extend(max(0, min(255, round(value))) for value in pixel)
        return bytes(data)


def paint_field(canvas):
    """A horizontal gradient, darkened at the bottom, with a soft glow behind the tree."""
    glow_x, glow_y, glow_radius = 600.0, 190.0, 330.0
    for y in range(canvas.height):
        shade = 1.0 - 0.35 * max(0.0, (y - 300) / (canvas.height - 300))
        for x in range(canvas.width):
            t = (x / (canvas.width - 1)) ** 1.6
            colour = [lerp(FIELD_LEFT[c], FIELD_RIGHT[c], t) * shade for c in range(3)]
            distance = math.hypot(x - glow_x, (y - glow_y) * 1.3) / glow_radius
            glow = max(0.0, 1.0 - distance) ** 2
            canvas.pixels[y * canvas.width + x] = [colour[c] + GLOW[c] * glow for c in range(3)]


def paint_line(canvas, start, end, colour, width, alpha):
    """An anti-aliased straight line: coverage falls off over one pixel at its edges."""
    (x0, y0), (x1, y1) = start, end
    length = math.hypot(x1 - x0, y1 - y0)
    if length == 0.0:
        return
    dx, dy = (x1 - x0) / length, (y1 - y0) / length
    half = width / 2.0
    left, right = int(min(x0, x1) - width - 1), int(max(x0, x1) + width + 2)
    top, bottom = int(min(y0, y1) - width - 1), int(max(y0, y1) + width + 2)
    for y in range(top, bottom):
        for x in range(left, right):
            px, py = x + 0.5 - x0, y + 0.5 - y0
            along = max(0.0, min(length, px * dx + py * dy))
            distance = math.hypot(px - along * dx, py - along * dy)
            coverage = max(0.0, min(1.0, half + 0.5 - distance))
            canvas.blend(x, y, colour, coverage * alpha)


def paint_node(canvas, centre, radius, colour):
    """A round node with a halo of light around it."""
    cx, cy = centre
    reach = int(radius * 4)
    for y in range(int(cy) - reach, int(cy) + reach + 1):
        for x in range(int(cx) - reach, int(cx) + reach + 1):
            distance = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            canvas.add(x, y, colour, 0.35 * math.exp(-((distance / (radius * 1.8)) ** 2)))
            canvas.blend(x, y, colour, radius + 0.5 - distance)


def build_tree(rng):
    """Nodes of a four-level code tree as (level, x, y, parent index, code)."""
    nodes = [(0, 600.0, 56.0, -1, "03000000")]
    level_y = [56.0, 138.0, 218.0, 292.0]
    spans = [0.0, 125.0, 40.0, 15.0]
    for level in range(1, 4):
        parents = [i for i, node in enumerate(nodes) if node[0] == level - 1]
        for parent in parents:
            _, px, _, _, parent_code = nodes[parent]
            count = {1: 3, 2: rng.choice((2, 3)), 3: rng.choice((1, 2, 3))}[level]
            for k in range(count):
                offset = (k - (count - 1) / 2.0) * spans[level]
                x = px + offset + rng.uniform(-6.0, 6.0)
                y = level_y[level] + rng.uniform(-5.0, 5.0)
                digits = list(parent_code)
                digits[level + 1] = str(k + 1)
                nodes.append((level, x, y, parent, "".join(digits)))
    return nodes


def paint_tree(canvas, nodes):
    for level, x, y, parent, _ in nodes:
        if parent < 0:
            continue
        _, px, py, _, _ = nodes[parent]
        # A branch leaves its parent downwards, then bends towards the child.
        bend_y = py + (y - py) * 0.45
        paint_line(canvas, (px, py), (px, bend_y), BRANCH, 1.6, 0.55)
        paint_line(canvas, (px, bend_y), (x, y), BRANCH, 1.6, 0.55)
    for level, x, y, _, _ in nodes:
        colour = ROOT_NODE if level == 0 else INNER_NODE if level < 3 else LEAF_NODE
        paint_node(canvas, (x, y), (7.0, 5.0, 4.0, 3.0)[level], colour)


def paint_dust(canvas, rng):
    """Faint specks of light across the right half."""
    for _ in range(140):
        x = rng.uniform(330.0, WIDTH)
        y = rng.uniform(0.0, 380.0)
        paint_node(canvas, (x, y), rng.uniform(0.4, 1.1), (150, 210, 220))


def annotations(nodes):
    """ImageMagick drawing arguments: the codes of the upper nodes beside them, the program's name
    below the tree."""
    args = ["-font", os.path.join(FONT_DIR, "LiberationMono-Regular.ttf"), "-pointsize", "10",
            "-fill", "rgba(150,210,220,0.6)"]
    for level, x, y, _, code in nodes:
        if level <= 1:
            args += ["-annotate", "+%d+%d" % (round(x) + 12, round(y) + 4), code]
    args += ["-font", os.path.join(FONT_DIR, "LiberationSans-Bold.ttf"), "-pointsize", "46",
             "-fill", "rgb(226,238,242)", "-annotate", "+520+392", "Kodexa"]
    args += ["-font", os.path.join(FONT_DIR, "LiberationSans-Regular.ttf"), "-pointsize", "15",
             "-fill", "rgb(120,200,206)", "-annotate", "+523+418", "Suche in den CPV-Codes 2007"]
    return args


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "about.jpg")
    rng = random.Random(2007)
    canvas = Canvas(WIDTH, HEIGHT)
    paint_field(canvas)
    paint_dust(canvas, rng)
    nodes = build_tree(rng)
    paint_tree(canvas, nodes)
    # A thin rule above the name, ending before the OK button's column.
    paint_line(canvas, (520.0, 345.0), (770.0, 345.0), ROOT_NODE, 1.0, 0.7)

    with tempfile.TemporaryDirectory() as scratch:
        field = os.path.join(scratch, "field.ppm")
        with open(field, "wb") as file:
            file.write(canvas.ppm())
        subprocess.run([CONVERT, field] + annotations(nodes) +
                       ["-strip", "-colorspace", "sRGB", "-type", "TrueColor",
                        "-sampling-factor", "2x2,1x1,1x1", "-interlace", "none",
                        "-units", "PixelsPerInch", "-density", "72", "-quality", "95",
                        "JPEG:" + output], check=True)


if __name__ == "__main__":
    main()
