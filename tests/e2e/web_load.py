#!/usr/bin/python3
"""Loads a web view from many addresses at once: slow-loris connections that trickle their
request head byte by byte and reopen when cut, and a burst of simultaneous downloads, each checked
for its length and hash. Prints one summary line per part.

Usage: web_load.py <server> <port> <cookie token> <file path> <sha256> <seconds>
                   <loris addresses (comma-separated)> <download addresses (comma-separated)>
                   <downloads per address>
"""
import hashlib
import select
import socket
import sys
import threading
import time

server, port, token, path, digest, seconds = sys.argv[1:7]
port, seconds = int(port), float(seconds)
loris_addresses = sys.argv[7].split(",")
download_addresses = sys.argv[8].split(",")
per_address = int(sys.argv[9])
end = time.time() + seconds
lock = threading.Lock()
loris = {"held": 0, "most": 0, "cuts": 0, "longest": 0.0, "opened": 0}


def connect(source):
    s = socket.socket()
    s.bind((source, 0))
    s.settimeout(5)
    s.connect((server, port))
    return s


def trickle(source):
    while time.time() < end:
        try:
            s = connect(source)
        except OSError:
            time.sleep(0.5)
            continue
        opened = time.time()
        with lock:
            loris["held"] += 1
            loris["opened"] += 1
            loris["most"] = max(loris["most"], loris["held"])
        cut = False
        try:
            s.sendall(b"GET / HTTP/1.1\r\nHost: x\r\n")
            while time.time() < end and not cut:
                s.sendall(b"X")
                # Waiting on the socket rather than sleeping sees the server's close at once.
                readable, _, _ = select.select([s], [], [], 2)
                cut = bool(readable) and not s.recv(4096)
        except OSError:
            cut = True
        finally:
            s.close()
        with lock:
            loris["held"] -= 1
            if cut:
                loris["cuts"] += 1
                loris["longest"] = max(loris["longest"], time.time() - opened)


results = {"ok": 0, "bad": 0}


def download(source):
    try:
        s = connect(source)
        s.settimeout(60)
        s.sendall(f"GET {path} HTTP/1.1\r\nHost: {server}\r\nCookie: wendaro={token}\r\n"
                  f"Connection: close\r\n\r\n".encode())
        data = bytearray()
        while True:
            chunk = s.recv(1 << 20)
            if not chunk:
                break
            data += chunk
        s.close()
        head, _, body = bytes(data).partition(b"\r\n\r\n")
        good = head.startswith(b"HTTP/1.1 200") and hashlib.sha256(body).hexdigest() == digest
    except OSError:
        good = False
    with lock:
        results["ok" if good else "bad"] += 1


threads = [threading.Thread(target=trickle, args=(a,)) for a in loris_addresses]
for t in threads:
    t.start()
time.sleep(min(5, seconds / 4))
started = time.time()
downloads = [threading.Thread(target=download, args=(a,))
             for a in download_addresses for _ in range(per_address)]
for t in downloads:
    t.start()
for t in downloads:
    t.join()
print(f"downloads ok={results['ok']} bad={results['bad']} seconds={time.time() - started:.1f}",
      flush=True)
for t in threads:
    t.join()
print(f"loris opened={loris['opened']} most={loris['most']} cuts={loris['cuts']} "
      f"longest={loris['longest']:.1f}", flush=True)
