#!/usr/bin/env python3
"""Plays a hostile host with many addresses: each address holds keep-alive connections to the
request port, pings on each once a second and reopens each once a second while it is closed. Runs
for a bounded time and prints how many connections it held (open for at least a second), most and
last, and how many times it reopened one."""
import argparse
import errno
import socket
import time


def open_slot(source, target, port):
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    sock.setblocking(False)
    try:
        sock.bind((source, 0))
        sock.connect_ex((target, port))
        return sock
    except OSError:
        sock.close()
        return None


def alive(sock):
    """False once the server has closed or reset the connection."""
    try:
        return sock.recv(4096, socket.MSG_DONTWAIT) != b""
    except BlockingIOError:
        return True
    except OSError:
        return False


def main():
    parser = argparse.ArgumentParser()
    for name, kind in (("target", str), ("port", int), ("seconds", float)):
        parser.add_argument(name, type=kind)
    parser.add_argument("sources", nargs="+")
    args = parser.parse_args()

    # source, socket, when it was opened (0: never); two for each address
    slots = [[source, None, 0.0] for source in args.sources for _ in range(2)]
    end = time.monotonic() + args.seconds
    most = reopened = held = 0
    next_ping = 0.0
    while time.monotonic() < end:
        now = time.monotonic()
        ping = now >= next_ping
        next_ping = now + 1.0 if ping else next_ping
        held = 0
        for slot in slots:
            source, sock, opened = slot
            if sock is not None and not alive(sock):
                sock.close()
                sock = None
            if sock is None and now - opened >= 1.0:
                sock = open_slot(source, args.target, args.port)
                reopened += opened > 0
                opened = now
            if sock is not None and ping:
                try:
                    sock.send(b"4:ping")
                except OSError as error:
                    if error.errno not in (errno.EAGAIN, errno.ENOTCONN):
                        sock.close()
                        sock = None
            slot[1], slot[2] = sock, opened
            held += sock is not None and now - opened >= 1.0
        most = max(most, held)
        time.sleep(0.05)
    print(f"addresses={len(args.sources)} most={most} last={held} reopened={reopened}", flush=True)


if __name__ == "__main__":
    main()
