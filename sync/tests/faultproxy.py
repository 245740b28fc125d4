#!/usr/bin/env python3
"""An HTTP proxy on loopback that spoils requests on their way to a server, for tests.

    faultproxy.py UPSTREAM_PORT

It prints "port N" once it listens, then reads commands on stdin, answering "ok" to each:
    rate R SEED          each later request is spoilt with probability R, by a fault drawn at random
    next METHOD FAULT    the next request with METHOD gets FAULT, whatever the rate
Faults: pass delay close-before forward-close cut-headers cut-body reset busy error.
A request whose answer a fault kept from the client is closed before forwarding the next few
times it comes again, as a client may resend it on a new connection: its answer stays lost.
The draws come from SEED alone, so the same requests in the same order meet the same faults.
"""

import random
import socket
import struct
import sys
import threading
import time

FAULTS = ["delay", "close-before", "forward-close", "cut-headers", "cut-body", "reset", "busy", "error"]
LOSING = {"close-before", "forward-close", "cut-headers", "cut-body", "reset"}
RESENDS = 3
LARGEST_HEAD = 64 * 1024


class Faults:
    def __init__(self):
        self.random = random.Random()
        self.rate = 0.0
        self.planned = {}
        self.resends = {}
        self.lock = threading.Lock()

    def draw(self, request):
        method = request.split(b" ", 1)[0].decode()
        with self.lock:
            if self.resends.get(request, 0) > 0:
                self.resends[request] -= 1
                return "close-before"
            if method in self.planned:
                fault = self.planned.pop(method)
            elif self.random.random() < self.rate:
                fault = self.random.choice(FAULTS)
            else:
                fault = "pass"
            if fault in LOSING:
                self.resends[request] = RESENDS
            return fault

    def command(self, words):
        with self.lock:
            if words[0] == "rate":
                self.rate = float(words[1])
                self.random.seed(int(words[2]))
                self.resends.clear()
            elif words[0] == "next":
                self.planned[words[1]] = words[2]


class Closed(Exception):
    pass


def read_head(stream):
    head = bytearray()
    while not head.endswith(b"\r\n\r\n"):
        byte = stream.read(1)
        if not byte or len(head) > LARGEST_HEAD:
            raise Closed()
        head += byte
    return bytes(head)


def header(head, name):
    for line in head.split(b"\r\n")[1:]:
        key, _, value = line.partition(b":")
        if key.strip().lower() == name:
            return value.strip()
    return None


def read_exactly(stream, size):
    data = stream.read(size)
    if len(data) != size:
        raise Closed()
    return data


def read_chunked(stream):
    body = bytearray()
    while True:
        line = stream.readline()
        body += line
        size = int(line.split(b";")[0], 16)
        body += read_exactly(stream, size + 2)
        if size == 0:
            return bytes(body)


def read_body(stream, head, is_answer, method):
    if is_answer:
        status = int(head.split(b" ", 2)[1])
        if method == b"HEAD" or status in (204, 304) or 100 <= status < 200:
            return b""
    if header(head, b"transfer-encoding") == b"chunked":
        return read_chunked(stream)
    length = header(head, b"content-length")
    if length is not None:
        return read_exactly(stream, int(length))
    return stream.read() if is_answer else b""


def reset(connection):
    connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    connection.close()


def refuse(client, status):
    retry = b"Retry-After: 1\r\n" if status.startswith(b"503") else b""
    client.sendall(b"HTTP/1.1 " + status + b"\r\n" + retry + b"Content-Length: 0\r\n\r\n")


def serve(client, upstream_port, faults):
    upstream = socket.socket()
    try:
        upstream.connect(("127.0.0.1", upstream_port))
        from_client = client.makefile("rb")
        from_upstream = upstream.makefile("rb")
        while True:
            head = read_head(from_client)
            request = head + read_body(from_client, head, False, None)
            method = head.split(b" ", 1)[0]
            fault = faults.draw(request)
            if fault == "close-before":
                return
            if fault == "busy":
                refuse(client, b"503 Service Unavailable")
                continue
            if fault == "error":
                refuse(client, b"500 Internal Server Error")
                continue
            if fault == "delay":
                time.sleep(faults.random.uniform(0.01, 0.3))
            upstream.sendall(request)
            answer_head = read_head(from_upstream)
            answer = answer_head + read_body(from_upstream, answer_head, True, method)
            if fault == "forward-close":
                return
            if fault == "reset":
                reset(client)
                return
            if fault == "cut-headers":
                client.sendall(answer_head[: len(answer_head) // 2])
                return
            if fault == "cut-body":
                client.sendall(answer[:-1])
                return
            client.sendall(answer)
    except (Closed, OSError, ValueError):
        pass
    finally:
        for end in (client, upstream):
            try:
                end.close()
            except OSError:
                pass


def main():
    upstream_port = int(sys.argv[1])
    faults = Faults()
    listener = socket.create_server(("127.0.0.1", 0))
    print("port", listener.getsockname()[1], flush=True)

    def accept():
        while True:
            client, _ = listener.accept()
            threading.Thread(target=serve, args=(client, upstream_port, faults), daemon=True).start()

    threading.Thread(target=accept, daemon=True).start()
    for line in sys.stdin:
        if line.split():
            faults.command(line.split())
        print("ok", flush=True)


if __name__ == "__main__":
    main()
