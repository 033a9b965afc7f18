#!/usr/bin/env python3
"""Plays a hostile host. serve: its request port answers "expand:\\" with a share list of many
entries (prepared once), "gethostinfo" with a name, and holds "ping" connections, for a bounded
time, then prints how many share lists it sent. notify: sends "hostmodified" to the target every
interval for a bounded time and prints how many it sent."""
import argparse
import os
import socket
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from framing import framed, read_framed  # noqa: E402 - found through the path above


def serve(listener, shares, counts, end):
    listener.settimeout(0.2)
    while time.monotonic() < end:
        try:
            conn, _ = listener.accept()
        except socket.timeout:
            continue
        threading.Thread(target=answer, args=(conn, shares, counts, end), daemon=True).start()


def answer(conn, shares, counts, end):
    conn.settimeout(5)
    try:
        request = read_framed(conn)
        if request == b"expand:\\":
            conn.sendall(shares)
            counts["lists"] += 1
        elif request is not None and request.startswith(b"gethostinfo"):
            conn.sendall(framed(b"hostile\n1.0 \n"))
        elif request == b"ping":
            while time.monotonic() < end and read_framed(conn) is not None:
                pass
    except OSError:
        pass
    finally:
        conn.close()


def notify(target, port, seconds, interval):
    sent = 0
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            with socket.create_connection((target, port), timeout=2) as notice:
                notice.sendall(framed(b"hostmodified"))
            sent += 1
        except OSError:
            pass
        time.sleep(interval)
    print(f"notices={sent}", flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=12346)
    commands = parser.add_subparsers(dest="command", required=True)
    host = commands.add_parser("serve")
    host.add_argument("own_address")
    host.add_argument("shares", type=int)
    host.add_argument("seconds", type=float)
    sender = commands.add_parser("notify")
    sender.add_argument("target")
    sender.add_argument("seconds", type=float)
    sender.add_argument("--interval", type=float, default=0.2)
    args = parser.parse_args()

    if args.command == "notify":
        notify(args.target, args.port, args.seconds, args.interval)
        return
    shares = framed(b"\\".join(b"s%07d\\1\\0" % i for i in range(args.shares)))
    counts = {"lists": 0}
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind((args.own_address, args.port))
    listener.listen(64)
    end = time.monotonic() + args.seconds
    print(f"ready share-list={len(shares)} bytes", flush=True)
    serve(listener, shares, counts, end)
    print(f"share-lists-sent={counts['lists']}", flush=True)


if __name__ == "__main__":
    main()
