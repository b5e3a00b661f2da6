#!/usr/bin/env python3
"""Many players polling a running tidewake-server as the client does, plus a few hostile
sockets that dribble their headers.

A few accounts are registered up front (registration hashes passwords, so one at a time)
and join a race; the players share their sessions. Each player keeps one keep-alive
connection (reopened if the server closes it, as libcurl does) and asks for its position
every 2 s and for the boats list every 34 s, each at a phase of its own. Prints, per kind,
the answers and their p50/p99/slowest latency, the players starved (no answer within
--window seconds, or none at all), the errors, how far the load generator itself ran late,
and when the server closed the slow-header sockets.

    ulimit -n 20000
    tidewake-server --data DIR --port 7080 --boats 300 &
    server/bench/crowd_load.py --port 7080 --players 5000 --seconds 60
"""
import argparse
import asyncio
import multiprocessing
import os
import random
import resource
import time
import uuid


class Connection(asyncio.Protocol):
    """One keep-alive connection, parsed by hand: the load generator must stay cheap next
    to the server it measures."""

    def __init__(self):
        self.transport = None
        self.buffer = b""
        self.waiting = None

    @staticmethod
    async def open(args):
        _, connection = await asyncio.get_running_loop().create_connection(Connection, args.host, args.port)
        return connection

    def connection_made(self, transport):
        self.transport = transport

    def connection_lost(self, error):
        self.transport = None
        if self.waiting and not self.waiting.done():
            self.waiting.set_exception(ConnectionResetError("closed by the server"))

    def data_received(self, data):
        self.buffer += data
        end = self.buffer.find(b"\r\n\r\n")
        # A request given up on (its future cancelled) has its connection closed.
        if end < 0 or not self.waiting or self.waiting.done():
            return
        head = self.buffer[:end].decode("latin-1")
        length = next((int(line[15:]) for line in head.split("\r\n") if line.lower().startswith("content-length:")), 0)
        if len(self.buffer) >= end + 4 + length:
            self.waiting.set_result((head, self.buffer[end + 4:end + 4 + length]))
            self.buffer = self.buffer[end + 4 + length:]

    async def ask(self, path, cookie):
        """One GET: the answer's status, header lines and body."""
        if not self.transport:
            raise ConnectionResetError("closed by the server")
        self.waiting = asyncio.get_running_loop().create_future()
        self.transport.write(("GET %s HTTP/1.1\r\nHost: 127.0.0.1\r\n%s\r\n" % (path, "Cookie: %s\r\n" % cookie if cookie else "")).encode())
        head, body = await self.waiting
        self.waiting = None
        lines = head.split("\r\n")
        return int(lines[0].split()[1]), lines[1:], body

    def close(self):
        if self.transport:
            self.transport.close()


async def accounts(args):
    return [await account(args, i) for i in range(args.accounts)]


async def account(args, index):
    """Registers and joins; the Cookie header of the session."""
    connection = await Connection.open(args)
    email = "crowd-%s-%d@example.org" % (uuid.uuid4().hex[:8], index)
    _, headers, _ = await connection.ask("/users?action=1&autoLogin=1&email=%s&password=secret1&nick=Crowd%d" % (email, index), None)
    cookie = "; ".join(line[11:].split(";")[0].strip() for line in headers if line.lower().startswith("set-cookie:"))
    await connection.ask("/races?action=2&raceId=%d" % args.race, cookie)
    connection.close()
    return cookie


class Player:
    def __init__(self, args, cookie, stats):
        self.args, self.cookie, self.stats = args, cookie, stats
        self.answers = 0
        self.slowest = 0.0
        self.connection = None

    async def request(self, kind, path):
        started = time.perf_counter()
        for attempt in range(2):
            try:
                if self.connection is None:
                    self.connection = await Connection.open(self.args)
                status, _, body = await asyncio.wait_for(self.connection.ask(path, self.cookie), self.args.window)
                break
            except (OSError, IndexError, ValueError, asyncio.TimeoutError) as error:
                if self.connection:
                    self.connection.close()
                self.connection = None
                self.stats["reconnects"] += 1
                if attempt == 1 or isinstance(error, asyncio.TimeoutError):
                    self.stats["errors"] += 1
                    self.slowest = max(self.slowest, time.perf_counter() - started)
                    return
        elapsed = time.perf_counter() - started
        # Every answer asked for here is a good one: "OK" and a table.
        if status != 200 or not body.startswith(b"<result>OK "):
            self.stats["errors"] += 1
        self.answers += 1
        self.slowest = max(self.slowest, elapsed)
        self.stats[kind].append(elapsed)

    async def run(self, begin, end):
        # Connect during the ramp, then poll from a phase of this player's own.
        await asyncio.sleep(max(0.0, begin - self.args.ramp * random.random() - time.perf_counter()))
        await self.request("position", "/races?action=5&raceId=%d" % self.args.race)
        tick = begin + random.uniform(0, 2)
        next_boats = begin + random.uniform(0, 34)
        while tick < end:
            await asyncio.sleep(max(0.0, tick - time.perf_counter()))
            if tick >= next_boats:
                await self.request("boats", "/races?action=4&raceId=%d" % self.args.race)
                next_boats += 34
            await self.request("position", "/races?action=5&raceId=%d" % self.args.race)
            tick += 2
        if self.connection:
            self.connection.close()


