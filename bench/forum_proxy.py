#!/usr/bin/env python3
"""A stand-in for the forum on loopback, for screenshots and benchmarks.

Browsers started with --proxy-server=http://127.0.0.1:PORT send their
requests for http://www.velmora.it/... here unchanged; this server answers
them from memory. Only loopback is ever used.

    forum_proxy.py [--port N] [--log FILE]
"""
import argparse
import http.server
import os
import pathlib
import socketserver
import sys
import urllib.parse

ROOT = pathlib.Path(__file__).resolve().parent.parent
GIF = (ROOT / "resources" / "ok.gif").read_bytes()

HOME = """<!DOCTYPE html>
<html lang="it"><head><meta charset="utf-8"><title>Velmora Forum - Indice</title>
<style>
body { font-family: Arial, sans-serif; margin: 0; background: #f4efe8; }
header { background: #ff8000; color: white; padding: 14px 24px; font-size: 26px; font-weight: bold; }
table { border-collapse: collapse; margin: 20px 24px; width: calc(100% - 48px); background: white; }
th { background: #0000c0; color: white; text-align: left; padding: 8px; }
td { border-bottom: 1px solid #ddd; padding: 8px; }
a { color: #0000c0; }
</style></head>
<body><header>Velmora Forum &mdash; aiuto tra utenti</header>
<table>
<tr><th>Sezione</th><th>Discussioni</th><th>Messaggi</th></tr>
<tr><td><a href="sezione.html">Hardware e periferiche</a></td><td>1.204</td><td>9.877</td></tr>
<tr><td><a href="sezione.html">Sistemi operativi</a></td><td>2.311</td><td>18.402</td></tr>
<tr><td><a href="sezione.html">Reti e Internet</a></td><td>988</td><td>6.120</td></tr>
<tr><td><a href="sezione.html">Programmazione</a></td><td>745</td><td>5.003</td></tr>
<tr><td><a href="sezione.html">Il bar del forum</a></td><td>3.020</td><td>41.556</td></tr>
</table></body></html>
"""

SECTION = """<!DOCTYPE html><html lang="it"><head><meta charset="utf-8">
<title>Velmora Forum - Sezione</title></head><body><h1>Sezione</h1>
<p><a href="./">Torna all'indice</a></p></body></html>"""


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    log_file = None

    def do_GET(self):
        path = urllib.parse.urlsplit(self.path).path
        if path.endswith(".gif"):
            self.answer(200, "image/gif", GIF)
        elif path.startswith("/forum/sezione"):
            self.answer(200, "text/html; charset=utf-8", SECTION.encode())
        elif path.startswith("/forum"):
            self.answer(200, "text/html; charset=utf-8", HOME.encode())
        else:
            self.answer(404, "text/plain", b"non trovato")

    def answer(self, status, mime, body):
        self.send_response(status)
        self.send_header("Content-Type", mime)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, fmt, *args):
        if Handler.log_file:
            with open(Handler.log_file, "a") as f:
                f.write("%s\n" % (fmt % args))


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--log")
    args = parser.parse_args()
    Handler.log_file = args.log
    with Server(("127.0.0.1", args.port), Handler) as server:
        print(server.server_address[1], flush=True)
        server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
