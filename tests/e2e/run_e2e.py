#!/usr/bin/python3
"""Plays the client as a player does: a real window under Xvfb, input from xdotool, the
companion server on a free local port, and screenshots of every screen.

    run_e2e.py --client build/tidewake --server build/server/tidewake-server --out build/e2e-shots

Run from the source folder (the client reads data/ there). Needs Xvfb, xdotool, xwd and
stdbuf. Ends with status 0 when every step held, 1 with the failed step otherwise."""

import argparse
import os
import re
import shutil
import signal
import sys
import tempfile
import time
import traceback
import urllib.parse

# Keeps the source folder free of compiled module caches.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import screens  # noqa: E402
from processes import Client, RaceServer, free_port, wait_for  # noqa: E402
from xdisplay import HEIGHT, WIDTH, Display, differs  # noqa: E402

RACES = 3
NICK = "Tester"
PASSWORD = "Sea breeze 7"
WRONG_PASSWORD = "not my password"
SERVER_REFUSAL = "Wrong e-mail or password."
SHORT_PASSWORD = "abc"
SHORT_PASSWORD_REFUSAL = "Please choose a password of 4 to 128 characters."

LOGIN_WINDOW = screens.LOGIN
REGISTER_BUTTON = screens.at(LOGIN_WINDOW, 320 + 90, 300 + 48)
EMAIL_TEXT = (*screens.at(LOGIN_WINDOW, 70, 75), 400, 50)
AUTO_LOGIN_BOX = (*screens.at(LOGIN_WINDOW, 58, 228), 82, 82)
SELECTOR_WINDOW = screens.selector(RACES)
MESSAGE_TEXT = (*screens.at(screens.MESSAGE_BOX, 80, 40), 640, 35)