async def slow_header(args, begin, end, closed_after):
    """Sends a request line, then one header byte a second until the server hangs up."""
    await asyncio.sleep(max(0.0, begin - time.perf_counter()))
    reader, writer = await asyncio.open_connection(args.host, args.port)
    opened = time.perf_counter()
    writer.write(b"GET /races?action=1 HTTP/1.1\r\nX")
    while time.perf_counter() < end:
        try:
            if await asyncio.wait_for(reader.read(1), 1.0) == b"" or reader.at_eof():
                closed_after.append(time.perf_counter() - opened)
                break
        except asyncio.TimeoutError:
            writer.write(b"x")
        except OSError:
            closed_after.append(time.perf_counter() - opened)
            break
    writer.close()


async def watch_lag(end, lag):
    """How late the load generator's own event loop wakes: its share of every latency."""
    while time.perf_counter() < end:
        planned = time.perf_counter() + 0.1
        await asyncio.sleep(0.1)
        lag.append(time.perf_counter() - planned)


def percentile(times, q):
    return times[min(len(times) - 1, int(len(times) * q))] * 1000


async def crowd(args, cookies, players_here, slow_here, begin):
    """One process's share of the players; its counts and latencies."""
    stats = {"position": [], "boats": [], "lag": [], "errors": 0, "reconnects": 0, "closed": []}
    end = begin + args.seconds
    players = [Player(args, cookies[i % len(cookies)], stats) for i in range(players_here)]
    tasks = [p.run(begin, end) for p in players] + [slow_header(args, begin, end, stats["closed"]) for _ in range(slow_here)]
    await asyncio.gather(*tasks, watch_lag(end, stats["lag"]))
    stats["starved"] = sum(1 for p in players if p.answers == 0 or p.slowest > args.window)
    return stats


def share(args, cookies, index, begin):
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    players = args.players // args.processes + (index < args.players % args.processes)
    slow = args.slow // args.processes + (index < args.slow % args.processes)
    return asyncio.run(crowd(args, cookies, players, slow, begin))


def cpu_seconds(pid):
    """User and system time of a process, from /proc."""
    if not pid:
        return 0.0
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def main(args):
    started = time.perf_counter()
    cookies = asyncio.run(accounts(args))
    print("%d accounts registered and joined in %.1f s" % (args.accounts, time.perf_counter() - started))
    cpu_before = cpu_seconds(args.server_pid)
    begin = time.perf_counter() + args.ramp + 1
    with multiprocessing.Pool(args.processes) as pool:
        shares = pool.starmap(share, [(args, cookies, i, begin) for i in range(args.processes)])
    print("%d players over %.0f s (ramp %.0f s), %d accounts, race %d, %d load processes" % (
        args.players, args.seconds, args.ramp, args.accounts, args.race, args.processes))
    for kind in ("position", "boats"):
        times = sorted(t for part in shares for t in part[kind])
        if times:
            print("  %-8s %6d answers: p50 %.1f ms, p99 %.1f ms, slowest %.1f ms" % (
                kind, len(times), percentile(times, 0.5), percentile(times, 0.99), times[-1] * 1000))
    lag = sorted(t for part in shares for t in part["lag"])
    print("  starved %d (window %.0f s), errors %d, reconnects %d; load generator late p99 %.1f ms" % (
        sum(part["starved"] for part in shares), args.window, sum(part["errors"] for part in shares),
        sum(part["reconnects"] for part in shares), percentile(lag, 0.99) if lag else 0.0))
    closed = [t for part in shares for t in part["closed"]]
    if closed:
        print("  slow-header sockets: %d of %d closed by the server, after %.1f to %.1f s" % (len(closed), args.slow, min(closed), max(closed)))
    elif args.slow:
        print("  slow-header sockets: none of %d closed by the server" % args.slow)
    if args.server_pid:
        print("  server CPU time during the run: %.1f s" % (cpu_seconds(args.server_pid) - cpu_before))


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=7080)
    parser.add_argument("--race", type=int, default=1)
    parser.add_argument("--players", type=int, default=5000)
    parser.add_argument("--accounts", type=int, default=20)
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--ramp", type=float, default=10, help="seconds over which the players connect")
    parser.add_argument("--window", type=float, default=10, help="an answer later than this starves its player")
    parser.add_argument("--slow", type=int, default=10, help="sockets that dribble their headers")
    parser.add_argument("--processes", type=int, default=2, help="load generator processes")
    parser.add_argument("--server-pid", type=int, default=0, help="report this process's CPU time")
    main(parser.parse_args())
