"""Pictures drawn over the chart: boats, flag, wind arrow, compass rose and its panel."""

import math

import cairo

from draw import (BRASS, BRASS_DARK, BRASS_LIGHT, NAVY, NAVY_DARK, PARCHMENT, PARCHMENT_DARK,
                  SAIL, SEA, SEA_LIGHT, SIGNAL_GREEN, SIGNAL_RED, brass, rounded_rect, save,
                  surface, text_centred, vertical)


def hull_path(ctx, cx, bow, stern, beam, transom):
    half = beam / 2
    ctx.move_to(cx, bow)
    ctx.curve_to(cx + half * 0.55, bow + 6, cx + half, bow + (stern - bow) * 0.35,
                 cx + half, bow + (stern - bow) * 0.6)
    ctx.curve_to(cx + half, stern - 8, cx + transom / 2 + 1, stern - 2, cx + transom / 2, stern)
    ctx.line_to(cx - transom / 2, stern)
    ctx.curve_to(cx - transom / 2 - 1, stern - 2, cx - half, stern - 8,
                 cx - half, bow + (stern - bow) * 0.6)
    ctx.curve_to(cx - half, bow + (stern - bow) * 0.35, cx - half * 0.55, bow + 6, cx, bow)
    ctx.close_path()


def boat(folder, name, colour):
    """A sailing yacht seen from above, bow up, on a transparent background."""
    surf = surface(64, 64)
    ctx = cairo.Context(surf)
    cx, bow, stern, beam, transom = 32, 5, 55, 21, 15
    ctx.save()
    ctx.translate(1.5, 2)
    hull_path(ctx, cx, bow, stern, beam + 2, transom + 2)
    ctx.set_source_rgba(0, 0, 0, 0.3)
    ctx.fill()
    ctx.restore()
    light = tuple(min(1.0, c * 1.35 + 0.12) for c in colour)
    dark = tuple(c * 0.55 for c in colour)
    hull_path(ctx, cx, bow, stern, beam, transom)
    grad = cairo.LinearGradient(cx - beam / 2, 0, cx + beam / 2, 0)
    grad.add_color_stop_rgb(0, *dark)
    grad.add_color_stop_rgb(0.35, *colour)
    grad.add_color_stop_rgb(0.65, *light)
    grad.add_color_stop_rgb(1, *dark)
    ctx.set_source(grad)
    ctx.fill_preserve()
    ctx.set_source_rgb(*NAVY_DARK)
    ctx.set_line_width(1.3)
    ctx.stroke()
    # Cabin roof, cockpit and mast.
    rounded_rect(ctx, cx - 5.5, 22, 11, 14, 4)
    ctx.set_source_rgb(*SAIL)
    ctx.fill_preserve()
    ctx.set_source_rgba(*NAVY_DARK, 0.6)
    ctx.set_line_width(0.8)
    ctx.stroke()
    rounded_rect(ctx, cx - 5, 41, 10, 10, 2.5)
    ctx.set_source_rgb(0.62, 0.42, 0.22)
    ctx.fill()
    # Jib from the bow and the mainsail along the boom, both filled by the wind.
    ctx.move_to(cx, bow + 3)
    ctx.curve_to(cx - 4, 12, cx - 6, 17, cx - 5, 22)
    ctx.line_to(cx - 1, 21)
    ctx.close_path()
    ctx.set_source_rgba(*SAIL, 0.95)
    ctx.fill_preserve()
    ctx.set_source_rgba(*NAVY_DARK, 0.7)
    ctx.set_line_width(0.8)
    ctx.stroke()
    ctx.move_to(cx, 21)
    ctx.curve_to(cx - 7, 30, cx - 10, 40, cx - 10, 50)
    ctx.line_to(cx - 7.5, 50.5)
    ctx.curve_to(cx - 6, 40, cx - 3, 30, cx + 0.5, 22)
    ctx.close_path()
    ctx.set_source_rgba(*SAIL, 0.97)
    ctx.fill_preserve()
    ctx.set_source_rgba(*NAVY_DARK, 0.8)
    ctx.stroke()
    ctx.arc(cx, 21, 1.8, 0, 2 * math.pi)
    ctx.set_source_rgb(*NAVY_DARK)
    ctx.fill()
    save(surf, folder, name)


