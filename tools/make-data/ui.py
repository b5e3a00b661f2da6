"""Window, button and input-line skins and the small interface pictures."""

import math
import os

import cairo

from draw import (BRASS, BRASS_DARK, BRASS_LIGHT, NAVY, NAVY_DARK, PARCHMENT, PARCHMENT_DARK,
                  SAIL, SEA, SEA_LIGHT, SIGNAL_RED, brass, rounded_rect, save, surface,
                  vertical, nine_slice)


def window_skin(folder):
    """Dark navy panel with a brass rim: windows and message boxes (white text on it)."""
    w, h = 600, 460
    surf = surface(w, h)
    ctx = cairo.Context(surf)
    for grow, alpha in ((4, 0.10), (2, 0.18)):
        rounded_rect(ctx, 2 - grow / 2, 3 - grow / 2, w - 4 + grow, h - 4 + grow, 22 + grow)
        ctx.set_source_rgba(0, 0, 0, alpha)
        ctx.fill()
    rounded_rect(ctx, 3, 3, w - 6, h - 6, 21)
    ctx.set_source(vertical(3, h - 3, (0.086, 0.227, 0.392, 0.95), (*NAVY, 0.95),
                            (*NAVY_DARK, 0.96)))
    ctx.fill()
    # Brass rim with a dark outline on both sides.
    rounded_rect(ctx, 5, 5, w - 10, h - 10, 19)
    ctx.set_source_rgba(*BRASS_DARK, 1)
    ctx.set_line_width(6)
    ctx.stroke()
    rounded_rect(ctx, 5, 5, w - 10, h - 10, 19)
    ctx.set_source(brass(5, h - 5))
    ctx.set_line_width(3.5)
    ctx.stroke()
    # A fine sail-white line inside the rim.
    rounded_rect(ctx, 13.5, 13.5, w - 27, h - 27, 12)
    ctx.set_source_rgba(*SAIL, 0.28)
    ctx.set_line_width(1.2)
    ctx.stroke()
    for cx, cy in ((22, 22), (w - 22, 22), (22, h - 22), (w - 22, h - 22)):
        rivet(ctx, cx, cy, 3.2)
    nine_slice(surf, folder, "win", 40, 40, 40, 40)


def rivet(ctx, cx, cy, r):
    grad = cairo.RadialGradient(cx - r / 3, cy - r / 3, 0, cx, cy, r)
    grad.add_color_stop_rgb(0, *BRASS_LIGHT)
    grad.add_color_stop_rgb(0.6, *BRASS)
    grad.add_color_stop_rgb(1, *BRASS_DARK)
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.set_source(grad)
    ctx.fill()


def button_skin(folder):
    """A sea-blue lozenge with a brass rim and a gloss on its upper half."""
    w, h = 180, 96
    x0, y0, x1, y1 = 7, 14, w - 7, 82
    surf = surface(w, h)
    ctx = cairo.Context(surf)
    for grow, alpha in ((5, 0.12), (3, 0.2), (1.5, 0.25)):
        rounded_rect(ctx, x0 - grow / 2, y0 + 3 - grow / 2, x1 - x0 + grow, y1 - y0 + grow, 17)
        ctx.set_source_rgba(0, 0, 0, alpha)
        ctx.fill()
    rounded_rect(ctx, x0, y0, x1 - x0, y1 - y0, 16)
    ctx.set_source(vertical(y0, y1, (0.196, 0.463, 0.694), (0.110, 0.325, 0.545),
                            (0.063, 0.220, 0.392)))
    ctx.fill()
    rounded_rect(ctx, x0 + 4, y0 + 3, x1 - x0 - 8, (y1 - y0) * 0.45, 12)
    ctx.set_source(vertical(y0 + 3, y0 + 3 + (y1 - y0) * 0.45, (1, 1, 1, 0.24), (1, 1, 1, 0.04)))
    ctx.fill()
    rounded_rect(ctx, x0, y0, x1 - x0, y1 - y0, 16)
    ctx.set_source_rgba(*BRASS_DARK, 1)
    ctx.set_line_width(4.5)
    ctx.stroke()
    rounded_rect(ctx, x0, y0, x1 - x0, y1 - y0, 16)
    ctx.set_source(brass(y0, y1))
    ctx.set_line_width(2.5)
    ctx.stroke()
    nine_slice(surf, folder, "btn", 32, 36, 32, 36)


