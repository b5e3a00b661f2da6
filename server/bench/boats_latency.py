#!/usr/bin/env python3
"""Latency of the boats list, the position answer and course changes of a running
tidewake-server.

Registers a player, joins a race, then asks for the boats list and the position from
several keep-alive connections at once and prints the answer sizes and latencies.

    tidewake-server --data DIR --port 7080 --boats 10000 &
    server/bench/boats_latency.py --port 7080 --race 1 --clients 4 --requests 200
"""
import argparse
import http.client
import statistics
import threading
import time
import uuid


def login(host, port):
    connection = http.client.HTTPConnection(host, port, timeout=60)
    email = "bench-%s@example.org" % uuid.uuid4().hex[:12]
    connection.request("GET", "/users?action=1&autoLogin=1&email=%s&password=secret1&nick=Bench" % email)
    answer = connection.getresponse()
    answer.read()
    cookies = [c.split(";")[0] for c in answer.headers.get_all("Set-Cookie") or []]
    return connection, "; ".join(cookies)


def measure(host, port, race, requests, path_of, results):
    connection, cookie = login(host, port)
    connection.request("GET", "/races?action=2&raceId=%d" % race, headers={"Cookie": cookie})
    connection.getresponse().read()
    for _ in range(requests):
        started = time.perf_counter()
        connection.request("GET", path_of(race), headers={"Cookie": cookie})
        body = connection.getresponse().read()
        results.append((time.perf_counter() - started, len(body)))


def run(args, name, path_of):
    results = []
    threads = [threading.Thread(target=measure, args=(args.host, args.port, args.race, args.requests, path_of, results))
               for _ in range(args.clients)]
    started = time.perf_counter()
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    elapsed = time.perf_counter() - started
    times = sorted(t for t, _ in results)
    p99 = times[min(len(times) - 1, int(len(times) * 0.99))]
    print("%-9s %6d answers %8.0f/s  size %8d B  p50 %7.2f ms  p99 %7.2f ms" % (
        name, len(times), len(times) / elapsed, statistics.median(s for _, s in results),
        statistics.median(times) * 1000, p99 * 1000))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=7080)
    parser.add_argument("--race", type=int, default=1)
    parser.add_argument("--clients", type=int, default=4)
    parser.add_argument("--requests", type=int, default=200)
    args = parser.parse_args()
    run(args, "boats", lambda race: "/races?action=4&raceId=%d" % race)
    run(args, "position", lambda race: "/races?action=5&raceId=%d" % race)
    run(args, "course", lambda race: "/boats?action=2&heading=90&sail=1&raceId=%d" % race)


if __name__ == "__main__":
    main()
