#!/usr/bin/python3
"""Measures the client on the race screen under Xvfb with SDL's software renderer. It starts the
companion server on a free port with a fresh data folder, registers a player and joins a race
through the client's own screens (the steps of tests/e2e/run_e2e.py), then:
  idle  waits until the chart at zoom 6 has settled and prints the share of a core the client
        takes over 10 s, from /proc/PID/stat;
  roam  drags the chart and zooms it in and out for --minutes (default 10) and prints the peak
        resident memory, VmHWM from /proc/PID/status, with a progress line each minute.
Run from the source folder (the client reads data/ there), for instance
  scripts/measure-race.py --client build/tidewake --server build/server/tidewake-server idle roam
Only the processes it started are ended, by their process ids."""

import argparse
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import run_e2e  # noqa: E402  (the driver's display, server and lobby steps)

# A point of open chart, right of and below the boat panel and above the wind tape.
PAN_X, PAN_Y = 850, 620
IDLE_SECONDS = 10


def cpu_ticks(pid):
    """User and system ticks; the command name in field 2 may hold spaces."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def memory_kb(pid, name):
    with open(f"/proc/{pid}/status") as f:
        return next(int(line.split()[1]) for line in f if line.startswith(name + ":"))


def idle(run):
    run.settled("the race screen at zoom 6 at rest")
    pid = run.client.pid
    start, ticks = time.monotonic(), cpu_ticks(pid)
    time.sleep(IDLE_SECONDS)
    used = (cpu_ticks(pid) - ticks) / os.sysconf("SC_CLK_TCK")
    print(f"idle race screen at zoom 6: {100 * used / (time.monotonic() - start):.1f}% of a core "
          f"over {IDLE_SECONDS} s; VmRSS {memory_kb(pid, 'VmRSS') / 1024:.0f} MB")


def drag(run, dx, dy):
    steps = [str(v) for i in range(1, 5) for v in (PAN_X + dx * i // 4, PAN_Y + dy * i // 4)]
    moves = [word for i in range(0, len(steps), 2) for word in ("mousemove", steps[i], steps[i + 1])]
    run.display.run("xdotool", "mousemove", str(PAN_X), str(PAN_Y), "mousedown", "1", *moves, "mouseup", "1")


def roam(run, minutes):
    """Drags drift the view eastwards so that new tiles keep arriving; every fourth drag the
    zoom steps one level along 6, 7, ... 10, 9, ... 6 and again."""
    pid, levels = run.client.pid, list(range(6, 11)) + list(range(9, 6, -1))
    directions = [(-300, 0), (0, -150), (-300, 0), (0, 150)]
    start = time.monotonic()
    end, report, step, zoom = start + 60 * minutes, start + 60, 0, 0
    while time.monotonic() < end:
        assert run.client.poll() is None, f"the client ended; see {run.log_path}"
        dx, dy = directions[step % len(directions)]
        drag(run, dx, dy)
        if step % 4 == 3:
            wanted = levels[(zoom + 1) % len(levels)]
            run.display.click(PAN_X, PAN_Y, button=4 if wanted > levels[zoom] else 5)
            zoom = (zoom + 1) % len(levels)
        step += 1
        time.sleep(0.5)
        if time.monotonic() >= report:
            print(f"{(report - start) / 60:.0f} min: {step} drags, zoom {levels[zoom]}, "
                  f"VmRSS {memory_kb(pid, 'VmRSS') / 1024:.0f} MB, VmHWM {memory_kb(pid, 'VmHWM') / 1024:.0f} MB")
            report += 60
    run.save(run.shot(), "roamed")
    images = sum(len(files) for _, _, files in os.walk(os.path.join(run.work, "data")))
    print(f"after {minutes:g} min of panning and zooming ({step} drags, {images} images in the client's cache "
          f"folder): peak RSS (VmHWM) {memory_kb(pid, 'VmHWM') / 1024:.0f} MB, "
          f"VmRSS now {memory_kb(pid, 'VmRSS') / 1024:.0f} MB")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--client", default="build/tidewake")
    parser.add_argument("--server", default="build/server/tidewake-server")
    parser.add_argument("--coast-cache", default="build/e2e-coast-cache")
    parser.add_argument("--out", default=None, help="folder for the logs and screenshots (default: temporary)")
    parser.add_argument("--minutes", type=float, default=10)
    parser.add_argument("modes", nargs="+", choices=("idle", "roam"))
    options = parser.parse_args()
    keep = options.out is not None
    options.out = os.path.abspath(options.out or tempfile.mkdtemp(prefix="tidewake-measure-"))
    options.coast_cache = os.path.abspath(options.coast_cache)
    os.makedirs(options.out, exist_ok=True)
    sys.stdout.reconfigure(line_buffering=True)
    # The software renderer is what a machine without graphics acceleration gets.
    os.environ["SDL_RENDER_DRIVER"] = "software"
    run = run_e2e.Run(options)
    try:
        run.server.start()
        run.register_and_join()
        for mode in options.modes:
            if mode == "idle":
                idle(run)
            else:
                roam(run, options.minutes)
    finally:
        run.stop()
        if not keep:
            shutil.rmtree(options.out, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