def flag(folder):
    """A red race-mark flag whose pole ends in the bottom-left corner."""
    w, h = 30, 40
    surf = surface(w, h)
    ctx = cairo.Context(surf)
    ctx.move_to(3, 3)
    ctx.curve_to(11, 0, 18, 6, 28, 3)
    ctx.line_to(23, 11)
    ctx.line_to(28, 19)
    ctx.curve_to(18, 22, 11, 16, 3, 19)
    ctx.close_path()
    grad = cairo.LinearGradient(3, 0, 28, 0)
    grad.add_color_stop_rgb(0, 0.55, 0.05, 0.05)
    grad.add_color_stop_rgb(0.4, *SIGNAL_RED)
    grad.add_color_stop_rgb(0.7, 0.93, 0.33, 0.3)
    grad.add_color_stop_rgb(1, 0.72, 0.12, 0.12)
    ctx.set_source(grad)
    ctx.fill_preserve()
    ctx.set_source_rgba(*NAVY_DARK, 0.8)
    ctx.set_line_width(1)
    ctx.stroke()
    ctx.move_to(6, 8)
    ctx.curve_to(11, 6.5, 15, 10, 20, 8.5)
    ctx.move_to(6, 13.5)
    ctx.curve_to(11, 12, 15, 15.5, 20, 14)
    ctx.set_source_rgba(*SAIL, 0.85)
    ctx.set_line_width(1.6)
    ctx.stroke()
    ctx.rectangle(0.5, 2, 3, h - 2)
    ctx.set_source(vertical(0, h, BRASS_LIGHT, BRASS, BRASS_DARK))
    ctx.fill_preserve()
    ctx.set_source_rgba(*NAVY_DARK, 0.8)
    ctx.set_line_width(0.8)
    ctx.stroke()
    ctx.arc(2, 2.5, 2.2, 0, 2 * math.pi)
    ctx.set_source_rgb(*BRASS_LIGHT)
    ctx.fill()
    save(surf, folder, "flag-red.png")


def wind_arrow(folder):
    """White arrow with a navy edge pointing down: drawn rotated by the wind's origin."""
    w, h = 24, 48
    surf = surface(w, h)
    ctx = cairo.Context(surf)
    cx = w / 2
    ctx.move_to(cx - 2.5, 3)
    ctx.line_to(cx + 2.5, 3)
    ctx.line_to(cx + 3.2, 28)
    ctx.line_to(cx + 10, 27)
    ctx.line_to(cx, 46)
    ctx.line_to(cx - 10, 27)
    ctx.line_to(cx - 3.2, 28)
    ctx.close_path()
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.set_source_rgba(*NAVY_DARK, 0.9)
    ctx.set_line_width(2.4)
    ctx.stroke_preserve()
    ctx.set_source(vertical(3, 46, (*SAIL, 0.75), (1, 1, 1, 0.97)))
    ctx.fill()
    save(surf, folder, "wind-arrow.png")


