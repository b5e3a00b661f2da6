"""A private Xvfb display, screenshots read from it, and real input through xdotool."""

import os
import struct
import subprocess
import time
import zlib

from processes import die_with_parent

WIDTH = 1024
HEIGHT = 768


class Shot:
    """One screenshot as packed RGB bytes, row by row."""

    def __init__(self, width, height, rgb):
        self.width = width
        self.height = height
        self.rgb = bytes(rgb)

    def pixel(self, x, y):
        at = 3 * (y * self.width + x)
        return tuple(self.rgb[at:at + 3])

    def region(self, x, y, w, h):
        """The RGB bytes of a rectangle, clipped to the screen."""
        x0, y0 = max(0, x), max(0, y)
        x1, y1 = min(self.width, x + w), min(self.height, y + h)
        if x1 <= x0 or y1 <= y0:
            return b""
        stride = 3 * self.width
        return b"".join(self.rgb[r * stride + 3 * x0:r * stride + 3 * x1] for r in range(y0, y1))

    def mean(self, x, y, w, h):
        data = self.region(x, y, w, h)
        n = len(data) // 3
        return tuple(sum(data[c::3]) / n for c in range(3))

    def is_one_colour(self):
        return self.rgb == self.rgb[:3] * (self.width * self.height)

    def save_png(self, path):
        stride = 3 * self.width
        raw = b"".join(b"\0" + self.rgb[r * stride:(r + 1) * stride] for r in range(self.height))

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 6))
                    + chunk(b"IEND", b""))


def differs(a, b, threshold=0):
    """Whether two equal-sized regions differ in more than `threshold` bytes."""
    if len(a) != len(b):
        return True
    if a == b:
        return False
    return sum(1 for p, q in zip(a, b) if p != q) > threshold


def parse_xwd(data):
    """Decodes an xwd dump of a TrueColor window with 24 or 32 bits a pixel."""
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    masks = fields[14:17]
    ncolours = fields[19]
    if bits_per_pixel not in (24, 32):
        raise RuntimeError(f"xwd: {bits_per_pixel} bits a pixel are not handled")
    step = bits_per_pixel // 8
    pixels = data[header_size + 12 * ncolours:]
    rows = b"".join(pixels[r * bytes_per_line:r * bytes_per_line + step * width] for r in range(height))
    rgb = bytearray(3 * width * height)
    for channel, mask in enumerate(masks):
        shift = (mask & -mask).bit_length() - 1
        index = shift // 8 if byte_order == 0 else step - 1 - shift // 8
        rgb[channel::3] = rows[index::step]
    return Shot(width, height, rgb)


class Display:
    """Xvfb at exactly the client's window size, so the full-screen window covers it without a
    window manager."""

    def __init__(self, log_path):
        read_end, write_end = os.pipe()
        self.log = open(log_path, "wb")
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{WIDTH}x{HEIGHT}x24", "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_end,), stdout=self.log, stderr=subprocess.STDOUT, preexec_fn=die_with_parent)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                byte = pipe.read(1)
                if not byte:
                    break
                number += byte
        if not number.strip():
            self.close()
            raise RuntimeError("Xvfb did not report its display number")
        self.name = ":" + number.decode().strip()

    def env(self):
        return dict(os.environ, DISPLAY=self.name)

    def run(self, *arguments, check=True):
        result = subprocess.run(list(arguments), env=self.env(), capture_output=True, timeout=20)
        if check and result.returncode != 0:
            raise RuntimeError(f"{' '.join(arguments)} failed: {result.stderr.decode(errors='replace').strip()}")
        return result.stdout.decode(errors="replace")

    def shot(self):
        dump = subprocess.run(["xwd", "-root", "-silent"], env=self.env(), capture_output=True, timeout=20, check=True)
        return parse_xwd(dump.stdout)

    def windows_named(self, name, pid):
        out = self.run("xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name", f"^{name}$", check=False)
        return [w for w in out.split() if w]

    def move(self, x, y):
        self.run("xdotool", "mousemove", str(x), str(y))

    def click(self, x, y, button=1):
        self.run("xdotool", "mousemove", str(x), str(y), "click", str(button))

    def drag(self, points):
        """Presses at the first point, moves through the others and releases at the last."""
        (x, y), rest = points[0], points[1:]
        self.run("xdotool", "mousemove", str(x), str(y), "mousedown", "1")
        for px, py in rest:
            self.run("xdotool", "mousemove", str(px), str(py))
            time.sleep(0.03)
        self.run("xdotool", "mouseup", "1")

    def key(self, window, *keys):
        self.run("xdotool", "key", "--window", window, *keys)

    def type(self, window, text):
        self.run("xdotool", "type", "--window", window, "--delay", "20", text)

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()
