"""Shared drawing helpers for the image generators: palette, shapes and PNG output."""

import math
import os

import cairo

FONT = "Roboto Condensed"

# The game's palette: deep sea blues, sail white, brass and rope.
NAVY_DARK = (0.035, 0.098, 0.184)
NAVY = (0.063, 0.176, 0.318)
SEA = (0.106, 0.318, 0.502)
SEA_LIGHT = (0.239, 0.561, 0.816)
SAIL = (0.965, 0.957, 0.925)
PARCHMENT = (0.984, 0.965, 0.910)
PARCHMENT_DARK = (0.925, 0.878, 0.761)
BRASS_LIGHT = (0.957, 0.867, 0.588)
BRASS = (0.788, 0.631, 0.290)
BRASS_DARK = (0.478, 0.345, 0.118)
ROPE = (0.784, 0.651, 0.416)
SIGNAL_RED = (0.776, 0.157, 0.157)
SIGNAL_GREEN = (0.157, 0.604, 0.294)


def surface(width, height):
    return cairo.ImageSurface(cairo.FORMAT_ARGB32, width, height)


def save(surf, folder, name):
    surf.flush()
    surf.write_to_png(os.path.join(folder, name))


def rounded_rect(ctx, x, y, w, h, r):
    r = min(r, w / 2, h / 2)
    ctx.new_sub_path()
    ctx.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    ctx.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    ctx.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    ctx.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    ctx.close_path()


def vertical(y0, y1, *stops):
    """A vertical linear gradient through evenly spaced colour stops (RGB or RGBA)."""
    grad = cairo.LinearGradient(0, y0, 0, y1)
    for i, colour in enumerate(stops):
        grad.add_color_stop_rgba(i / (len(stops) - 1), *rgba(colour))
    return grad


def rgba(colour, alpha=None):
    if len(colour) == 4:
        return colour if alpha is None else (*colour[:3], alpha)
    return (*colour, 1.0 if alpha is None else alpha)


def brass(y0, y1):
    """Polished brass: a bright band near the top, darker below."""
    return vertical(y0, y1, BRASS_LIGHT, BRASS, BRASS_DARK, BRASS)


def text_centred(ctx, text, cx, cy, size, colour, weight=cairo.FONT_WEIGHT_BOLD):
    ctx.select_font_face(FONT, cairo.FONT_SLANT_NORMAL, weight)
    ctx.set_font_size(size)
    ext = ctx.text_extents(text)
    ctx.move_to(cx - ext.x_bearing - ext.width / 2, cy - ext.y_bearing - ext.height / 2)
    ctx.set_source_rgba(*rgba(colour))
    ctx.show_text(text)


def nine_slice(surf, folder, base, left, top, right, bottom, slice_width=8):
    """Cuts a frame drawn at a nominal size into the nine pieces of a skin.

    The design must be uniform along each edge's stretch direction in the middle
    column; the middle row keeps its full height so vertical gradients stretch
    smoothly. Corners keep their drawn size.
    """
    width, height = surf.get_width(), surf.get_height()
    mid_x = (width - slice_width) // 2
    columns = [("left", 0, left), ("middle", mid_x, slice_width), ("right", width - right, right)]
    rows = [("top", 0, top), ("center", top, height - top - bottom), ("bottom", height - bottom, bottom)]
    for row_name, y, h in rows:
        for col_name, x, w in columns:
            piece = cairo.ImageSurface(cairo.FORMAT_ARGB32, w, h)
            ctx = cairo.Context(piece)
            ctx.set_source_surface(surf, -x, -y)
            ctx.set_operator(cairo.OPERATOR_SOURCE)
            ctx.paint()
            save(piece, folder, f"{base}-{col_name}-{row_name}.png")
