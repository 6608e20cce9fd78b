#!/usr/bin/env python3
"""Load figure of `jux-cli serve-games`: requests per second that a few normal
clients get while many slow connections trickle header lines at the server.

usage: serve_games_load.py JUX_CLI [--slow 70] [--clients 8] [--seconds 10]
                           [--draws 300] [--request list|draws]

The slow connections come from 127.0.0.2 and the normal clients from
127.0.0.1, as two machines of a group would. Each slow connection sends a
request line, then one header line every 5 seconds, never ending its request.
"""
import argparse
import http.client
import os
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time


def make_game(cli, folder, draws):
    path = os.path.join(folder, "served.drw")
    subprocess.run([cli, "demo-game", path, "--draws", str(draws)], check=True, stdout=subprocess.DEVNULL)
    data = bytearray(open(path, "rb").read())
    struct.pack_into("<i", data, 16, 7)  # online identifier
    total, word = 0, bytearray(4)
    body = data[8:]
    for i in range(0, len(body), 4):
        part = body[i:i + 4]
        word[:len(part)] = part  # a short last group keeps the previous word's high bytes
        total = (total + struct.unpack("<I", word)[0]) & 0xFFFFFFFF
    struct.pack_into("<I", data, 4, total)
    open(path, "wb").write(data)


def request_body(kind):
    name, arg = ("GetGamesList", 0) if kind == "list" else ("GetGameDraws", 7)
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<Request><App>JUX</App><Name>%s</Name>'
            "<IntArg>%d</IntArg><TextArg></TextArg></Request>\n" % (name, arg)).encode()


def slow_connection(port, stop, opened):
    try:
        s = socket.create_connection(("127.0.0.1", port), timeout=5, source_address=("127.0.0.2", 0))
        s.sendall(b"POST / HTTP/1.0\r\n")
        opened.append(1)
        n = 0
        while not stop.is_set():
            if stop.wait(5):
                break
            n += 1
            s.sendall(b"X-Slow-%d: still there\r\n" % n)
    except OSError:
        pass


def client(port, body, deadline, counts, errors):
    done = failed = 0
    while time.monotonic() < deadline:
        try:
            c = http.client.HTTPConnection("127.0.0.1", port, timeout=2, source_address=("127.0.0.1", 0))
            c.request("POST", "/", body, {"Content-Type": "application/xml"})
            r = c.getresponse()
            r.read()
            c.close()
            if r.status == 200:
                done += 1
            else:
                failed += 1
        except OSError:
            failed += 1
    counts.append(done)
    errors.append(failed)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("cli")
    p.add_argument("--slow", type=int, default=70)
    p.add_argument("--clients", type=int, default=8)
    p.add_argument("--seconds", type=float, default=10)
    p.add_argument("--draws", type=int, default=300)
    p.add_argument("--request", choices=["list", "draws"], default="list")
    a = p.parse_args()
    folder = tempfile.mkdtemp(prefix="serve_games_load_")
    make_game(a.cli, folder, a.draws)
    server = subprocess.Popen([a.cli, "serve-games", folder, "--port", "0"], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True)
    try:
        port = int(server.stdout.readline().rsplit(":", 1)[1].strip("/\n"))
        stop = threading.Event()
        opened = []
        slow = [threading.Thread(target=slow_connection, args=(port, stop, opened), daemon=True)
                for _ in range(a.slow)]
        for t in slow:
            t.start()
        time.sleep(1)
        counts, errors = [], []
        deadline = time.monotonic() + a.seconds
        body = request_body(a.request)
        workers = [threading.Thread(target=client, args=(port, body, deadline, counts, errors))
                   for _ in range(a.clients)]
        for t in workers:
            t.start()
        for t in workers:
            t.join()
        stop.set()
        print("slow connections opened %d of %d; %d clients, %s requests: %.1f requests/s, %d failed"
              % (len(opened), a.slow, a.clients, a.request, sum(counts) / a.seconds, sum(errors)))
    finally:
        server.terminate()
        server.wait()


if __name__ == "__main__":
    sys.exit(main())
