#!/usr/bin/python3
"""Plays the client as a player does: a real window under Xvfb, input from xdotool, the companion
server on a free local port, and screenshots of every screen in --out. Run from the source folder
(the client reads data/ there); needs Xvfb, xdotool, ImageMagick and stdbuf. Ends with status 0 when every
step held, 1 with the failed step otherwise."""

import argparse
import contextlib
import ctypes
import json
import os
import shutil
import signal
import socket
import sqlite3
import subprocess
import sys
import tempfile
import time
import traceback
import urllib.parse
import urllib.request

WIDTH, HEIGHT = 1024, 768
COAST_FILES = ("coast-l.bin", "coast-i.bin", "coast-h.bin")


def child(arguments, log_path, **options):
    """A child process that the kernel ends when this driver ends, even by SIGKILL."""
    with open(log_path, "ab") as log:
        return subprocess.Popen(arguments, stdout=log, stderr=subprocess.STDOUT, **options,
                                preexec_fn=lambda: ctypes.CDLL(None).prctl(1, signal.SIGKILL))


def wait_for(what, condition, timeout, step=0.1):
    """Polls `condition` until it gives a true value, which it returns; fails after `timeout` s."""
    deadline = time.monotonic() + timeout
    while not (value := condition()):
        assert time.monotonic() < deadline, f"timed out after {timeout} s waiting for {what}"
        time.sleep(step)
    return value


class Shot:
    """One screenshot as packed RGB bytes, row by row."""

    def __init__(self, rgb):
        assert len(rgb) == 3 * WIDTH * HEIGHT, f"a screenshot of {len(rgb)} bytes"
        self.rgb = rgb

    def pixel(self, x, y):
        return tuple(self.rgb[3 * (y * WIDTH + x):3 * (y * WIDTH + x) + 3])

    def region(self, x, y, w, h):
        return b"".join(self.rgb[3 * (row * WIDTH + x):3 * (row * WIDTH + x + w)] for row in range(y, y + h))

    def save_png(self, path):
        subprocess.run(["convert", "-size", f"{WIDTH}x{HEIGHT}", "-depth", "8", "rgb:-", path], input=self.rgb,
                       timeout=20, check=True)


class Display:
    """Xvfb at exactly the client's window size, so the window covers it without a window manager."""

    def __init__(self, log_path):
        read_end, write_end = os.pipe()
        self.process = child(["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{WIDTH}x{HEIGHT}x24",
                              "-nolisten", "tcp", "-noreset"], log_path, pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end, "rb") as pipe:
            self.env = dict(os.environ, DISPLAY=":" + pipe.readline().decode().strip())

    def run(self, *arguments, check=True):
        return subprocess.run(arguments, env=self.env, capture_output=True, timeout=20, check=check).stdout.decode()

    def shot(self):
        return Shot(subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], env=self.env,
                                   capture_output=True, timeout=20, check=True).stdout)

    def window(self, pid):
        """The client's window, looked up at each use: SDL replaces the first window it makes."""
        found = self.run("xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name", "^Tidewake$", check=False)
        return found.split()[0] if len(found.split()) == 1 else None

    def click(self, x, y, button=1):
        self.run("xdotool", "mousemove", str(x), str(y), "click", str(button))