# The boat control panel is centred on the own boat, which the race screen starts with in the
# middle of the map: the compass ring's centre is the display's centre.
RING = (WIDTH // 2, HEIGHT // 2)
PANEL = (RING[0] - 220, RING[1] - 150, 440, 300)
JIB_BUTTON = (PANEL[0] + 7 + 25, PANEL[1] + 13 + 22)
SPINNAKER_BUTTON = (PANEL[0] + 7 + 25, PANEL[1] + 63 + 22)
APPLY_BUTTON = (PANEL[0] + 383 + 25, PANEL[1] + 13 + 22)
CANCEL_BUTTON = (PANEL[0] + 383 + 25, PANEL[1] + 63 + 22)
# The information panel's "Heading:" line, at (10, 90).
HEADING_LINE = (10, 89, 200, 20)


def log(text):
    print(f"[{time.strftime('%H:%M:%S')}] {text}", flush=True)


def hex_of(text):
    return text.encode().hex()


def angle_between(a, b):
    return abs((a - b + 180.0) % 360.0 - 180.0)


class Run:
    def __init__(self, options):
        self.options = options
        self.work = tempfile.mkdtemp(prefix="tidewake-e2e-")
        self.out = options.out
        shutil.rmtree(self.out, ignore_errors=True)
        os.makedirs(self.out)
        self.config_dir = os.path.join(self.work, "config")
        self.data_dir = os.path.join(self.work, "data")
        self.settings = os.path.join(self.config_dir, "Brinmoor", "Tidewake", "1.0", "settings")
        os.makedirs(os.path.dirname(self.settings))
        os.makedirs(self.data_dir)
        self.email = f"skipper{os.getpid()}@example.org"
        self.display = Display(os.path.join(self.out, "xvfb.log"))
        self.server = RaceServer(options.server, os.path.join(self.work, "server"), free_port(),
                                 os.path.join(self.out, "server.log"), options.coast_cache)
        self.client = None
        self.runs = 0
        self.shots = []
        self.first_login = None
        self.refusal = None

    # --- plumbing -------------------------------------------------------------------------

    def base_url(self):
        return f"http://127.0.0.1:{self.server.port}"

    def write_settings(self, **values):
        lines = [f'raceServer = "{self.base_url()}"', f'tileServer = "{self.base_url()}"']
        for name, value in values.items():
            lines.append(f'{name} = "{value}"' if isinstance(value, str) else f"{name} = {value}")
        with open(self.settings, "w") as f:
            f.write("\n".join(lines) + "\n")

    def read_settings(self):
        with open(self.settings) as f:
            text = f.read()
        values = {}
        for name, quoted, number in re.findall(r'^\s*(\w+)\s*=\s*(?:"([^"]*)"|(-?\d+))', text, re.MULTILINE):
            values[name] = quoted if number == "" else int(number)
        return values

    def start_client(self):
        self.runs += 1
        env = dict(self.display.env(), XDG_CONFIG_HOME=self.config_dir, XDG_DATA_HOME=self.data_dir,
                   HOME=self.work, SDL_AUDIODRIVER="dummy")
        self.client = Client(self.options.client, os.getcwd(), env,
                             os.path.join(self.out, f"client-{self.runs}.log"))
        wait_for("the client's window", lambda: self.display.windows_named("Tidewake", self.client.pid), 30)

    @property
    def window(self):
        """The client's X window, looked up at each use: SDL replaces the first window it makes
        when it sets up the renderer."""
        windows = self.display.windows_named("Tidewake", self.client.pid)
        assert len(windows) == 1, f"expected one client window, found {windows}"
        return windows[0]

    def end_client_with_escape(self):
        self.display.key(self.window, "Escape")
        status = self.client.wait_exit(15)
        assert status == 0, f"the client ended with status {status}"
        self.client.kill()

    def shot(self):
        assert self.client.running(), f"the client ended early; see {self.client.log_path}"
        return self.display.shot()

    def save(self, shot, name):
        assert not shot.is_one_colour(), f"the screenshot {name} is all one colour"
        path = os.path.join(self.out, f"{len(self.shots) + 1:02d}-{name}.png")
        shot.save_png(path)
        self.shots.append(path)
        log(f"saved {path}")

    def wait_screen(self, name, timeout=30, avoid=()):
        """The first screenshot that shows the screen `name`; fails on a screen in `avoid`."""
        def seen():
            shot = self.shot()
            current = screens.identify(shot, RACES)
            assert current not in avoid, f"the {current} screen appeared while waiting for the {name} screen"
            return shot if current == name else None
        return wait_for(f"the {name} screen", seen, timeout, step=0.05)

    def wait_pictures(self):
        """The selector once the three race pictures have arrived (light charts replace the
        window's dark blue)."""
        def loaded():
            shot = self.shot()
            boxes = [(*screens.at(SELECTOR_WINDOW, 95, 55 + 250 * i), 300, 150) for i in range(RACES)]
            return shot if all(shot.mean(*box)[1] > 120 for box in boxes) else None
        return wait_for("the race pictures", loaded, 30, step=0.2)

    def wait_tiles(self):
        def arrived():
            shot = self.shot()
            return shot if screens.light_share(shot, PANEL) > 0.6 else None
        return wait_for("the map tiles", arrived, 90, step=0.3)

    def own_boat(self):
        rows = self.server.query("SELECT b.race, b.heading, b.sail FROM boats b JOIN users u ON u.id = b.user "
                                 "WHERE u.email = ?", self.email)
        assert len(rows) == 1, f"expected one boat of {self.email} in the server's data, found {len(rows)}"
        return rows[0]

    # --- the player's steps ---------------------------------------------------------------

    def register_and_join(self):
        log("registering a new account")
        self.write_settings()
        self.start_client()
        self.first_login = self.wait_screen("login")
        self.save(self.first_login, "login")
        self.refused_registration()
        self.display.click(*REGISTER_BUTTON)
        self.wait_screen("registration", avoid=("selector",))
        self.fill_registration(self.email, PASSWORD, PASSWORD, NICK)
        self.save(self.shot(), "registration-filled")
        self.display.key(self.window, "Return")
        wait_shot = self.catch_screen("wait", until="selector")
        if wait_shot:
            self.save(wait_shot, "wait-dialog-registration")
        self.save(self.wait_pictures(), "selector")

        users = self.server.query("SELECT nick FROM users WHERE email = ?", self.email)
        assert users == [(NICK,)], f"the server's accounts hold {users} for {self.email}"
        stored = self.read_settings()
        assert stored.get("login") == self.email and stored.get("password") == hex_of(PASSWORD), \
            f"the settings after registration are {stored}"

        log("joining the first race")
        join = screens.at(SELECTOR_WINDOW, 420 + 90, 50 + 140 + 48)
        self.display.click(*join)
        self.wait_screen("race", avoid=("message",))
        self.save(self.wait_tiles(), "race")

    def fill_registration(self, *texts):
        for index, text in enumerate(texts):
            if index:
                self.display.key(self.window, "Tab")
            self.display.type(self.window, text)

    def refused_registration(self):
        """A password the server finds too short: its refusal shows in a message box, and
        Cancel leads back to the login screen."""
        _, answer = self.server.get(f"/users?action=1&autoLogin=1&{self.query(SHORT_PASSWORD)}&nick={NICK}")
        assert answer == f"<result>{SHORT_PASSWORD_REFUSAL}</result>", f"the server refused with {answer!r}"
        self.display.click(*REGISTER_BUTTON)
        self.save(self.wait_screen("registration", avoid=("selector",)), "registration")
        self.fill_registration(self.email, SHORT_PASSWORD, SHORT_PASSWORD, NICK)
        self.display.key(self.window, "Return")
        self.refusal = self.wait_screen("message", avoid=("selector",))
        self.save(self.refusal, "message-box-registration")
        self.display.key(self.window, "Escape")
        self.wait_screen("registration")
        self.display.key(self.window, "Escape")
        self.wait_screen("login")

    def query(self, password):
        return urllib.parse.urlencode({"email": self.email, "password": password})

    def catch_screen(self, name, until):
        """A screenshot of a passing screen `name` if one is caught before `until` shows."""
        caught = []

        def passed():
            shot = self.shot()
            current = screens.identify(shot, RACES)
            if current == name and not caught:
                caught.append(shot)
            return current == until
        wait_for(f"the {until} screen", passed, 30, step=0.01)
        return caught[0] if caught else None

    def steer(self):
        race, heading, sail = self.own_boat()
        assert sail == 1, f"a new boat should sail with the jib, the server has sail {sail}"
        log(f"own boat in race {race}: heading {heading:.1f}, sail {sail}; turning 90 degrees to starboard")
        cx, cy = RING
        # Press on the ring's band straight above the centre and sweep a quarter circle.
        arc = [(cx + round(125 * s), cy - round(125 * c)) for s, c in
               ((0.0, 1.0), (0.26, 0.97), (0.5, 0.87), (0.71, 0.71), (0.87, 0.5), (0.97, 0.26), (1.0, 0.0))]
        before = self.shot()
        self.display.drag(arc)
        self.display.click(*SPINNAKER_BUTTON)
        editing = wait_for("the apply button", lambda: self.changed(before, APPLY_BUTTON, 20, 20), 10)
        self.save(editing, "race-panel-editing")
        self.display.click(*APPLY_BUTTON)

        wanted = (heading + 90.0) % 360.0
        def arrived():
            _, now_heading, now_sail = self.own_boat()
            return now_sail == 2 and angle_between(now_heading, wanted) < 2.5
        wait_for(f"heading {wanted:.1f} with the spinnaker in the server's data", arrived, 15)
        log(f"the server has heading {self.own_boat()[1]:.1f} and the spinnaker")
        self.end_client_with_escape()

    def changed(self, before, point, w, h):
        shot = self.shot()
        box = (point[0] - w // 2, point[1] - h // 2, w, h)
        return shot if differs(before.region(*box), shot.region(*box), 3 * w * h // 4) else None

    def automatic_login(self):
        log("starting with automatic login")
        self.write_settings(login=self.email, password=hex_of(PASSWORD), autoLogin=1)
        self.start_client()
        self.save(self.wait_screen("selector", avoid=("login", "registration", "message")), "selector-automatic")
        self.wait_pictures()
        self.display.key(self.window, "Escape")
        again = self.wait_screen("login", avoid=("race",))
        self.save(again, "login-after-selector")
        stored = self.read_settings()
        assert stored.get("autoLogin") == 0, f"leaving the selector should switch automatic login off: {stored}"
        assert differs(self.first_login.region(*EMAIL_TEXT), again.region(*EMAIL_TEXT), 600), \
            "the login screen should show the stored e-mail address"
        assert not differs(self.first_login.region(*AUTO_LOGIN_BOX), again.region(*AUTO_LOGIN_BOX)), \
            "the automatic login box should be clear after leaving the selector"

    def wrong_password(self):
        log("logging in with a wrong password")
        _, answer = self.server.login(self.email, WRONG_PASSWORD)
        assert answer == f"<result>{SERVER_REFUSAL}</result>", f"the server refused with {answer!r}"
        self.display.key(self.window, "Tab", "End")
        self.display.key(self.window, *["BackSpace"] * (len(PASSWORD) + 2))
        self.display.type(self.window, WRONG_PASSWORD)
        self.display.key(self.window, "Return")
        box = self.wait_screen("message", avoid=("selector", "race"))
        self.save(box, "message-box")
        # The two refusals are the server's own texts, the registration's twice as long.
        login_end = screens.text_end(box, MESSAGE_TEXT)
        registration_end = screens.text_end(self.refusal, MESSAGE_TEXT)
        assert login_end is not None and registration_end is not None, "a message box shows no text"
        assert registration_end - MESSAGE_TEXT[0] > 1.6 * (login_end - MESSAGE_TEXT[0]), \
            f"the message texts end at x {login_end} and {registration_end}: not the server's two texts"
        self.display.key(self.window, "Escape")
        self.wait_screen("login", avoid=("selector",))
        wait_for("'something wrong' from the client", lambda: self.client.count("something wrong") == 1, 10)
        stored = self.read_settings()
        assert stored.get("password") == hex_of(WRONG_PASSWORD), \
            f"a failed login still stores the password typed: {stored}"
        self.end_client_with_escape()

    def server_outage(self):
        log("continuing the race, then stopping the server")
        self.write_settings(login=self.email, password=hex_of(PASSWORD), autoLogin=1)
        self.start_client()
        self.wait_pictures()
        # A stopped server holds the requests that load the race, so the wait dialog stays up
        # to be seen.
        self.server.pause()
        try:
            self.display.click(*screens.at(SELECTOR_WINDOW, 420 + 90, 50 + 140 + 48))
            self.save(self.wait_screen("wait", avoid=("race",)), "wait-dialog")
        finally:
            self.server.resume()
        self.wait_screen("race", avoid=("message",))
        # Zooming in shortens the period of the position downloads from 33 to 5 seconds; a
        # level takes a second of animation.
        self.display.move(150, 600)
        for _ in range(3):
            self.display.click(150, 600, button=4)
            time.sleep(1.2)

        heading_before = screens.ink(self.shot(), HEADING_LINE)
        failures = self.client.count("Error downloading position")
        self.server.stop()
        log("server stopped")
        wait_for("a failed position download",
                 lambda: self.client.count("Error downloading position") > failures, 45)
        assert self.client.running(), "the client ended when the server stopped"

        # The panel still answers: a sail click shows apply and cancel, cancel hides them again.
        # The brackets let the chart show through a little, and tiles answered before the stop
        # may still be coming in, so the button is judged by a change of most of its pixels.
        before = self.shot()
        self.display.click(*JIB_BUTTON)
        shown = wait_for("the cancel button", lambda: self.changed(before, CANCEL_BUTTON, 20, 20), 10)
        self.save(shown, "race-server-down")
        self.display.click(*CANCEL_BUTTON)
        wait_for("the cancel button to go", lambda: self.changed(shown, CANCEL_BUTTON, 20, 20), 10)
        assert screens.same_text(heading_before, screens.ink(self.shot(), HEADING_LINE)), \
            "the heading changed without a server"

        self.server.start()
        log("server started again")
        cookies, answer = self.server.login(self.email, PASSWORD)
        assert answer == "<result>OK</result>", f"login over HTTP: {answer!r}"
        race, heading, _ = self.own_boat()
        new_heading = round(heading + 120) % 360
        _, answer = self.server.get(f"/boats?action=2&heading={new_heading}&sail=2&raceId={race}", cookies)
        assert answer == "<result>OK</result>", f"course change over HTTP: {answer!r}"
        log(f"the server now steers heading {new_heading}")
        back = wait_for("the new heading in the information panel",
                        lambda: self.new_text(heading_before, HEADING_LINE), 45)
        self.save(back, "race-server-back")
        self.end_client_with_escape()
        self.server.stop()

    def new_text(self, before, box):
        shot = self.shot()
        return shot if screens.other_text(before, screens.ink(shot, box)) else None

    def close(self):
        if self.client:
            self.client.kill()
        self.server.kill()
        self.display.close()
        shutil.rmtree(self.work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--client", required=True)
    parser.add_argument("--server", required=True)
    parser.add_argument("--out", required=True, help="folder for the screenshots and logs")
    parser.add_argument("--coast-cache", help="folder that keeps the server's coastline grids between runs")
    options = parser.parse_args()
    options.out = os.path.abspath(options.out)
    options.coast_cache = os.path.abspath(options.coast_cache or os.path.join(options.out, "..", "e2e-coast-cache"))
    for tool in ("Xvfb", "xdotool", "xwd", "stdbuf"):
        if not shutil.which(tool):
            print(f"e2e: {tool} is missing (scripts/install-deps.sh installs it)")
            return 1
    # A termination request still runs the clean-up below.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    started = time.monotonic()
    run = Run(options)
    try:
        run.server.start()
        log(f"server on port {run.server.port}, display {run.display.name}")
        run.register_and_join()
        run.steer()
        run.automatic_login()
        run.wrong_password()
        run.server_outage()
    except Exception as failure:
        traceback.print_exc()
        try:
            run.display.shot().save_png(os.path.join(options.out, "failure.png"))
        except Exception:
            pass
        print(f"e2e FAILED: {failure}")
        return 1
    finally:
        run.close()
    log(f"passed in {time.monotonic() - started:.0f} s; {len(run.shots)} screenshots in {options.out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
