"""The painted seascape behind the menus and the plain sea texture behind missing tiles.

Both are computed with numpy from seeded noise, so every run gives the same pixels.
"""

import math
import os
import subprocess

import cairo
import numpy as np

from draw import NAVY_DARK, SAIL


def resize(grid, height, width):
    """Bilinear resize of a 2-D array, treating it as periodic (tileable noise)."""
    gh, gw = grid.shape
    ys = np.arange(height) * gh / height
    xs = np.arange(width) * gw / width
    y0 = np.floor(ys).astype(int)
    x0 = np.floor(xs).astype(int)
    fy = (ys - y0)[:, None]
    fx = (xs - x0)[None, :]
    fy = fy * fy * (3 - 2 * fy)
    fx = fx * fx * (3 - 2 * fx)
    y1 = (y0 + 1) % gh
    x1 = (x0 + 1) % gw
    top = grid[y0][:, x0] * (1 - fx) + grid[y0][:, x1] * fx
    bottom = grid[y1][:, x0] * (1 - fx) + grid[y1][:, x1] * fx
    return top * (1 - fy) + bottom * fy


def fbm(rng, height, width, base, octaves, aspect=1.0, gain=0.5):
    """Fractal noise in [0, 1]: octaves of smooth value noise, the first with base cells
    across; aspect > 1 stretches the features horizontally."""
    total = np.zeros((height, width))
    amplitude, norm = 1.0, 0.0
    for octave in range(octaves):
        cells_x = max(2, int(base * 2 ** octave))
        cells_y = max(2, int(base * 2 ** octave * height / width * aspect))
        total += amplitude * resize(rng.random((cells_y, cells_x)), height, width)
        norm += amplitude
        amplitude *= gain
    total /= norm
    return (total - total.min()) / (total.max() - total.min())


def mix(a, b, t):
    t = np.asarray(t)[..., None]
    return a * (1 - t) + b * t


def smoothstep(e0, e1, x):
    t = np.clip((x - e0) / (e1 - e0), 0, 1)
    return t * t * (3 - 2 * t)


def colour(*rgb):
    return np.array(rgb, dtype=float) / 255.0


def sky(rng, h, w, horizon, sun):
    y = np.arange(h)[:, None] / horizon
    top, middle, low = colour(14, 42, 82), colour(62, 108, 156), colour(246, 214, 170)
    t = np.clip(y, 0, 1)[..., 0]
    img = mix(mix(top, middle, np.clip(t / 0.6, 0, 1)[:, None] * np.ones((1, w))),
              low, (smoothstep(0.45, 1.0, t)[:, None] * np.ones((1, w))) ** 1.4)
    yy, xx = np.mgrid[0:h, 0:w]
    dist = np.hypot(xx - sun[0], (yy - sun[1]) * 1.6) / w
    glow = np.exp(-dist * 9) * 0.55 + np.exp(-dist * 60) * 0.6
    img = img + glow[..., None] * colour(255, 206, 140)
    # Soft clouds lit from below by the low sun.
    clouds = fbm(rng, h, w, 3, 7, aspect=2.2, gain=0.55)
    band = smoothstep(0.0, 0.25, yy / horizon) * (1 - smoothstep(0.7, 0.98, yy / horizon))
    density = smoothstep(0.55, 0.78, clouds) * band
    lit = mix(colour(120, 140, 170), colour(255, 226, 190), smoothstep(0.2, 1.0, yy / horizon))
    img = mix(img, lit + glow[..., None] * 0.3, density * 0.8)
    return img


def sea(rng, h, w, horizon, sun):
    rows = np.arange(h) - horizon
    depth = np.where(rows > 0, rows, 1) / (h - horizon)
    base = mix(colour(96, 132, 162), colour(10, 44, 78), (depth ** 0.45)[:, None] * np.ones((1, w)))
    base = mix(base, colour(6, 26, 52), (smoothstep(0.6, 1.0, depth)[:, None] * np.ones((1, w))))
    # Waves: anisotropic tileable noise seen in perspective; contrast fades with
    # distance, where the waves blur into fine horizontal streaks.
    tex = fbm(rng, 1024, 1024, 32, 5, aspect=3.2, gain=0.55)
    streaks = fbm(rng, 256, 2048, 6, 4, aspect=40.0)
    z = 1.0 / np.maximum(depth, 0.004)
    u = (np.arange(w)[None, :] - w / 2) * z[:, None] * 0.27
    v = z[:, None] * 305.0 * np.ones((1, w))
    near = tex[v.astype(int) % 1024, u.astype(int) % 1024]
    far = streaks[(rows[:, None] * 3).clip(0) % 256 * np.ones((1, w), dtype=int),
                  np.arange(w)[None, :] % 2048]
    fade = smoothstep(0.0, 0.35, depth)[:, None]
    waves = far * (1 - fade) + near * fade
    slope = np.gradient(near, axis=0) * fade
    contrast = 0.12 + 0.3 * fade
    img = base * (1 - contrast / 2 + contrast * waves)[..., None]
    img = img + (np.clip(-slope * 5, 0, 1) * 0.18)[..., None] * colour(200, 220, 240)
    # Sun path: a warm sheen with glitter where the waves face the sun.
    xx = np.arange(w)[None, :]
    spread = 25 + depth[:, None] * w * 0.13
    path = np.exp(-((xx - sun[0]) / spread) ** 2) * (1 - depth[:, None]) ** 1.5
    sparkle = smoothstep(0.68, 0.88, waves) * path
    img = img + (path * 0.25)[..., None] * colour(255, 200, 140) + sparkle[..., None] * colour(255, 236, 200)
    haze = np.exp(-depth * 28)[:, None]
    img = mix(img, colour(232, 214, 192), haze * np.ones((1, w)) * 0.75)
    return img