def compass(folder):
    """A compass rose: a brass ring (radius 105-145) to drag, a light plate for the texts
    and a clear porthole in the middle through which the own boat shows."""
    size, c = 300, 150
    surf = surface(size, size)
    ctx = cairo.Context(surf)
    outer, inner = 147, 104
    ctx.arc(c, c + 2, outer + 1, 0, 2 * math.pi)
    ctx.set_source_rgba(0, 0, 0, 0.3)
    ctx.fill()
    # Light card inside the ring with a hole for the boat.
    ctx.set_fill_rule(cairo.FILL_RULE_EVEN_ODD)
    ctx.arc(c, c, inner, 0, 2 * math.pi)
    ctx.new_sub_path()
    ctx.arc(c, c, 36, 0, 2 * math.pi)
    grad = cairo.RadialGradient(c, c, 36, c, c, inner)
    grad.add_color_stop_rgba(0, *PARCHMENT, 0.55)
    grad.add_color_stop_rgba(0.4, *PARCHMENT, 0.88)
    grad.add_color_stop_rgba(1, *PARCHMENT_DARK, 0.95)
    ctx.set_source(grad)
    ctx.fill()
    ctx.set_fill_rule(cairo.FILL_RULE_WINDING)
    rose(ctx, c)
    ctx.arc(c, c, 36, 0, 2 * math.pi)
    ctx.set_source(brass(c - 36, c + 36))
    ctx.set_line_width(2.5)
    ctx.stroke()
    # The brass ring.
    ctx.set_fill_rule(cairo.FILL_RULE_EVEN_ODD)
    ctx.arc(c, c, outer, 0, 2 * math.pi)
    ctx.new_sub_path()
    ctx.arc(c, c, inner, 0, 2 * math.pi)
    grad = cairo.LinearGradient(c - outer, c - outer, c + outer, c + outer)
    grad.add_color_stop_rgb(0, *BRASS_LIGHT)
    grad.add_color_stop_rgb(0.45, *BRASS)
    grad.add_color_stop_rgb(0.7, 0.62, 0.47, 0.18)
    grad.add_color_stop_rgb(1, *BRASS_LIGHT)
    ctx.set_source(grad)
    ctx.fill()
    ctx.set_fill_rule(cairo.FILL_RULE_WINDING)
    for r, width in ((outer - 0.8, 1.6), (inner + 0.8, 1.6), (outer - 13, 0.8)):
        ctx.arc(c, c, r, 0, 2 * math.pi)
        ctx.set_source_rgba(*BRASS_DARK, 1)
        ctx.set_line_width(width)
        ctx.stroke()
    for degree in range(0, 360, 5):
        length = 11 if degree % 10 == 0 else 6
        a = math.radians(degree)
        ctx.move_to(c + math.sin(a) * (outer - 2), c - math.cos(a) * (outer - 2))
        ctx.line_to(c + math.sin(a) * (outer - 2 - length), c - math.cos(a) * (outer - 2 - length))
    ctx.set_source_rgb(*NAVY_DARK)
    ctx.set_line_width(1.3)
    ctx.stroke()
    for degree in range(0, 360, 30):
        a = math.radians(degree)
        x, y = c + math.sin(a) * 120, c - math.cos(a) * 120
        label = {0: "N", 90: "E", 180: "S", 270: "W"}.get(degree)
        if label:
            text_centred(ctx, label, x, y, 20, SIGNAL_RED if label == "N" else NAVY_DARK)
        else:
            ctx.save()
            ctx.translate(x, y)
            ctx.rotate(a)
            text_centred(ctx, str(degree), 0, 0, 11, NAVY_DARK)
            ctx.restore()
    # Grip dots between the numbers hint that the ring turns.
    for degree in range(15, 360, 30):
        a = math.radians(degree)
        ctx.arc(c + math.sin(a) * 120, c - math.cos(a) * 120, 2.2, 0, 2 * math.pi)
        ctx.set_source_rgba(*BRASS_DARK, 0.9)
        ctx.fill()
    # Plate behind the heading and speed texts (drawn at y 60 and 80).
    rounded_rect(ctx, 104, 58, 92, 42, 8)
    ctx.set_source_rgba(*PARCHMENT, 0.97)
    ctx.fill_preserve()
    ctx.set_source_rgba(*BRASS_DARK, 0.7)
    ctx.set_line_width(1)
    ctx.stroke()
    save(surf, folder, "compas.png")


