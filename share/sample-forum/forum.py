#!/usr/bin/env python3
"""The sample forum: a stand-in for the forum on loopback, for a first look
without network, screenshots and benchmarks.

Browsers started with --proxy-server=http://127.0.0.1:PORT send their
requests for http://www.velmora.it/... here unchanged; this server answers
them from memory. Only loopback is ever used: requests for any other host
get 404 and tunnels (CONNECT) are refused, so nothing leaves the machine.

The home page reports its own `load` event: its onload handler requests
/forum/__loaded, and the time that request arrives is recorded (on the
system-wide monotonic clock, so a driver in another process can compare it
with the time it started a browser). Every program measured gets this same
page.

    forum.py [--port N] [--log FILE]

prints the port it listens on (N, or one the system chose), then serves.
Start velmora with QTWEBENGINE_CHROMIUM_FLAGS="--proxy-server=http://127.0.0.1:N"
to see it.

With --log every request is appended to FILE as
"<monotonic seconds> <path> <user agent>". Benchmarks import the module and
use ForumProxy instead, which keeps the same records in memory.
"""
import argparse
import http.server
import pathlib
import socketserver
import sys
import threading
import time
import urllib.parse

HERE = pathlib.Path(__file__).resolve().parent
# Every picture is the program's OK picture: installed beside this file, or
# in the source tree's resources/.
GIF = next(p for p in (HERE / "ok.gif", HERE.parent.parent / "resources" / "ok.gif")
           if p.exists()).read_bytes()
FORUM_HOST = "www.velmora.it"
BEACON = "/forum/__loaded"