def paint_details(img, h, w, horizon, sun):
    """Island, lighthouse, distant sails and gulls, drawn with cairo over the pixels."""
    rgba = np.zeros((h, w, 4), dtype=np.uint8)
    rgba[..., 0] = img[..., 2]
    rgba[..., 1] = img[..., 1]
    rgba[..., 2] = img[..., 0]
    rgba[..., 3] = 255
    surf = cairo.ImageSurface.create_for_data(memoryview(rgba), cairo.FORMAT_ARGB32, w, h)
    ctx = cairo.Context(surf)
    s = w / 2560
    land = (0.27, 0.33, 0.39)
    ctx.move_to(0, horizon + 2 * s)
    ctx.curve_to(90 * s, horizon - 40 * s, 240 * s, horizon - 70 * s, 380 * s, horizon - 52 * s)
    ctx.curve_to(470 * s, horizon - 40 * s, 560 * s, horizon - 18 * s, 700 * s, horizon + 2 * s)
    ctx.close_path()
    grad = cairo.LinearGradient(0, horizon - 70 * s, 0, horizon)
    grad.add_color_stop_rgba(0, *land, 0.9)
    grad.add_color_stop_rgba(1, 0.14, 0.19, 0.25, 0.95)
    ctx.set_source(grad)
    ctx.fill()
    lighthouse(ctx, 300 * s, horizon - 50 * s, s)
    for x, height, lean in ((0.2, 26, 1), (0.82, 34, -1), (0.9, 18, 1)):
        distant_sail(ctx, x * w, horizon + 3 * s, height * s, lean)
    near_sail(ctx, 0.73 * w, horizon + 120 * s, 150 * s)
    for x, y, span in ((0.14, 0.16, 34), (0.18, 0.13, 24), (0.86, 0.2, 28), (0.6, 0.1, 20)):
        gull(ctx, x * w, y * h, span * s)
    surf.flush()
    out = np.empty((h, w, 3))
    out[..., 0] = rgba[..., 2]
    out[..., 1] = rgba[..., 1]
    out[..., 2] = rgba[..., 0]
    return out


def lighthouse(ctx, x, base, s):
    ctx.move_to(x - 9 * s, base)
    ctx.line_to(x - 6 * s, base - 70 * s)
    ctx.line_to(x + 6 * s, base - 70 * s)
    ctx.line_to(x + 9 * s, base)
    ctx.close_path()
    ctx.set_source_rgba(0.93, 0.9, 0.86, 0.92)
    ctx.fill()
    for band in (0.25, 0.6):
        y = base - 70 * s * band
        ctx.rectangle(x - 9 * s, y - 8 * s, 18 * s, 9 * s)
    ctx.set_source_rgba(0.68, 0.2, 0.18, 0.85)
    ctx.fill()
    ctx.rectangle(x - 7 * s, base - 82 * s, 14 * s, 12 * s)
    ctx.set_source_rgba(*NAVY_DARK, 0.85)
    ctx.fill()
    grad = cairo.RadialGradient(x, base - 76 * s, 0, x, base - 76 * s, 40 * s)
    grad.add_color_stop_rgba(0, 1, 0.95, 0.75, 0.9)
    grad.add_color_stop_rgba(1, 1, 0.9, 0.6, 0)
    ctx.arc(x, base - 76 * s, 40 * s, 0, 2 * math.pi)
    ctx.set_source(grad)
    ctx.fill()


def distant_sail(ctx, x, base, height, lean):
    ctx.move_to(x, base - height)
    ctx.curve_to(x + lean * height * 0.35, base - height * 0.6, x + lean * height * 0.45,
                 base - height * 0.3, x + lean * height * 0.42, base - 3)
    ctx.line_to(x, base - 3)
    ctx.close_path()
    ctx.move_to(x - lean * 2, base - height * 0.85)
    ctx.line_to(x - lean * height * 0.3, base - 3)
    ctx.line_to(x - lean * 2, base - 3)
    ctx.close_path()
    ctx.set_source_rgba(*SAIL, 0.9)
    ctx.fill()
    ctx.rectangle(x - height * 0.25, base - 3, height * 0.72, 3)
    ctx.set_source_rgba(*NAVY_DARK, 0.8)
    ctx.fill()


