"""Mock screens assembled from the generated images the way the program lays them out,
for judging the look without building the game:

    /usr/bin/python3 tools/make-data/preview.py data/images OUT_FOLDER
"""

import os
import sys

sys.dont_write_bytecode = True

import cairo  # noqa: E402

from draw import FONT, rgba  # noqa: E402

PIECES = ["left-top", "middle-top", "right-top", "left-center", "middle-center",
          "right-center", "left-bottom", "middle-bottom", "right-bottom"]


class Sheet:
    def __init__(self, images, width, height):
        self.images = images
        self.surf = cairo.ImageSurface(cairo.FORMAT_RGB24, width, height)
        self.ctx = cairo.Context(self.surf)
        self.width, self.height = width, height

    def image(self, name):
        return cairo.ImageSurface.create_from_png(os.path.join(self.images, name))

    def blit(self, img, x, y, w=None, h=None, alpha=1.0):
        w = img.get_width() if w is None else w
        h = img.get_height() if h is None else h
        if w <= 0 or h <= 0:
            return
        ctx = self.ctx
        ctx.save()
        ctx.translate(x, y)
        ctx.scale(w / img.get_width(), h / img.get_height())
        ctx.set_source_surface(img, 0, 0)
        ctx.get_source().set_filter(cairo.FILTER_BILINEAR)
        ctx.get_source().set_extend(cairo.EXTEND_PAD)
        ctx.rectangle(0, 0, img.get_width(), img.get_height())
        ctx.clip()
        ctx.paint_with_alpha(alpha)
        ctx.restore()

    def skin(self, base, x, y, w, h):
        p = {name: self.image(f"{base}-{name}.png") for name in PIECES}
        size = {name: (s.get_width(), s.get_height()) for name, s in p.items()}
        lt, rt, lb, rb = size["left-top"], size["right-top"], size["left-bottom"], size["right-bottom"]
        self.blit(p["left-top"], x, y)
        self.blit(p["right-top"], x + w - rt[0], y)
        self.blit(p["middle-top"], x + lt[0], y, w - rt[0] - lt[0], size["middle-top"][1])
        self.blit(p["left-bottom"], x, y + h - lb[1])
        self.blit(p["right-bottom"], x + w - rb[0], y + h - rb[1])
        self.blit(p["middle-bottom"], x + lb[0], y + h - size["middle-bottom"][1],
                  w - rb[0] - lb[0], size["middle-bottom"][1])
        self.blit(p["left-center"], x, y + lt[1], size["left-center"][0], h - lb[1] - lt[1])
        self.blit(p["right-center"], x + w - size["right-center"][0], y + rt[1],
                  size["right-center"][0], h - rb[1] - rt[1])
        self.blit(p["middle-center"], x + size["left-center"][0], y + size["middle-top"][1],
                  w - size["right-center"][0] - size["left-center"][0],
                  h - size["middle-bottom"][1] - size["middle-top"][1])

    def text(self, text, x, y, colour=(1, 1, 1), size=20):
        ctx = self.ctx
        ctx.select_font_face(FONT, cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
        ctx.set_font_size(size)
        ascent = ctx.font_extents()[0]
        ctx.move_to(x, y + ascent)
        ctx.set_source_rgba(*rgba(colour))
        ctx.show_text(text)

    def text_size(self, text, size=20):
        self.ctx.select_font_face(FONT, cairo.FONT_SLANT_NORMAL, cairo.FONT_WEIGHT_BOLD)
        self.ctx.set_font_size(size)
        ascent, descent = self.ctx.font_extents()[:2]
        return self.ctx.text_extents(text).x_advance, ascent + descent

    def background(self):
        img = cairo.ImageSurface.create_from_png(os.path.join(self.scratch, "background.png"))
        r = self.width / self.height
        tw, th = img.get_width(), img.get_height()
        if tw / th > r:
            sw = int(th * r)
            self.ctx.save()
            self.ctx.scale(self.width / sw, self.height / th)
            self.ctx.set_source_surface(img, -(tw - sw) // 2, 0)
        else:
            sh = int(tw / r)
            self.ctx.save()
            self.ctx.scale(self.width / tw, self.height / sh)
            self.ctx.set_source_surface(img, 0, -(th - sh) // 2)
        self.ctx.paint()
        self.ctx.restore()

    def button(self, label, x, y, w=180, h=96):
        self.skin("btn", x, y, w, h)
        tw, th = self.text_size(label)
        self.text(label, x + (w - tw) // 2, y + (h - th) // 2 - 2)

    def input_line(self, text, x, y, focused=False, w=510, h=100):
        self.skin("input", x, y, w, h)
        _, th = self.text_size(text or "M")
        if text:
            self.text(text, x + 50, y + (h - th) // 2, (0, 0, 0))
        if focused:
            tw, _ = self.text_size(text)
            c = x + 50 + tw
            self.ctx.rectangle(c - 1, y + 40, 3, 24)
            self.ctx.set_source_rgb(0, 0, 0)
            self.ctx.fill()
        kb = self.image("keyboard.png")
        self.blit(kb, x + w - 50 - kb.get_width(), y + (h - kb.get_height()) // 2 + 1)

    def save(self, path):
        self.surf.write_to_png(path)


def login(images, scratch, out, width, height):
    s = Sheet(images, width, height)
    s.scratch = scratch
    s.background()
    wx, wy = (width - 600) // 2, (height - 460) // 2
    s.skin("win", wx, wy, 600, 460)
    s.input_line("skipper@harbour.example", wx + 45, wy + 50, focused=True)
    s.text("E-Mail:", wx + 80, wy + 40)
    s.input_line("********", wx + 45, wy + 150)
    s.text("Password:", wx + 80, wy + 140)
    s.blit(s.image("checkbox-on.png"), wx + 55, wy + 225, 88, 88)
    s.text("Login automatically next time", wx + 135, wy + 252)
    s.button("Login", wx + 100, wy + 300)
    s.button("Register...", wx + 320, wy + 300)
    s.blit(s.image("close-btn.png"), wx + 500, wy + 5, 49, 48)
    s.save(out)


def registration(images, scratch, out, width, height):
    s = Sheet(images, width, height)
    s.scratch = scratch
    s.background()
    wx, wy = (width - 600) // 2, (height - 530) // 2
    s.skin("win", wx, wy, 600, 530)
    fields = (("E-Mail:", "new.sailor@harbour.example"), ("Password:", "******"),
              ("Password again:", "******"), ("Nick name:", "Seabird"))
    for i, (label, text) in enumerate(fields):
        s.input_line(text, wx + 45, wy + 40 + 85 * i, focused=i == 3)
        s.text(label, wx + 80, wy + 35 + 85 * i)
    s.button("OK", wx + 100, wy + 380)
    s.button("Cancel", wx + 320, wy + 380)
    s.blit(s.image("close-btn.png"), wx + 500, wy + 5, 49, 48)
    s.save(out)


def message(images, scratch, out, width, height):
    s = Sheet(images, width, height)
    s.scratch = scratch
    s.background()
    wx, wy = (width - 800) // 2, (height - 250) // 2
    s.skin("win", wx, wy, 800, 250)
    s.text("Error connecting to server", wx + 80, wy + 40)
    s.button("OK", wx + 310, wy + 100)
    s.save(out)


def race(images, out, width, height):
    s = Sheet(images, width, height)
    s.blit(s.image("sea.png"), 0, 0, width, height)
    arrow = s.image("wind-arrow.png")
    for j in range(0, height, 64):
        for i in range(0, width, 64):
            ctx = s.ctx
            ctx.save()
            ctx.translate(i + 32, j + 32)
            ctx.rotate(0.6 + (i + j) / 2000)
            s.blit(arrow, -arrow.get_width() * 0.4, -arrow.get_height() * 0.4,
                   arrow.get_width() * 0.8, arrow.get_height() * 0.8, alpha=200 / 255)
            ctx.restore()
    flag = s.image("flag-red.png")
    s.blit(flag, 200, 300 - flag.get_height())
    s.blit(flag, 260, 330 - flag.get_height())
    for x, y, angle in ((160, 520, 40), (260, 560, 70)):
        s.ctx.save()
        s.ctx.translate(x, y)
        s.ctx.rotate(angle * 3.14159 / 180)
        s.blit(s.image("boat-red.png"), -32, -32)
        s.ctx.restore()
    bx, by = width // 2 + 60, height // 2
    s.ctx.save()
    s.ctx.translate(bx, by)
    s.ctx.rotate(0.5)
    s.blit(s.image("boat-green.png"), -32, -32)
    s.ctx.restore()
    s.ctx.move_to(bx, by)
    s.ctx.line_to(bx + 130, by - 240)
    s.ctx.line_to(bx + 250, by - 470)
    s.ctx.set_source_rgba(1, 1, 1, 200 / 255)
    s.ctx.set_line_width(1)
    s.ctx.stroke()
    s.blit(s.image("s12.png"), bx + 130 - 16, by - 240 - 16, alpha=200 / 255)
    px, py = bx - 220, by - 150
    s.blit(s.image("compas.png"), px + 70, py, alpha=200 / 255)
    for text, ty in (("HEADING:28", 60), ("SPEED:7", 80)):
        tw, _ = s.text_size(text, 14)
        s.text(text, px + 70 + (300 - tw) // 2, py + ty, (0, 0, 0), 14)
    s.blit(s.image("bracket-left.png"), px, py)
    s.blit(s.image("bracket-right.png"), px + 370, py)
    s.blit(s.image("sails-jib-on.png"), px + 7, py + 13)
    s.blit(s.image("sails-spinnaker-off.png"), px + 7, py + 63)
    s.blit(s.image("btn-apply.png"), px + 383, py + 13)
    s.blit(s.image("btn-cancel.png"), px + 383, py + 63)
    s.blit(s.image("close-btn.png"), width - 48, 0, 49, 48)
    s.ctx.rectangle(0, height - 50, width, 50)
    s.ctx.set_source_rgba(232 / 255, 246 / 255, 11 / 255, 240 / 255)
    s.ctx.fill()
    s.save(out)


def main():
    images, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    bg = os.path.join(out, "background.png")
    os.system(f"convert '{images}/background.jpg' '{bg}'")
    login(images, out, os.path.join(out, "login-1280x800.png"), 1280, 800)
    login(images, out, os.path.join(out, "login-1024x768.png"), 1024, 768)
    registration(images, out, os.path.join(out, "registration-1024x768.png"), 1024, 768)
    message(images, out, os.path.join(out, "message-1920x1080.png"), 1920, 1080)
    race(images, os.path.join(out, "race-1024x768.png"), 1024, 768)


if __name__ == "__main__":
    main()