class RaceServer:
    """tidewake-server on a free port and its own data folder; it can be stopped and started again.
    The coastline grids take minutes to build, so they are kept between runs in `cache`."""

    def __init__(self, binary, data_dir, log_path, cache):
        self.binary, self.data_dir, self.log_path, self.cache = binary, data_dir, log_path, cache
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            self.port = s.getsockname()[1]
        self.process = None
        os.makedirs(data_dir)
        for name in COAST_FILES:
            if os.path.exists(os.path.join(cache, name)):
                os.symlink(os.path.join(cache, name), os.path.join(data_dir, name))

    def start(self):
        self.process = child([self.binary, "--data", self.data_dir, "--port", str(self.port), "--boats", "4"],
                             self.log_path)
        # A new data folder has its coastline grids built before the server answers.
        wait_for("the race server to answer", self.answers, 240, step=0.2)
        os.makedirs(self.cache, exist_ok=True)
        for name in COAST_FILES:
            if not os.path.exists(os.path.join(self.cache, name)):
                shutil.copyfile(os.path.join(self.data_dir, name), os.path.join(self.cache, name))

    def answers(self):
        assert self.process.poll() is None, f"tidewake-server ended; see {self.log_path}"
        try:
            return "<result>" in self.get("/races?action=1")[0]
        except OSError:
            return False

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        assert self.process.wait(30) == 0, "tidewake-server did not end cleanly"

    def pause(self, paused):
        self.process.send_signal(signal.SIGSTOP if paused else signal.SIGCONT)

    def kill(self):
        if self.process and self.process.poll() is None:
            self.pause(False)
            self.process.kill()

    def get(self, path, cookie=""):
        """The body and the headers of the answer to a GET of the race interface."""
        request = urllib.request.Request(f"http://127.0.0.1:{self.port}{path}", headers={"Cookie": cookie})
        with urllib.request.urlopen(request, timeout=30) as response:
            return response.read().decode(errors="replace"), response.headers

    def query(self, sql, *parameters):
        with contextlib.closing(sqlite3.connect(f"file:{self.data_dir}/tidewake.db?mode=ro", uri=True)) as database:
            return database.execute(sql, parameters).fetchall()


# Every lobby screen is one gold-framed window centred on the display; the race screen has a
# yellow wind tape along its bottom edge. The selector of three races is taller than the display.
WINDOWS = {"login": (600, 460), "registration": (600, 530), "wait": (600, 250), "selector": (1000, 860)}


def window_at(name, x, y):
    w, h = WINDOWS[name]
    return (WIDTH - w) // 2 + x, int((HEIGHT - h) / 2) + y


def shows_screen(shot, name):
    """Whether the screen is shown: for a window, its six-pixel gold frame along every side on the
    display (the close button covers the top side's right part)."""
    if name == "race":
        tape = [shot.pixel(x, HEIGHT - 3) for x in range(2, WIDTH - 2, 16)]
        return sum(1 for r, g, b in tape if r > 180 and g > 200 and b < 80) >= 0.9 * len(tape)
    (x, y), (w, h) = window_at(name, 0, 0), WINDOWS[name]
    sides = [[(px, y + 4) for px in range(x + 30, x + min(w - 30, 480), 8)],
             [(px, y + h - 5) for px in range(x + 30, x + w - 30, 8)],
             [(x + 4, py) for py in range(y + 30, y + h - 30, 8)],
             [(x + w - 5, py) for py in range(y + 30, y + h - 30, 8)]]
    shares = [sum(1 for r, g, b in side if r > 100 and r - b > 60 and g > b) / len(side) for side in
              ([shot.pixel(px, py) for px, py in side if 0 <= py < HEIGHT] for side in sides) if side]
    return len(shares) >= 2 and min(shares) >= 0.9


def ink(shot, x0, y0, w, h):
    """Dark text pixels in a rectangle, alike over a light chart tile or the dark sea picture."""
    pixels = set()
    for x in range(x0, x0 + w):
        column = [max(shot.pixel(x, y)) for y in range(y0, y0 + h)]
        pixels |= {(x, y0 + i) for i, value in enumerate(column) if value < 0.35 * max(column)}
    return pixels