def near_sail(ctx, x, base, height):
    """A yacht heeling in the breeze, lit by the low sun from the right."""
    ctx.save()
    ctx.translate(x, base)
    ctx.rotate(math.radians(-6))
    ctx.move_to(-height * 0.36, -height * 0.05)
    ctx.curve_to(-height * 0.2, height * 0.03, height * 0.25, height * 0.03, height * 0.4, -height * 0.07)
    ctx.line_to(height * 0.36, -height * 0.13)
    ctx.line_to(-height * 0.4, -height * 0.11)
    ctx.close_path()
    ctx.set_source_rgba(0.08, 0.12, 0.2, 0.95)
    ctx.fill()
    grad = cairo.LinearGradient(-height * 0.3, 0, height * 0.4, 0)
    grad.add_color_stop_rgba(0, 0.78, 0.78, 0.8, 0.97)
    grad.add_color_stop_rgba(1, 1, 0.96, 0.9, 0.97)
    ctx.move_to(0, -height * 1.05)
    ctx.curve_to(height * 0.22, -height * 0.7, height * 0.34, -height * 0.4, height * 0.3, -height * 0.16)
    ctx.line_to(0, -height * 0.16)
    ctx.close_path()
    ctx.set_source(grad)
    ctx.fill()
    ctx.move_to(-height * 0.03, -height * 0.95)
    ctx.curve_to(-height * 0.15, -height * 0.6, -height * 0.27, -height * 0.35, -height * 0.34, -height * 0.14)
    ctx.line_to(-height * 0.03, -height * 0.14)
    ctx.close_path()
    ctx.set_source_rgba(0.86, 0.86, 0.88, 0.95)
    ctx.fill()
    ctx.rectangle(-height * 0.015, -height * 1.08, height * 0.03, height * 0.96)
    ctx.set_source_rgba(0.1, 0.1, 0.14, 0.9)
    ctx.fill()
    ctx.restore()


def gull(ctx, x, y, span):
    ctx.move_to(x - span / 2, y)
    ctx.curve_to(x - span / 4, y - span / 4, x - span / 10, y - span / 6, x, y)
    ctx.curve_to(x + span / 10, y - span / 6, x + span / 4, y - span / 4, x + span / 2, y)
    ctx.set_source_rgba(0.12, 0.16, 0.24, 0.7)
    ctx.set_line_width(max(1.5, span / 14))
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.stroke()


def vignette(img, h, w):
    yy, xx = np.mgrid[0:h, 0:w]
    d = np.hypot((xx - w / 2) / (w / 2), (yy - h / 2) / (h / 2))
    return img * (1 - 0.28 * smoothstep(0.6, 1.45, d))[..., None]


def to_bytes(img):
    return (np.clip(img, 0, 1) * 255 + 0.5).astype(np.uint8)


def write_ppm(path, pixels):
    h, w, _ = pixels.shape
    with open(path, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (w, h))
        f.write(pixels.tobytes())


def background(folder, scratch, width=2560, height=1440):
    rng = np.random.default_rng(1805)
    horizon = int(height * 0.47)
    sun = (width * 0.7, horizon - height * 0.05)
    img = np.concatenate([sky(rng, horizon, width, horizon, sun),
                          sea(rng, height, width, horizon, sun)[horizon:]], axis=0)
    img = paint_details(to_bytes(img), height, width, horizon, sun)
    img = vignette(img / 255.0, height, width)
    # Slight grain keeps the wide gradients free of JPEG bands.
    img = img + (rng.random(img.shape) - 0.5) / 255.0 * 2.0
    ppm = os.path.join(scratch, "background.ppm")
    write_ppm(ppm, to_bytes(img))
    subprocess.run(["convert", ppm, "-strip", "-sampling-factor", "4:2:0", "-quality", "86",
                    "-interlace", "none", os.path.join(folder, "background.jpg")], check=True)


def sea_texture(folder, width=512, height=512):
    """Deep blue water with gentle swell, for the chart behind missing tiles."""
    rng = np.random.default_rng(2207)
    swell = fbm(rng, height, width, 4, 5, aspect=2.5)
    ripple = fbm(rng, height, width, 24, 3, aspect=3.0)
    deep, light = colour(12, 52, 92), colour(28, 86, 130)
    img = mix(deep, light, swell * 0.75 + ripple * 0.25)
    img = img + (smoothstep(0.7, 0.95, ripple) * 0.05)[..., None]
    pixels = to_bytes(img)
    rgba = np.zeros((height, width, 4), dtype=np.uint8)
    rgba[..., 0] = pixels[..., 2]
    rgba[..., 1] = pixels[..., 1]
    rgba[..., 2] = pixels[..., 0]
    rgba[..., 3] = 255
    surf = cairo.ImageSurface.create_for_data(memoryview(rgba), cairo.FORMAT_RGB24, width, height)
    surf.write_to_png(os.path.join(folder, "sea.png"))