def rose(ctx, c):
    """Faint compass-rose points on the card, kept pale so black text stays readable."""
    for degree in range(0, 360, 45):
        a = math.radians(degree)
        length = 100 if degree % 90 == 0 else 70
        for side, shade in ((-1, 0.16), (1, 0.3)):
            ctx.move_to(c + math.sin(a) * 38, c - math.cos(a) * 38)
            ctx.line_to(c + math.sin(a) * length, c - math.cos(a) * length)
            b = a + side * math.radians(8)
            ctx.line_to(c + math.sin(b) * 44, c - math.cos(b) * 44)
            ctx.close_path()
            ctx.set_source_rgba(*SEA, shade)
            ctx.fill()


def bracket(folder, right):
    """One side of the boat panel: a brass-rimmed plate for two buttons and a stay
    reaching towards the compass ring."""
    w, h = 70, 300
    surf = surface(w, h)
    ctx = cairo.Context(surf)
    if right:
        ctx.translate(w, 0)
        ctx.scale(-1, 1)
    # The stay: a brass rod along the outer side and a strut to the ring.
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    for width, source in ((7, (*BRASS_DARK, 1)), (4, None)):
        ctx.move_to(12, 110)
        ctx.line_to(12, 258)
        ctx.curve_to(12, 272, 20, 280, 34, 282)
        ctx.move_to(12, 150)
        ctx.line_to(68, 150)
        if source:
            ctx.set_source_rgba(*source)
        else:
            ctx.set_source(brass(100, 290))
        ctx.set_line_width(width)
        ctx.stroke()
    for y in (150, 258):
        ctx.arc(12, y, 4.5, 0, 2 * math.pi)
        ctx.set_source(brass(y - 5, y + 5))
        ctx.fill()
    rounded_rect(ctx, 1.5, 2, 64, 114, 12)
    ctx.set_source(vertical(2, 116, (0.086, 0.227, 0.392, 0.94), (*NAVY_DARK, 0.94)))
    ctx.fill_preserve()
    ctx.set_source_rgba(*BRASS_DARK, 1)
    ctx.set_line_width(4)
    ctx.stroke()
    rounded_rect(ctx, 1.5, 2, 64, 114, 12)
    ctx.set_source(brass(2, 116))
    ctx.set_line_width(2)
    ctx.stroke()
    save(surf, folder, "bracket-right.png" if right else "bracket-left.png")


def panel_button(ctx, on, body_top, body_bottom):
    """The 50x44 body shared by the sail and apply/cancel buttons."""
    rounded_rect(ctx, 2, 3, 46, 40, 8)
    ctx.set_source_rgba(0, 0, 0, 0.35)
    ctx.fill()
    rounded_rect(ctx, 2, 1.5, 46, 40, 8)
    ctx.set_source(vertical(1.5, 41.5, body_top, body_bottom))
    ctx.fill()
    if on:
        rounded_rect(ctx, 5, 4, 40, 16, 6)
        ctx.set_source(vertical(4, 20, (1, 1, 1, 0.35), (1, 1, 1, 0.05)))
        ctx.fill()
    rounded_rect(ctx, 2, 1.5, 46, 40, 8)
    if on:
        ctx.set_source(brass(1.5, 41.5))
        ctx.set_line_width(2.5)
    else:
        ctx.set_source_rgba(0.35, 0.42, 0.5, 1)
        ctx.set_line_width(1.5)
    ctx.stroke()


