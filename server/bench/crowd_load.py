#!/usr/bin/env python3
"""Many players polling a running tidewake-server as the client does.

Each player registers, joins a race, then keeps one keep-alive connection and asks for
its position every 2 s and for the boats list every 34 s. Prints the latency
percentiles, the slowest answer, and the players that waited longer than 15 s for any
answer (starved) or lost their connection.

    tidewake-server --data DIR --port 7080 --boats 1000 &
    server/bench/crowd_load.py --port 7080 --players 100 --seconds 30
"""
import argparse
import http.client
import threading
import time
import uuid


class Player(threading.Thread):
    def __init__(self, args, start_at):
        super().__init__(daemon=True)
        self.args = args
        self.start_at = start_at
        self.latencies = []
        self.failed = False

    def ask(self, connection, path, cookie=None):
        started = time.perf_counter()
        try:
            connection.request("GET", path, headers={"Cookie": cookie} if cookie else {})
            answer = connection.getresponse()
        except (http.client.RemoteDisconnected, ConnectionResetError, BrokenPipeError):
            # The server closed an idle keep-alive connection: open another, as libcurl does.
            connection.close()
            connection.request("GET", path, headers={"Cookie": cookie} if cookie else {})
            answer = connection.getresponse()
        answer.read()
        self.latencies.append(time.perf_counter() - started)
        return answer

    def run(self):
        try:
            connection = http.client.HTTPConnection(self.args.host, self.args.port, timeout=60)
            email = "crowd-%s@example.org" % uuid.uuid4().hex[:12]
            answer = self.ask(connection, "/users?action=1&autoLogin=1&email=%s&password=secret1&nick=Crowd" % email)
            cookie = "; ".join(c.split(";")[0] for c in answer.headers.get_all("Set-Cookie") or [])
            self.ask(connection, "/races?action=2&raceId=%d" % self.args.race, cookie)
            self.latencies.clear()
            while time.perf_counter() < self.start_at:
                time.sleep(0.05)
            end = self.start_at + self.args.seconds
            next_boats = time.perf_counter()
            while time.perf_counter() < end:
                tick = time.perf_counter()
                if tick >= next_boats:
                    self.ask(connection, "/races?action=4&raceId=%d" % self.args.race, cookie)
                    next_boats = tick + 34
                self.ask(connection, "/races?action=5&raceId=%d" % self.args.race, cookie)
                time.sleep(max(0.0, 2.0 - (time.perf_counter() - tick)))
        except (OSError, http.client.HTTPException):
            self.failed = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=7080)
    parser.add_argument("--race", type=int, default=1)
    parser.add_argument("--players", type=int, default=100)
    parser.add_argument("--seconds", type=float, default=30)
    args = parser.parse_args()
    # Registration hashes passwords two at a time; the polling starts once all are in.
    start_at = time.perf_counter() + 5 + args.players * 0.08
    players = [Player(args, start_at) for _ in range(args.players)]
    for player in players:
        player.start()
    for player in players:
        player.join(start_at - time.perf_counter() + args.seconds + 60)
    times = sorted(t for p in players for t in p.latencies)
    starved = sum(1 for p in players if not p.latencies or max(p.latencies) > 15)
    failed = sum(1 for p in players if p.failed)
    if not times:
        print("no answers")
        return
    def pct(q):
        return times[min(len(times) - 1, int(len(times) * q))] * 1000
    print("%d players, %d answers in %.0f s: p50 %.1f ms, p99 %.1f ms, slowest %.1f ms; starved %d, failed %d" % (
        args.players, len(times), args.seconds, pct(0.5), pct(0.99), times[-1] * 1000, starved, failed))


if __name__ == "__main__":
    main()
