#!/usr/bin/env python3
"""HTTP server for the download tests, on 127.0.0.1 only.

Serves FOLDER; prints "READY <port>" once listening. Paths under /private/ need basic auth with
the given user and password. Fault paths:
  /cut/NAME    half of NAME, then the connection is reset
  /short/NAME  a Content-Length larger than the body, then a normal close
  /stall/NAME  a little of NAME, then silence
  /hits?path=/P, /hits/P   how many requests /P has had
Ends by itself after --lifetime seconds, and with --exit-on-stdin-eof when its parent goes.
"""

import argparse
import base64
import os
import socket
import struct
import sys
import threading
import time
import urllib.parse
from array import array
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

from server_common import PASSWORD, USER, watch_stdin
# name, size, seed: as tests/support/servers/ServedFiles.h
FILES = [
    ("data.bin", 3 * 1024 * 1024 + 123, 1),
    ("small.bin", 200 * 1000, 2),
    ("private/secret.bin", 50 * 1000, 3),
    ("pub/files/archive.1", 300 * 1000, 4),
    ("short.bin", 40 * 1000, 5),
]
MASK = (1 << 64) - 1


def content(size, seed):
    """The stream of ServedFiles.h: a 64-bit LCG, each state mixed, 8 bytes little-endian."""
    words = array("Q")
    x = seed
    for _ in range((size + 7) // 8):
        x = (x * 6364136223846793005 + 1442695040888963407) & MASK
        words.append(x ^ (x >> 29))
    if sys.byteorder != "little":
        words.byteswap()
    return words.tobytes()[:size]


def populate(folder):
    for name, size, seed in FILES:
        path = os.path.join(folder, *name.split("/"))
        if os.path.isfile(path) and os.path.getsize(path) == size:
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path + ".tmp", "wb") as f:
            f.write(content(size, seed))
        os.replace(path + ".tmp", path)


class Handler(BaseHTTPRequestHandler):
    folder = "."
    user = USER
    password = PASSWORD
    stall_seconds = 20
    hits = {}
    hits_lock = threading.Lock()

    def log_message(self, format, *args):  # quiet: the tests' output is the report
        pass

    def local_file(self, path):
        parts = [p for p in path.split("/") if p]
        if any(p in (".", "..") for p in parts):
            return None
        full = os.path.join(self.folder, *parts)
        return full if os.path.isfile(full) else None

    def authorised(self):
        expected = "Basic " + base64.b64encode(
            (self.user + ":" + self.password).encode()).decode()
        return self.headers.get("Authorization") == expected

    def send_plain(self, status, text, extra=()):
        body = text.encode()
        self.send_response(status)
        for name, value in extra:
            self.send_header(name, value)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        path = urllib.parse.unquote(url.path)
        if path == "/hits" or path.startswith("/hits/"):
            if path == "/hits":
                asked = urllib.parse.parse_qs(url.query).get("path", [""])[0]
            else:
                asked = path[len("/hits"):]
            with self.hits_lock:
                count = self.hits.get(asked, 0)
            self.send_plain(200, str(count))
            return
        with self.hits_lock:
            self.hits[path] = self.hits.get(path, 0) + 1

        mode = None
        for prefix in ("/cut/", "/short/", "/stall/"):
            if path.startswith(prefix):
                mode = prefix.strip("/")
                path = path[len(prefix) - 1:]
                break
        if path.startswith("/private/") and not self.authorised():
            self.send_plain(401, "login needed",
                            [("WWW-Authenticate", 'Basic realm="tarnwell"')])
            return
        local = self.local_file(path)
        if local is None:
            self.send_plain(404, "not found")
            return
        with open(local, "rb") as f:
            data = f.read()

        length = len(data) + 4096 if mode == "short" else len(data)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(length))
        self.end_headers()
        if mode == "cut":
            self.wfile.write(data[:len(data) // 2])
            self.wfile.flush()
            # A reset rather than an orderly close: the peer sees the connection lost.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                       struct.pack("ii", 1, 0))
            self.close_connection = True
            return
        if mode == "stall":
            self.wfile.write(data[:1000])
            self.wfile.flush()
            time.sleep(self.stall_seconds)
            self.close_connection = True
            return
        self.wfile.write(data)
        self.close_connection = True


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        # A client that stops reading (a download stopped by its caller) is no server error.
        if isinstance(sys.exc_info()[1], ConnectionError):
            return
        ThreadingHTTPServer.handle_error(self, request, client_address)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--user", default=USER)
    parser.add_argument("--password", default=PASSWORD)
    parser.add_argument("--populate", action="store_true")
    parser.add_argument("--lifetime", type=float, default=300)
    parser.add_argument("--stall-seconds", type=float, default=20)
    parser.add_argument("--exit-on-stdin-eof", action="store_true")
    args = parser.parse_args()

    folder = os.path.abspath(args.folder)
    if args.populate:
        populate(folder)
    Handler.folder = folder
    Handler.user = args.user
    Handler.password = args.password
    Handler.stall_seconds = args.stall_seconds

    server = Server(("127.0.0.1", 0), Handler)
    threading.Timer(args.lifetime, lambda: os._exit(0)).start()
    if args.exit_on_stdin_eof:
        threading.Thread(target=watch_stdin, daemon=True).start()
    print("READY %d" % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