def input_skin(folder):
    """A light parchment field with a brass edge; transparent above and below it."""
    w, h = 510, 100
    x0, y0, x1, y1 = 28, 28, w - 28, 76
    surf = surface(w, h)
    ctx = cairo.Context(surf)
    rounded_rect(ctx, x0 - 1, y0 + 1, x1 - x0 + 2, y1 - y0 + 2, 11)
    ctx.set_source_rgba(0, 0, 0, 0.35)
    ctx.fill()
    rounded_rect(ctx, x0, y0, x1 - x0, y1 - y0, 10)
    ctx.set_source(vertical(y0, y1, PARCHMENT_DARK, PARCHMENT, PARCHMENT))
    ctx.fill()
    # Inner shade along the top edge, so the field looks sunk into the panel.
    ctx.save()
    rounded_rect(ctx, x0, y0, x1 - x0, y1 - y0, 10)
    ctx.clip()
    ctx.rectangle(x0, y0, x1 - x0, 6)
    ctx.set_source(vertical(y0, y0 + 6, (0, 0, 0, 0.18), (0, 0, 0, 0)))
    ctx.fill()
    ctx.restore()
    rounded_rect(ctx, x0, y0, x1 - x0, y1 - y0, 10)
    ctx.set_source(brass(y0, y1))
    ctx.set_line_width(2.5)
    ctx.stroke()
    nine_slice(surf, folder, "input", 40, 40, 40, 40)


def checkbox(folder, on):
    surf = surface(88, 88)
    ctx = cairo.Context(surf)
    x0, size = 20, 48
    rounded_rect(ctx, x0, x0 + 2, size, size, 9)
    ctx.set_source_rgba(0, 0, 0, 0.35)
    ctx.fill()
    rounded_rect(ctx, x0, x0, size, size, 9)
    ctx.set_source(vertical(x0, x0 + size, PARCHMENT_DARK, PARCHMENT))
    ctx.fill()
    rounded_rect(ctx, x0, x0, size, size, 9)
    ctx.set_source(brass(x0, x0 + size))
    ctx.set_line_width(3)
    ctx.stroke()
    if on:
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        ctx.set_line_join(cairo.LINE_JOIN_ROUND)
        for width, colour in ((12, (*SAIL, 1)), (7.5, (*SEA, 1))):
            ctx.move_to(30, 45)
            ctx.line_to(41, 57)
            ctx.line_to(64, 25)
            ctx.set_source_rgba(*colour)
            ctx.set_line_width(width)
            ctx.stroke()
    save(surf, folder, "checkbox-on.png" if on else "checkbox-off.png")


def round_button(light, middle, dark):
    """A 49 x 48 disc with a shadow and a brass rim, filled with a radial gradient; returns
    the surface, its context and the disc's centre and radius."""
    surf = surface(49, 48)
    ctx = cairo.Context(surf)
    cx, cy, r = 24.5, 23.5, 19
    ctx.arc(cx, cy + 2, r + 2, 0, 2 * math.pi)
    ctx.set_source_rgba(0, 0, 0, 0.35)
    ctx.fill()
    ctx.arc(cx, cy, r + 2, 0, 2 * math.pi)
    ctx.set_source(brass(cy - r, cy + r))
    ctx.fill()
    grad = cairo.RadialGradient(cx - 5, cy - 7, 2, cx, cy, r)
    grad.add_color_stop_rgb(0, *light)
    grad.add_color_stop_rgb(0.6, *middle)
    grad.add_color_stop_rgb(1, *dark)
    ctx.arc(cx, cy, r - 1, 0, 2 * math.pi)
    ctx.set_source(grad)
    ctx.fill()
    return surf, ctx, cx, cy, r


def close_button(folder):
    surf, ctx, cx, cy, r = round_button((0.929, 0.373, 0.333), SIGNAL_RED, (0.502, 0.071, 0.071))
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    for width, colour in ((6.5, (0.35, 0.04, 0.04, 0.6)), (4.2, (*SAIL, 1))):
        d = 7.5
        ctx.move_to(cx - d, cy - d)
        ctx.line_to(cx + d, cy + d)
        ctx.move_to(cx + d, cy - d)
        ctx.line_to(cx - d, cy + d)
        ctx.set_source_rgba(*colour)
        ctx.set_line_width(width)
        ctx.stroke()
    save(surf, folder, "close-btn.png")