def sail_button(folder, kind, on):
    surf = surface(50, 44)
    ctx = cairo.Context(surf)
    if on:
        panel_button(ctx, True, SEA_LIGHT, SEA)
        sail, mast = (*SAIL, 1), (*NAVY_DARK, 1)
    else:
        panel_button(ctx, False, (0.11, 0.17, 0.25), (0.07, 0.11, 0.17))
        sail, mast = (0.45, 0.52, 0.6, 1), (0.3, 0.35, 0.42, 1)
    ctx.set_source_rgba(*mast)
    ctx.rectangle(27, 6, 1.8, 30)
    ctx.fill()
    ctx.move_to(12, 36)
    ctx.line_to(39, 36)
    ctx.line_to(36, 39)
    ctx.line_to(15, 39)
    ctx.close_path()
    ctx.fill()
    ctx.set_source_rgba(*sail)
    if kind == "jib":
        # A small triangular headsail ahead of the mast and the mainsail behind it.
        ctx.move_to(26, 7)
        ctx.curve_to(22, 16, 17, 26, 13, 33)
        ctx.line_to(26, 33)
        ctx.close_path()
        ctx.fill()
        ctx.move_to(29.5, 8)
        ctx.line_to(37, 33)
        ctx.line_to(29.5, 33)
        ctx.close_path()
        ctx.fill()
    else:
        # A full, rounded spinnaker billowing ahead of the mast.
        ctx.move_to(26, 6)
        ctx.curve_to(6, 10, 4, 28, 14, 34)
        ctx.line_to(26, 34)
        ctx.close_path()
        ctx.fill()
        ctx.set_source_rgba(*(SIGNAL_RED if on else (0.35, 0.38, 0.45)), 1)
        ctx.move_to(26, 14)
        ctx.curve_to(16, 16, 11, 22, 11, 28)
        ctx.line_to(13.5, 31)
        ctx.curve_to(14, 25, 18, 20, 26, 19)
        ctx.close_path()
        ctx.fill()
        ctx.set_source_rgba(*sail)
        ctx.move_to(29.5, 8)
        ctx.line_to(36, 33)
        ctx.line_to(29.5, 33)
        ctx.close_path()
        ctx.fill()
    save(surf, folder, f"sails-{kind}-{'on' if on else 'off'}.png")


def apply_button(folder):
    surf = surface(50, 44)
    ctx = cairo.Context(surf)
    panel_button(ctx, True, (0.27, 0.74, 0.4), (0.09, 0.45, 0.2))
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    for width, colour in ((7, (0.03, 0.25, 0.1, 0.6)), (4.5, (*SAIL, 1))):
        ctx.move_to(15, 22)
        ctx.line_to(22, 30)
        ctx.line_to(35, 12)
        ctx.set_source_rgba(*colour)
        ctx.set_line_width(width)
        ctx.stroke()
    save(surf, folder, "btn-apply.png")


def cancel_button(folder):
    surf = surface(50, 44)
    ctx = cairo.Context(surf)
    panel_button(ctx, True, (0.9, 0.35, 0.32), (0.6, 0.09, 0.09))
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    for width, colour in ((7, (0.3, 0.03, 0.03, 0.6)), (4.5, (*SAIL, 1))):
        ctx.move_to(17, 13)
        ctx.line_to(33, 29)
        ctx.move_to(33, 13)
        ctx.line_to(17, 29)
        ctx.set_source_rgba(*colour)
        ctx.set_line_width(width)
        ctx.stroke()
    save(surf, folder, "btn-cancel.png")


def hour_marker(folder, hours):
    surf = surface(32, 32)
    ctx = cairo.Context(surf)
    ctx.arc(16, 17, 14, 0, 2 * math.pi)
    ctx.set_source_rgba(0, 0, 0, 0.3)
    ctx.fill()
    ctx.arc(16, 16, 13.5, 0, 2 * math.pi)
    ctx.set_source(vertical(2, 30, SAIL, PARCHMENT_DARK))
    ctx.fill_preserve()
    ctx.set_source_rgb(*NAVY)
    ctx.set_line_width(2.5)
    ctx.stroke()
    text_centred(ctx, str(hours), 16, 16, 15, NAVY_DARK)
    save(surf, folder, f"s{hours}.png")


def make_all(folder):
    boat(folder, "boat-green.png", SIGNAL_GREEN)
    boat(folder, "boat-red.png", SIGNAL_RED)
    flag(folder)
    wind_arrow(folder)
    compass(folder)
    bracket(folder, False)
    bracket(folder, True)
    for kind in ("jib", "spinnaker"):
        sail_button(folder, kind, True)
        sail_button(folder, kind, False)
    apply_button(folder)
    cancel_button(folder)
    hour_marker(folder, 12)
    hour_marker(folder, 24)