def light_share(shot):
    """Share of map points around the boat panel that show a light chart tile, not the dark sea."""
    points = [(x, y) for y in range(160, HEIGHT - 60, 24) for x in range(8, WIDTH - 8, 24)
              if not (abs(x - WIDTH // 2) < 220 and abs(y - HEIGHT // 2) < 150)]
    return sum(1 for x, y in points if sum(shot.pixel(x, y)) > 480) / len(points)


PASSWORD = "Sea breeze 7"
# The boat control panel is centred on the own boat, which the race screen starts with in the
# middle of the map: the compass ring's centre is the display's centre.
CX, CY = WIDTH // 2, HEIGHT // 2
JIB, SPINNAKER, APPLY, CANCEL = ((CX - 220 + x + 25, CY - 150 + y + 22) for x, y in
                                 ((7, 13), (7, 63), (383, 13), (383, 63)))
HEADING_LINE = (10, 89, 200, 20)  # the information panel's "Heading:" line


class Run:
    def __init__(self, options):
        self.options, self.shots, self.client = options, 0, None
        self.work = tempfile.mkdtemp(prefix="tidewake-e2e-")
        self.settings = os.path.join(self.work, "config", "Brinmoor", "Tidewake", "1.0", "settings")
        os.makedirs(os.path.dirname(self.settings))
        self.email = f"skipper{os.getpid()}@example.org"
        self.display = Display(self.out("xvfb.log"))
        self.server = RaceServer(options.server, os.path.join(self.work, "server"), self.out("server.log"),
                                 options.coast_cache)

    def stop(self):
        """Ends the client, the display and the server, and removes the work folder."""
        for process in (self.client, self.display.process):
            if process:
                process.kill()
        self.server.kill()
        shutil.rmtree(self.work, ignore_errors=True)

    def out(self, name):
        return os.path.join(self.options.out, name)

    def start_client(self, name, **settings):
        """The client with the server's address and the given settings; its output goes to client-NAME.log."""
        url = f"http://127.0.0.1:{self.server.port}"
        with open(self.settings, "w") as f:
            for key, value in dict(raceServer=url, tileServer=url, **settings).items():
                f.write(f"{key} = {json.dumps(value)}\n")
        self.log_path = self.out(f"client-{name}.log")
        env = dict(self.display.env, HOME=self.work, XDG_CONFIG_HOME=os.path.join(self.work, "config"),
                   XDG_DATA_HOME=os.path.join(self.work, "data"), SDL_AUDIODRIVER="dummy")
        self.client = child(["stdbuf", "-oL", self.options.client], self.log_path, cwd=os.getcwd(), env=env)
        wait_for("the client's window", lambda: self.display.window(self.client.pid), 30)

    def printed(self, line):
        with open(self.log_path) as f:
            return f.read().splitlines().count(line)

    def key(self, *keys):
        self.display.run("xdotool", "key", "--window", self.display.window(self.client.pid), *keys)

    def shot(self):
        assert self.client.poll() is None, f"the client ended early; see {self.log_path}"
        return self.display.shot()

    def save(self, shot, name):
        assert shot.rgb != shot.rgb[:3] * (WIDTH * HEIGHT), f"the screenshot {name} is all one colour"
        self.shots += 1
        shot.save_png(self.out(f"{self.shots:02d}-{name}.png"))
        print(f"saved {self.shots:02d}-{name}.png")

    def screen(self, name):
        return self.shows(f"the {name} screen", lambda shot: shows_screen(shot, name), step=0.05)

    def shows(self, what, test, timeout=30, step=0.2):
        """The first screenshot for which `test` holds."""
        return wait_for(what, lambda: test(shot := self.shot()) and shot, timeout, step)

    def settled(self, what):
        """The screen once two screenshots in a row are alike: animations and tiles are done."""
        last = [b""]

        def alike(shot):
            same, last[0] = shot.rgb == last[0], shot.rgb
            return same
        return self.shows(what, alike, 90, 0.3)

    def button_change(self, what, point):
        """Waits until most pixels of the 20 x 20 box around a button's centre have changed."""
        box = (point[0] - 10, point[1] - 10, 20, 20)
        before = self.shot().region(*box)
        return lambda: self.shows(what, lambda shot: sum(p != q for p, q in zip(before, shot.region(*box))) > 300, 10)

    def own_boat(self):
        rows = self.server.query("SELECT b.race, b.heading, b.sail FROM boats b JOIN users u ON u.id = b.user "
                                 "WHERE u.email = ?", self.email)
        assert len(rows) == 1, f"expected one boat of {self.email} in the server's data, found {len(rows)}"
        return rows[0]

    def register_and_join(self):
        self.start_client("registration")
        self.save(self.screen("login"), "login")
        self.display.click(*window_at("login", 320 + 90, 300 + 48))
        self.save(self.screen("registration"), "registration")
        self.display.run("xdotool", "type", "--window", self.display.window(self.client.pid), "--delay", "20",
                         f"{self.email}\t{PASSWORD}\t{PASSWORD}\tTester")
        self.key("Return")
        self.screen("selector")
        # The three race pictures replace the window's dark blue.
        boxes = [(*window_at("selector", 95, 55 + 250 * i), 300, 150) for i in range(3)]
        self.save(self.shows("the race pictures", lambda shot: all(
            sum(shot.region(*box)[1::3]) > 120 * 300 * 150 for box in boxes)), "selector")

        print("joining the first race; the stopped server keeps the wait dialog up")
        self.server.pause(True)
        self.display.click(*window_at("selector", 420 + 90, 50 + 140 + 48))
        self.save(self.screen("wait"), "wait-dialog")
        self.server.pause(False)
        self.screen("race")
        self.save(self.shows("the map tiles", lambda shot: light_share(shot) > 0.6, 90), "race")

    def steer(self):
        _, heading, sail = self.own_boat()
        assert sail == 1, f"a new boat should sail with the jib, the server has sail {sail}"
        apply_shown = self.button_change("the apply button", APPLY)
        # Press on the ring's band straight above the centre and sweep a quarter circle.
        self.display.run("xdotool", "mousemove", str(CX), str(CY - 125), "mousedown", "1", "mousemove",
                         str(CX + 88), str(CY - 88), "mousemove", str(CX + 125), str(CY), "mouseup", "1")
        self.display.click(*SPINNAKER)
        self.save(apply_shown(), "race-editing")
        self.display.click(*APPLY)
        wanted = (heading + 90) % 360

        def arrived():
            _, now, sail = self.own_boat()
            return sail == 2 and abs((now - wanted + 180) % 360 - 180) < 2.5
        wait_for(f"heading {wanted:.1f} with the spinnaker in the server's data", arrived, 15)

    def server_outage(self):
        # Zooming in three levels shortens the period of the position downloads to 4 seconds.
        for level in range(3):
            self.display.click(150, 600, button=4)
            self.settled(f"zoom level {level + 1}")
        heading = ink(self.shot(), *HEADING_LINE)
        failures = self.printed("Error downloading position")
        self.server.stop()
        print("server stopped; the panel still answers")
        wait_for("a failed position download", lambda: self.printed("Error downloading position") > failures, 45)
        cancel_shown = self.button_change("the cancel button", CANCEL)
        self.display.click(*JIB)
        self.save(cancel_shown(), "race-server-down")
        self.display.click(*CANCEL)

        self.server.start()
        print("server started again; it steers the boat 120 degrees further")
        race, now, _ = self.own_boat()
        _, headers = self.server.get("/users?" + urllib.parse.urlencode({"action": 2, "email": self.email,
                                                                        "password": PASSWORD}))
        answer, _ = self.server.get(f"/boats?action=2&heading={round(now + 120) % 360}&sail=2&raceId={race}",
                                    "; ".join(c.split(";")[0] for c in headers.get_all("Set-Cookie")))
        assert answer == "<result>OK</result>", f"course change over HTTP: {answer!r}"
        self.save(self.shows("the new heading in the information panel",
                             lambda shot: len(ink(shot, *HEADING_LINE) ^ heading) > 25, 45), "race-server-back")
        self.key("Escape")
        assert self.client.wait(15) == 0, f"the client ended with status {self.client.returncode}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for name in ("--client", "--server", "--out", "--coast-cache"):
        parser.add_argument(name, required=True)
    options = parser.parse_args()
    if not all(shutil.which(tool) for tool in ("Xvfb", "xdotool", "import", "convert", "stdbuf")):
        print("e2e: Xvfb, xdotool, ImageMagick or stdbuf is missing (scripts/install-deps.sh installs them)")
        return 1
    options.out, options.coast_cache = os.path.abspath(options.out), os.path.abspath(options.coast_cache)
    shutil.rmtree(options.out, ignore_errors=True)
    os.makedirs(options.out)
    # A termination request still runs the clean-up below; each line of progress shows at once.
    sys.stdout.reconfigure(line_buffering=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    started = time.monotonic()
    run = Run(options)
    try:
        run.server.start()
        run.register_and_join()
        run.steer()
        run.server_outage()
    except Exception as failure:
        traceback.print_exc()
        try:
            run.display.shot().save_png(run.out("failure.png"))
        except Exception:
            pass
        print(f"e2e FAILED: {failure}")
        return 1
    finally:
        run.stop()
    print(f"passed in {time.monotonic() - started:.0f} s; {run.shots} screenshots in {options.out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