def route_button(folder):
    """The router's button: the close button's brass disc in sea blue, with an orange
    course zigzagging from a boat's dot to a mark."""
    surf, ctx, cx, cy, r = round_button(SEA_LIGHT, SEA, NAVY_DARK)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    course = ((14, 33), (22, 25), (19, 19), (28, 14), (34, 14))
    for width, colour in ((5, (0.2, 0.1, 0.0, 0.5)), (3, (1.0, 0.55, 0.0, 1))):
        ctx.move_to(*course[0])
        for point in course[1:]:
            ctx.line_to(*point)
        ctx.set_source_rgba(*colour)
        ctx.set_line_width(width)
        ctx.stroke()
    ctx.arc(14, 33, 3, 0, 2 * math.pi)
    ctx.set_source_rgba(*SAIL, 1)
    ctx.fill()
    ctx.arc(34, 14, 3, 0, 2 * math.pi)
    ctx.set_source_rgb(*SIGNAL_RED)
    ctx.fill()
    save(surf, folder, "route-btn.png")


def keyboard(folder):
    surf = surface(40, 28)
    ctx = cairo.Context(surf)
    rounded_rect(ctx, 1, 2, 38, 25, 4)
    ctx.set_source(vertical(2, 27, SEA, NAVY))
    ctx.fill_preserve()
    ctx.set_source_rgb(*NAVY_DARK)
    ctx.set_line_width(1.2)
    ctx.stroke()
    ctx.set_source_rgba(*SAIL, 0.92)
    for row, count in enumerate((9, 8)):
        offset = 5 + row * 2
        for i in range(count):
            ctx.rectangle(offset + i * 3.5, 6 + row * 5.5, 2.4, 3.4)
    ctx.rectangle(11, 18.5, 18, 3.4)
    ctx.fill()
    save(surf, folder, "keyboard.png")


def window_icon(folder):
    """The window icon: a white sailing boat on a round patch of sea."""
    surf = surface(64, 64)
    sailing_boat(cairo.Context(surf))
    save(surf, folder, "sail_boat.png")


def desktop_icons(folder):
    """The window icon's picture at the desktop's icon sizes, laid out as an icon theme."""
    for size in (48, 128, 256):
        surf = surface(size, size)
        ctx = cairo.Context(surf)
        ctx.scale(size / 64, size / 64)
        sailing_boat(ctx)
        apps = os.path.join(folder, "hicolor", f"{size}x{size}", "apps")
        os.makedirs(apps, exist_ok=True)
        save(surf, apps, "tidewake.png")


def sailing_boat(ctx):
    """Draws the boat on its patch of sea into a 64 by 64 square."""
    ctx.arc(32, 32, 30, 0, 2 * math.pi)
    ctx.set_source(vertical(2, 62, SEA_LIGHT, SEA, NAVY))
    ctx.fill_preserve()
    ctx.set_source(brass(2, 62))
    ctx.set_line_width(3)
    ctx.stroke()
    ctx.set_source_rgb(*SAIL)
    ctx.move_to(31, 9)
    ctx.curve_to(38, 20, 43, 32, 46, 42)
    ctx.line_to(31, 42)
    ctx.close_path()
    ctx.fill()
    ctx.move_to(28, 14)
    ctx.curve_to(24, 24, 20, 34, 17, 42)
    ctx.line_to(28, 42)
    ctx.close_path()
    ctx.fill()
    ctx.set_source_rgb(*BRASS_DARK)
    ctx.rectangle(29.2, 8, 1.8, 36)
    ctx.fill()
    ctx.move_to(13, 45)
    ctx.line_to(51, 45)
    ctx.line_to(46, 52)
    ctx.line_to(18, 52)
    ctx.close_path()
    ctx.set_source_rgb(*SIGNAL_RED)
    ctx.fill()
    ctx.set_source_rgba(*SAIL, 0.7)
    ctx.set_line_width(1.5)
    ctx.move_to(10, 56)
    ctx.curve_to(20, 53, 26, 58, 32, 55)
    ctx.curve_to(38, 52, 44, 58, 54, 55)
    ctx.stroke()


def make_all(folder):
    window_skin(folder)
    button_skin(folder)
    input_skin(folder)
    checkbox(folder, True)
    checkbox(folder, False)
    close_button(folder)
    route_button(folder)
    keyboard(folder)
    window_icon(folder)
