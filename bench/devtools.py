"""Just enough of the DevTools protocol to ask a page's renderer to collect
its garbage, for the soak's diagnosis: does memory a renderer gained come
back when it collects, or is it held?

Talks to a Qt WebEngine program started with
QTWEBENGINE_REMOTE_DEBUGGING=127.0.0.1:PORT, over a plain WebSocket (text
frames, masked as a client must), with the standard library alone.
"""
import base64
import json
import os
import socket
import struct
import urllib.request


def page_targets(port):
    with urllib.request.urlopen("http://127.0.0.1:%d/json" % port, timeout=10) as reply:
        return [t for t in json.load(reply) if t.get("type") == "page"]


class _Socket:
    def __init__(self, url):
        rest = url.split("://", 1)[1]
        hostport, path = rest.split("/", 1)
        host, port = hostport.split(":")
        self.sock = socket.create_connection((host, int(port)), timeout=30)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall(("GET /%s HTTP/1.1\r\nHost: %s\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                           "Sec-WebSocket-Key: %s\r\nSec-WebSocket-Version: 13\r\n\r\n"
                           % (path, hostport, key)).encode())
        answer = b""
        while b"\r\n\r\n" not in answer:
            answer += self.sock.recv(4096)
        if b" 101 " not in answer.split(b"\r\n", 1)[0]:
            raise RuntimeError("no WebSocket: %r" % answer[:80])
        self.pending = answer.split(b"\r\n\r\n", 1)[1]

    def _read(self, n):
        while len(self.pending) < n:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise RuntimeError("DevTools closed the connection")
            self.pending += chunk
        data, self.pending = self.pending[:n], self.pending[n:]
        return data

    def send(self, text):
        payload = text.encode()
        mask = os.urandom(4)
        head = bytes([0x81])
        if len(payload) < 126:
            head += bytes([0x80 | len(payload)])
        else:
            head += bytes([0x80 | 126]) + struct.pack(">H", len(payload))
        self.sock.sendall(head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload)))

    def receive(self):
        first, second = self._read(2)
        length = second & 0x7F
        if length == 126:
            length = struct.unpack(">H", self._read(2))[0]
        elif length == 127:
            length = struct.unpack(">Q", self._read(8))[0]
        return self._read(length).decode()


def call(target, method, params=None):
    """Sends one command to a page and returns its result."""
    ws = _Socket(target["webSocketDebuggerUrl"])
    try:
        ws.send(json.dumps({"id": 1, "method": method, "params": params or {}}))
        while True:
            message = json.loads(ws.receive())
            if message.get("id") == 1:
                return message
    finally:
        ws.sock.close()
