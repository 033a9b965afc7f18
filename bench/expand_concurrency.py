#!/usr/bin/env python3
"""Sends N "expand" requests at the same moment, each on its own connection, and reports how many
were answered and how long the slowest took.

Usage: expand_concurrency.py <address> <port> <path> [count]
"""
import os
import socket
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from framing import framed, read_framed  # noqa: E402 - found through the path above


def main():
    address, port, path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    count = int(sys.argv[4]) if len(sys.argv) > 4 else 200
    request = ("expand:" + path).encode()
    message = framed(request)
    barrier = threading.Barrier(count + 1)
    results = [None] * count

    def client(index):
        try:
            sock = socket.create_connection((address, port), timeout=60)
        except OSError as error:
            barrier.wait()
            results[index] = ("connect failed: %s" % error, 0.0)
            return
        barrier.wait()
        started = time.monotonic()
        try:
            sock.sendall(message)
            payload = read_framed(sock)
            if payload is None:
                raise ConnectionError("no whole reply")
            results[index] = (len(payload), time.monotonic() - started)
        except Exception as error:  # noqa: BLE001 - every failure is counted the same
            results[index] = ("failed: %s" % error, time.monotonic() - started)
        finally:
            sock.close()

    threads = [threading.Thread(target=client, args=(i,)) for i in range(count)]
    for thread in threads:
        thread.start()
    barrier.wait()
    started = time.monotonic()
    for thread in threads:
        thread.join()
    total = time.monotonic() - started
    answered = [r for r in results if isinstance(r[0], int)]
    failures = [r[0] for r in results if not isinstance(r[0], int)]
    slowest = max((r[1] for r in answered), default=0.0)
    sizes = sorted({r[0] for r in answered})
    print("%d concurrent expand requests: %d answered, %d failed; all done in %.3f s, slowest answer %.3f s, reply sizes %s"
          % (count, len(answered), len(failures), total, slowest, sizes[:3]))
    for failure in sorted(set(failures))[:5]:
        print("  " + failure)
    return 0 if not failures else 1


if __name__ == "__main__":
    sys.exit(main())
