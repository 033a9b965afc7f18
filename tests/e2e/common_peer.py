#!/usr/bin/env python3
"""A host that speaks only the common protocol: it announces itself on the discovery port once a
second, answers "gethostinfo" (and its extended form), "expand" (one share, empty) and keep-alive
pings, and closes without a byte on any other word, as a copy that never heard of our extension
words does. Runs for a bounded time; prints each request word it saw, one a line."""
import argparse
import socket
import threading
import time

from framing import framed, read_framed


def serve(conn, name, log):
    with conn:
        conn.settimeout(30)
        try:
            request = read_framed(conn, 65536)
            if request is None:
                return
            line = request.decode("utf-8", "replace")
            word = line.split(":", 1)[0]
            log(word)
            version = "1.0 12:00:00 01.01.2020 "
            if word.startswith("ping"):
                while read_framed(conn) is not None:
                    pass
            elif word == "gethostinfo":
                conn.sendall(framed(f"{name}\n{version}\n".encode()))
            elif word.startswith("gethostinfo"):
                conn.sendall(framed(f"{name}\n{version}Linux.1 \n".encode()))
            elif word == "expand":
                conn.sendall(framed(b"common\\1\\0" if line == "expand:\\" else b""))
            # Any other word: closed without a byte.
        except OSError:
            pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--name", required=True)
    parser.add_argument("--broadcast", required=True)
    parser.add_argument("--seconds", type=float, default=120)
    args = parser.parse_args()
    lock = threading.Lock()

    def log(word):
        with lock:
            print(word, flush=True)

    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("0.0.0.0", 12346))
    listener.listen(64)
    listener.settimeout(0.2)
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    end = time.monotonic() + args.seconds
    next_announce = 0.0
    while time.monotonic() < end:
        if time.monotonic() >= next_announce:
            udp.sendto(b"announce\0", (args.broadcast, 12345))
            next_announce = time.monotonic() + 1.0
        try:
            conn, _ = listener.accept()
        except socket.timeout:
            continue
        threading.Thread(target=serve, args=(conn, args.name, log), daemon=True).start()


if __name__ == "__main__":
    main()