HOME = """<!DOCTYPE html>
<html lang="it"><head><meta charset="utf-8"><title>Velmora Forum - Indice</title>
<style>
body { font-family: Arial, sans-serif; margin: 0; background: #f4efe8; }
header { background: #ff8000; color: white; padding: 14px 24px; font-size: 26px; font-weight: bold; }
table { border-collapse: collapse; margin: 20px 24px; width: calc(100% - 48px); background: white; }
th { background: #0000c0; color: white; text-align: left; padding: 8px; }
td { border-bottom: 1px solid #ddd; padding: 8px; }
a { color: #0000c0; }
</style>
<script>
// Tells the server when this page's load event came, and how long after
// the navigation started (performance.now()).
addEventListener("load", function () {
  var beacon = new XMLHttpRequest();
  beacon.open("GET", "__loaded?ms=" + Math.round(performance.now()));
  beacon.send();
});
</script></head>
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

# The peer of the picker's preview: an emoticon alone, at the top left on
# white and at its own size, as the preview shows it.
EMOTICON_PAGE = """<!DOCTYPE html>
<html lang="it"><head><meta charset="utf-8"><title>Emoticon</title>
<style>body { margin: 0; background: #fff; } img { display: block; }</style>
<script>
addEventListener("load", function () {
  var beacon = new XMLHttpRequest();
  beacon.open("GET", "__loaded");
  beacon.send();
});
</script></head>
<body><img src="/iconario/Yahoo/1.gif" width="66" height="66" alt=""></body></html>
"""

SECTION = """<!DOCTYPE html><html lang="it"><head><meta charset="utf-8">
<title>Velmora Forum - Sezione</title></head><body><h1>Sezione</h1>
<p><a href="rispondi.html">Rispondi</a> &middot; <a href="./">Torna all'indice</a></p>
<p>Discussioni: <a href="discussione.html">La stampante non stampa più</a></p></body></html>"""

# A topic as forum software shows it: the forum's and the topic's headings,
# each post under a heading of its own with its author beside it, and a
# table of the topic's figures.
TOPIC = """<!DOCTYPE html><html lang="it"><head><meta charset="utf-8">
<title>La stampante non stampa più - Velmora Forum</title>
<style>body { font-family: Arial, sans-serif; margin: 0 24px; } .post { display: flex; gap: 24px; }
.autore { width: 140px; } table { border-collapse: collapse; } th, td { border: 1px solid #999; padding: 4px; }</style>
</head><body><h1>Velmora Forum</h1><h2>Hardware e periferiche</h2>
<h3>La stampante non stampa più</h3>
<div class="post"><div class="autore"><strong>Marco</strong><br>Utente</div>
<div class="testo"><p>Da ieri la stampante laser non stampa più: la spia lampeggia.</p></div></div>
<h3>Re: La stampante non stampa più</h3>
<div class="post"><div class="autore"><strong>Giulia</strong><br>Moderatrice</div>
<div class="testo"><p>Prova a spegnerla e a togliere il toner per un minuto.</p></div></div>
<table><tr><th>Messaggi</th><th>Visite</th><th>Iniziata</th><th>Ultima risposta</th></tr>
<tr><td>2</td><td>57</td><td>ieri</td><td>oggi</td></tr></table>
<p><a href="rispondi.html">Rispondi</a></p></body></html>"""

# A reply page as forum software makes it: the message box takes the focus.
REPLY = """<!DOCTYPE html><html lang="it"><head><meta charset="utf-8">
<title>Velmora Forum - Rispondi</title></head><body><h1>Rispondi</h1>
<form method="post" action="rispondi.html"><p><input name="oggetto" value="Re: aiuto" size="40"></p>
<p><textarea id="messaggio" name="messaggio" rows="12" cols="70" autofocus></textarea></p>
<p><button>Invia</button></p></form></body></html>"""


class Request:
    """One request as it arrived: when (time.monotonic()), what, from whom."""

    def __init__(self, when, path, query, agent):
        self.when = when
        self.path = path
        self.query = query
        self.agent = agent


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    log_file = None
    requests = []
    lock = threading.Lock()
    arrived = threading.Condition(lock)

    def do_GET(self):
        now = time.monotonic()
        parts = urllib.parse.urlsplit(self.path)
        host = parts.hostname or self.headers.get("Host", "").split(":")[0]
        path = parts.path
        self.record(now, path, parts.query)
        if host and host != FORUM_HOST and host != "127.0.0.1":
            self.answer(404, "text/plain", b"non trovato")
        elif path == BEACON:
            self.answer(204, "text/plain", b"")
        elif path.endswith(".gif"):
            self.answer(200, "image/gif", GIF)
        elif path == "/forum/emoticon.html":
            self.answer(200, "text/html; charset=utf-8", EMOTICON_PAGE.encode())
        elif path.startswith("/forum/rispondi"):
            self.answer(200, "text/html; charset=utf-8", REPLY.encode())
        elif path.startswith("/forum/discussione"):
            self.answer(200, "text/html; charset=utf-8", TOPIC.encode())
        elif path.startswith("/forum/sezione"):
            self.answer(200, "text/html; charset=utf-8", SECTION.encode())
        elif path.startswith("/forum"):
            self.answer(200, "text/html; charset=utf-8", HOME.encode())
        else:
            self.answer(404, "text/plain", b"non trovato")

    def do_CONNECT(self):
        # No tunnels: HTTPS to anywhere would leave loopback.
        self.record(time.monotonic(), "CONNECT " + self.path, "")
        self.send_response(403)
        self.send_header("Content-Length", "0")
        self.end_headers()
        self.close_connection = True

    def record(self, now, path, query):
        agent = self.headers.get("User-Agent", "")
        with Handler.arrived:
            Handler.requests.append(Request(now, path, query, agent))
            Handler.arrived.notify_all()
        if Handler.log_file:
            with open(Handler.log_file, "a") as f:
                f.write("%.6f %s %s\n" % (now, path, agent))

    def answer(self, status, mime, body):
        self.send_response(status)
        self.send_header("Content-Type", mime)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, fmt, *args):
        pass


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        # Browsers drop idle connections when they quit; that is no error.
        if not isinstance(sys.exc_info()[1], ConnectionError):
            super().handle_error(request, client_address)


class ForumProxy:
    """The server on a thread of the caller, with its records in reach."""

    def __init__(self, port=0):
        self.server = Server(("127.0.0.1", port), Handler)
        self.port = self.server.server_address[1]
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.server.shutdown()
        self.server.server_close()

    @property
    def url(self):
        return "http://127.0.0.1:%d" % self.port

    def mark(self):
        """A position in the records; wait_for looks only after it."""
        with Handler.lock:
            return len(Handler.requests)

    def wait_for(self, test, after, timeout):
        """The first request after `after` that passes test, or None."""
        deadline = time.monotonic() + timeout
        with Handler.arrived:
            while True:
                for r in Handler.requests[after:]:
                    if test(r):
                        return r
                left = deadline - time.monotonic()
                if left <= 0:
                    return None
                Handler.arrived.wait(left)

    def wait_loaded(self, after, timeout):
        return self.wait_for(lambda r: r.path == BEACON, after, timeout)

    def since(self, after):
        with Handler.lock:
            return list(Handler.requests[after:])


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
