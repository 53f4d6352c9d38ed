#!/usr/bin/env python3
"""Loopback HTTP server for the online tests (standard library only).

Binds 127.0.0.1 on a port the system picks, prints the port as the first line of standard
output (and writes it to --port-file if given), and stops by itself after --lifetime seconds.

Paths (DIR is --root; files are read on every request, so a test may write them after it
has learnt the port):
  /<any>?type=update   DIR/update.txt, the encoded update document (404 when missing)
  /files/NAME          DIR/NAME, e.g. a release
  /broken/NAME         DIR/NAME announced whole, half of it sent, then the connection closed
  /slow/NAME?bps=N     DIR/NAME trickled at N bytes a second (default 64)
  /stat...             statistics page: a small HTML page
  /hang                never answers (until the server stops)
  /echo                answers a POST with its body
  /requests            JSON list of every request so far: method, path, query, headers, body
  /shutdown            stops the server
  anything else        404 with an HTML body, as real servers send

Every request except /requests and /shutdown is recorded; with --log each record is also
appended to that file as one JSON line.
"""

import argparse
import json
import os
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

stopping = threading.Event()
records = []
records_lock = threading.Lock()


class Handler(BaseHTTPRequestHandler):
    server_version = "TavikTestServer/1"
    protocol_version = "HTTP/1.0"  # one request per connection; closing ends a body

    def log_message(self, *args):  # keep stdout to the port line, stderr quiet
        pass

    def _record(self, body=b""):
        url = urllib.parse.urlsplit(self.path)
        if url.path in ("/requests", "/shutdown"):
            return
        entry = {
            "time": time.time(),
            "method": self.command,
            "path": url.path,
            "query": url.query,
            "headers": [[k, v] for k, v in self.headers.items()],
            "body": body.decode("latin-1"),
        }
        with records_lock:
            records.append(entry)
            if self.server.log_path:
                with open(self.server.log_path, "a", encoding="utf-8") as log:
                    log.write(json.dumps(entry, ensure_ascii=False) + "\n")

    def _send(self, status, body, content_type="text/plain", length=None):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def _file(self, name):
        name = os.path.basename(urllib.parse.unquote(name))
        path = os.path.join(self.server.root, name)
        if not name or not os.path.isfile(path):
            return None
        with open(path, "rb") as f:
            return f.read()

    def _not_found(self):
        self._send(404, b"<html><body><h1>404 Not Found</h1></body></html>", "text/html")

    def do_HEAD(self):
        self.do_GET()

    def do_GET(self):
        self._record()
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        path = url.path

        if query.get("type") == ["update"]:
            data = self._file("update.txt")
            return self._send(200, data) if data is not None else self._not_found()
        if path == "/requests":
            with records_lock:
                data = json.dumps(records, ensure_ascii=False).encode("utf-8")
            return self._send(200, data, "application/json")
        if path == "/shutdown":
            self._send(200, b"bye")
            threading.Thread(target=self.server.stop, daemon=True).start()
            return
        if path.startswith("/stat"):
            return self._send(200, b"<html><body>ok</body></html>", "text/html")
        if path == "/hang":
            stopping.wait()
            return
        for prefix in ("/files/", "/broken/", "/slow/"):
            if path.startswith(prefix):
                data = self._file(path[len(prefix):])
                if data is None:
                    return self._not_found()
                if prefix == "/files/":
                    return self._send(200, data, "application/octet-stream")
                if prefix == "/broken/":
                    return self._broken(data)
                bps = int(query.get("bps", ["64"])[0] or 64)
                return self._slow(data, max(bps, 1))
        self._not_found()

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(min(length, 1 << 20))
        self._record(body)
        if urllib.parse.urlsplit(self.path).path == "/echo":
            return self._send(200, body)
        self._not_found()

    def _broken(self, data):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data[: len(data) // 2])
        self.wfile.flush()
        self.close_connection = True

    def _slow(self, data, bps):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        piece = max(bps // 10, 1)
        try:
            for start in range(0, len(data), piece):
                if stopping.wait(piece / bps):
                    return
                self.wfile.write(data[start:start + piece])
                self.wfile.flush()
        except OSError:  # the client gave up
            pass


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, root, log_path, port=0):
        super().__init__(("127.0.0.1", port), Handler)
        self.root = root
        self.log_path = log_path
        self._stop_once = threading.Lock()

    def stop(self):
        if self._stop_once.acquire(blocking=False):
            stopping.set()
            self.shutdown()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=".", help="folder of update.txt and the files")
    parser.add_argument("--lifetime", type=float, default=300, help="seconds until it stops")
    parser.add_argument("--port-file", help="also write the port to this file")
    parser.add_argument("--log", help="append every request as a JSON line to this file")
    parser.add_argument("--port", type=int, default=0,
                        help="a fixed port, for a program built against one (default: any free port)")
    args = parser.parse_args()

    server = Server(os.path.abspath(args.root), args.log, args.port)
    port = server.server_address[1]
    if args.port_file:  # complete before anyone reads the port line
        with open(args.port_file + ".part", "w") as f:
            f.write(f"{port}\n")
        os.replace(args.port_file + ".part", args.port_file)
    print(port, flush=True)
    timer = threading.Timer(args.lifetime, server.stop)
    timer.daemon = True
    timer.start()
    try:
        server.serve_forever(poll_interval=0.1)
    except KeyboardInterrupt:
        pass
    finally:
        stopping.set()
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
