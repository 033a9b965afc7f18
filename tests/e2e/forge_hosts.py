#!/usr/bin/env python3
"""Plays many hosts that do not exist, from behind a router: `announce` sends announcements with
forged source addresses 10.78.x.y (raw IP, so no address is configured anywhere) to one target at
a bounded rate for a bounded time; `accept` takes and holds every connection to a port (with a
local route of 10.78.0.0/16 it answers for every forged address). Both print what they did."""
import argparse
import resource
import select
import socket
import struct
import time


def forged(index):
    return f"10.78.{(index >> 8) & 255}.{index & 255}"


def announce(args):
    sock = socket.socket(socket.AF_INET, socket.SOCK_RAW, socket.IPPROTO_RAW)
    payload = b"announce\0"
    udp_length = 8 + len(payload)
    sent = 0
    start = time.monotonic()
    end = start + args.seconds
    while time.monotonic() < end:
        due = int((time.monotonic() - start) * args.rate)
        while sent < due:
            source = forged(1 + sent % args.addresses)
            header = struct.pack("!BBHHHBBH4s4s", 0x45, 0, 20 + udp_length, 0, 0, 64, 17, 0,
                                 socket.inet_aton(source), socket.inet_aton(args.target))
            udp = struct.pack("!HHHH", 12345, 12345, udp_length, 0)
            try:
                sock.sendto(header + udp + payload, (args.target, 0))
            except OSError:
                pass
            sent += 1
        time.sleep(0.005)
    print(f"announcements={sent} addresses={args.addresses} rate={args.rate}/s", flush=True)


def accept(args):
    resource.setrlimit(resource.RLIMIT_NOFILE, (8192, 8192))
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("0.0.0.0", args.port))
    listener.listen(1024)
    held = []
    end = time.monotonic() + args.seconds
    while time.monotonic() < end:
        if select.select([listener], [], [], 0.2)[0]:
            connection, _ = listener.accept()
            held.append(connection)
    print(f"connections accepted={len(held)}", flush=True)


def main():
    parser = argparse.ArgumentParser()
    commands = parser.add_subparsers(dest="command", required=True)
    sender = commands.add_parser("announce")
    sender.add_argument("target")
    sender.add_argument("rate", type=int)
    sender.add_argument("seconds", type=float)
    sender.add_argument("addresses", type=int)
    taker = commands.add_parser("accept")
    taker.add_argument("port", type=int)
    taker.add_argument("seconds", type=float)
    args = parser.parse_args()
    announce(args) if args.command == "announce" else accept(args)


if __name__ == "__main__":
    main()
