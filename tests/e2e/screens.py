"""Recognises the client's screens in a screenshot of a 1024x768 display.

Every lobby screen and dialog is one gold-framed window centred on the background picture,
so a screen is known by where the frame of its window runs; the race screen by the yellow
wind tape along its bottom edge."""

from xdisplay import HEIGHT, WIDTH

# Rectangles of the windows (x, y, width, height), centred on the display.
LOGIN = ((WIDTH - 600) // 2, (HEIGHT - 460) // 2, 600, 460)
REGISTRATION = ((WIDTH - 600) // 2, (HEIGHT - 530) // 2, 600, 530)
MESSAGE_BOX = ((WIDTH - 800) // 2, (HEIGHT - 250) // 2, 800, 250)
WAIT_DIALOG = ((WIDTH - 600) // 2, (HEIGHT - 250) // 2, 600, 250)


def selector(races):
    """The race selector's window; taller than the display from three races on."""
    height = 250 * races + 110
    return ((WIDTH - 1000) // 2, int((HEIGHT - height) / 2), 1000, height)


def at(window, x, y):
    """A point given inside a window, on the display."""
    return window[0] + x, window[1] + y


def is_gold(pixel):
    r, g, b = pixel
    return r > 100 and r - b > 60 and g > b


def _gold_share(shot, points):
    points = [(x, y) for x, y in points if 0 <= x < shot.width and 0 <= y < shot.height]
    if not points:
        return None
    return sum(1 for x, y in points if is_gold(shot.pixel(x, y))) / len(points)


def has_window(shot, window):
    """Whether the frame of a window runs along all its sides that lie on the display. The
    frame is six pixels wide, two pixels inside the window's rectangle; the close button
    covers the top side's right part."""
    x, y, w, h = window
    top = [(px, y + 4) for px in range(x + 30, x + min(w - 30, 480), 8)]
    bottom = [(px, y + h - 5) for px in range(x + 30, x + w - 30, 8)]
    left = [(x + 4, py) for py in range(y + 30, y + h - 30, 8)]
    right = [(x + w - 5, py) for py in range(y + 30, y + h - 30, 8)]
    shares = [s for s in (_gold_share(shot, side) for side in (top, bottom, left, right)) if s is not None]
    return len(shares) >= 2 and min(shares) >= 0.9


def is_wind_tape(pixel):
    r, g, b = pixel
    return r > 180 and g > 200 and b < 80


def has_race_screen(shot):
    """The race screen's wind tape fills the bottom 50 rows; its last rows carry no marks."""
    row = [shot.pixel(x, HEIGHT - 3) for x in range(2, WIDTH - 2, 16)]
    return sum(1 for p in row if is_wind_tape(p)) >= 0.9 * len(row)


def identify(shot, races=3):
    """The name of the screen shown, or None."""
    if has_race_screen(shot):
        return "race"
    candidates = [("login", LOGIN), ("registration", REGISTRATION), ("message", MESSAGE_BOX),
                  ("wait", WAIT_DIALOG), ("selector", selector(races))]
    found = [name for name, window in candidates if has_window(shot, window)]
    return found[0] if len(found) == 1 else None


def light_share(shot, skip):
    """Share of a grid of map points, outside the rectangle `skip`, that show a light tile
    rather than the dark sea picture behind the map."""
    sx, sy, sw, sh = skip
    points = [(x, y) for y in range(160, HEIGHT - 60, 24) for x in range(8, WIDTH - 8, 24)
              if not (sx <= x < sx + sw and sy <= y < sy + sh)]
    return sum(1 for x, y in points if sum(shot.pixel(x, y)) > 480) / len(points)


def ink(shot, box):
    """The pixels of dark text in a rectangle: darker than a third of the brightest pixel of
    their column, so that the same text gives the same pixels over a light chart tile or the
    dark sea picture."""
    x0, y0, w, h = box
    pixels = set()
    for x in range(x0, x0 + w):
        column = [max(shot.pixel(x, y)) for y in range(y0, y0 + h)]
        background = max(column)
        pixels |= {(x, y0 + i) for i, value in enumerate(column) if value < 0.35 * background}
    return pixels


def same_text(a, b):
    """Whether two ink sets show the same text; one changed character moves dozens of pixels."""
    return len(a ^ b) <= 10


def other_text(a, b):
    return len(a ^ b) > 25


def text_end(shot, box):
    """The rightmost column of white text in a rectangle, or None when it holds none: the
    dialogs' texts are white on blue."""
    x0, y0, w, h = box
    for x in range(x0 + w - 1, x0 - 1, -1):
        if any(min(shot.pixel(x, y)) > 200 for y in range(y0, y0 + h)):
            return x
    return None
