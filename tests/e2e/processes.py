"""The companion server and the client as child processes, with their logs and data."""

import ctypes
import http.client
import os
import re
import shutil
import signal
import socket
import sqlite3
import subprocess
import time
import urllib.parse

COAST_FILES = ("coast-l.bin", "coast-i.bin", "coast-h.bin")


def die_with_parent():
    """Run in the child before exec: the kernel ends it when this driver ends, even by SIGKILL
    (a test timeout), so no server, client or display outlives a run."""
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(what, condition, timeout, step=0.1):
    """Polls `condition` until it gives a true value, which it returns; fails after `timeout` s."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(step)


class RaceServer:
    """tidewake-server on a fixed port and data folder; can be stopped and started again."""

    def __init__(self, binary, data_dir, port, log_path, coast_cache):
        self.binary = binary
        self.data_dir = data_dir
        self.port = port
        self.log_path = log_path
        self.coast_cache = coast_cache
        self.process = None
        os.makedirs(data_dir, exist_ok=True)
        self._seed_coastline()

    def _seed_coastline(self):
        """The coastline grids take a minute to build from the shoreline data; a copy kept from an
        earlier run saves that for every fresh data folder."""
        for name in COAST_FILES:
            cached = os.path.join(self.coast_cache, name)
            if os.path.exists(cached):
                target = os.path.join(self.data_dir, name)
                try:
                    os.link(cached, target)
                except OSError:
                    shutil.copyfile(cached, target)

    def keep_coastline(self):
        os.makedirs(self.coast_cache, exist_ok=True)
        for name in COAST_FILES:
            built = os.path.join(self.data_dir, name)
            cached = os.path.join(self.coast_cache, name)
            if os.path.exists(built) and not os.path.exists(cached):
                shutil.copyfile(built, cached + ".part")
                os.replace(cached + ".part", cached)

    def start(self, boats=4, ready_timeout=180):
        log = open(self.log_path, "ab")
        self.process = subprocess.Popen(
            [self.binary, "--data", self.data_dir, "--port", str(self.port), "--boats", str(boats)],
            stdout=log, stderr=subprocess.STDOUT, preexec_fn=die_with_parent)
        log.close()
        wait_for("the race server to answer", self._answers, ready_timeout, step=0.2)
        if not all(os.path.exists(os.path.join(self.coast_cache, name)) for name in COAST_FILES):
            self._build_coastline()

    def _build_coastline(self):
        """Without a kept copy the server builds each coastline grid when a chart tile first
        needs it, holding up every request meanwhile; one tile of each detail builds them
        before the client comes."""
        for tile in ("/tiles/2/1/1.png", "/tiles/6/31/21.png", "/tiles/9/255/170.png"):
            self.get(tile, timeout=600)
        self.keep_coastline()

    def _answers(self):
        if self.process.poll() is not None:
            raise AssertionError(f"tidewake-server ended with status {self.process.returncode}; see {self.log_path}")
        try:
            return "<result>" in self.get("/races?action=1")[1]
        except OSError:
            return False

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        status = self.process.wait(30)
        if status != 0:
            raise AssertionError(f"tidewake-server ended with status {status}")

    def pause(self):
        self.process.send_signal(signal.SIGSTOP)

    def resume(self):
        self.process.send_signal(signal.SIGCONT)

    def kill(self):
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGCONT)
            self.process.kill()
            self.process.wait()

    def get(self, path, cookies="", timeout=30):
        """(headers, body) of a GET to the race interface."""
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)
        try:
            connection.request("GET", path, headers={"Cookie": cookies} if cookies else {})
            response = connection.getresponse()
            return response.getheaders(), response.read().decode(errors="replace")
        finally:
            connection.close()

    def login(self, email, password):
        """The cookie header of a fresh session, and the answer text of the login."""
        query = urllib.parse.urlencode({"action": 2, "email": email, "password": password})
        headers, body = self.get("/users?" + query)
        cookies = [v.split(";")[0] for k, v in headers if k.lower() == "set-cookie"]
        return "; ".join(cookies), body

    def query(self, sql, *parameters):
        """Rows of a read-only query on the server's database."""
        database = sqlite3.connect(f"file:{self.data_dir}/tidewake.db?mode=ro", uri=True, timeout=10)
        try:
            return database.execute(sql, parameters).fetchall()
        finally:
            database.close()


class Client:
    """One run of the tidewake binary from the source folder, its standard output in a log."""

    def __init__(self, binary, source_dir, env, log_path):
        self.log_path = log_path
        self.log = open(log_path, "wb")
        # Line-buffered standard output, so that the log shows what the client has printed so far.
        self.process = subprocess.Popen(["stdbuf", "-oL", "-eL", binary], cwd=source_dir, env=env,
                                        stdout=self.log, stderr=subprocess.STDOUT, preexec_fn=die_with_parent)

    @property
    def pid(self):
        return self.process.pid

    def running(self):
        return self.process.poll() is None

    def output(self):
        with open(self.log_path, "rb") as f:
            return f.read().decode(errors="replace")

    def count(self, line):
        return len(re.findall("^" + re.escape(line) + "$", self.output(), re.MULTILINE))

    def wait_exit(self, timeout=15):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the client did not end within {timeout} s")

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.log.close()
