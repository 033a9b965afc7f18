#!/usr/bin/env python3
"""Plays one host that holds the request port's slots by reading its replies slowly: it keeps
`sends` retrieves of one file and `lists` expands of one folder open, reads each at `rate` bytes a
second, and reopens each as soon as the server closes it. Runs for a bounded time and prints how
many replies it had running at most (data arrived), how many the server gave up, and what it read
in all."""
import argparse
import selectors
import socket
import time


def request(word, path):
    line = f"{word}:{path}".encode()
    return str(len(line)).encode() + b":" + line


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("target")
    parser.add_argument("port", type=int)
    parser.add_argument("seconds", type=float)
    parser.add_argument("file")
    parser.add_argument("folder")
    parser.add_argument("--sends", type=int, default=10)
    parser.add_argument("--lists", type=int, default=20)
    parser.add_argument("--rate", type=int, default=1500)
    args = parser.parse_args()

    wanted = [request("retrieve", args.file)] * args.sends + [request("expand", args.folder)] * args.lists
    slots = [None] * len(wanted)  # socket, bytes read
    end = time.monotonic() + args.seconds
    most = given_up = total = 0
    start = time.monotonic()
    tick = 0.25
    while time.monotonic() < end:
        running = 0
        for i, line in enumerate(wanted):
            if slots[i] is None:
                sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
                sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
                try:
                    sock.settimeout(2)
                    sock.connect((args.target, args.port))
                    sock.sendall(line)
                    sock.setblocking(False)
                    slots[i] = [sock, 0]
                except OSError:
                    sock.close()
                continue
            sock, got = slots[i]
            try:
                data = sock.recv(max(1, int(args.rate * tick)))
            except BlockingIOError:
                data = None
            except OSError:
                data = b""
            if data == b"":
                given_up += 1
                sock.close()
                slots[i] = None
                continue
            if data:
                slots[i][1] += len(data)
                total += len(data)
            running += slots[i][1] > 0
        most = max(most, running)
        time.sleep(tick)
    elapsed = time.monotonic() - start
    print(f"connections={len(wanted)} most_running={most} given_up={given_up} "
          f"read={total} rate_kbs={total / elapsed / 1024:.1f}", flush=True)


if __name__ == "__main__":
    main()
