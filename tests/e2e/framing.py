"""The request protocol's frames, for the test and benchmark peers: the payload's length in
decimal, a colon, then the payload."""


def framed(payload: bytes) -> bytes:
    return str(len(payload)).encode() + b":" + payload


def read_framed(conn, max_length=None):
    """The next frame's payload, or None when the peer closes first, the length is no plain
    decimal of at most 20 digits, or it exceeds max_length."""
    header = b""
    while not header.endswith(b":"):
        byte = conn.recv(1)
        if not byte or len(header) > 20:
            return None
        header += byte
    digits = header[:-1]
    if not digits.isdigit():
        return None
    length = int(digits)
    if max_length is not None and length > max_length:
        return None
    payload = bytearray()
    while len(payload) < length:
        chunk = conn.recv(min(1 << 20, length - len(payload)))
        if not chunk:
            return None
        payload += chunk
    return bytes(payload)
