#!/usr/bin/env python3
"""Loopback file server that misbehaves on request, for the download tests.

GET /file?size=N serves N bytes of the tests' pattern and honours "Range:
bytes=A-" like a good server. Each file request takes the next queued action:
  {"do": "normal"}
  {"do": "reset", "after": n}     headers and n body bytes, then a TCP reset
  {"do": "status", "status": s, "body": text}   an error or redirect page
  {"do": "ignore_range"}          200 with the whole file even for a Range
  {"do": "unsatisfiable"}         416, as if the file had shrunk
Control:
  POST /_control/plan       JSON list of actions, queued after earlier ones
  GET  /_control/requests   JSON list of {"method", "path", "range"} seen
  POST /_control/reset      forgets queued actions and seen requests
"""
import json
import os
import socket
import struct
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler
from urllib.parse import parse_qs, urlparse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import server_process  # noqa: E402

lock = threading.Lock()
plan = []
seen = []


def pattern(start, end):
    """Bytes start..end-1 of the pattern; tests/download/download_peers.h has the same rule."""
    return bytes(((i * 7919) ^ (i >> 9)) & 0xFF for i in range(start, end))


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def finish(self):
        try:
            super().finish()
        except OSError:
            pass

    def _send(self, status, body=b"", headers=(), head_only=False):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if not head_only:
            self.wfile.write(body)

    def _control(self):
        if self.path == "/_control/requests":
            with lock:
                return self._send(200, json.dumps(seen).encode(), [("Content-Type", "application/json")])
        body = self.rfile.read(int(self.headers.get("Content-Length", "0") or 0))
        with lock:
            if self.path == "/_control/plan":
                plan.extend(json.loads(body))
            elif self.path == "/_control/reset":
                plan.clear()
                seen.clear()
            else:
                return self._send(404)
        self._send(200, b"{}")

    def _file(self):
        url = urlparse(self.path)
        if url.path != "/file":
            return self._send(404, b"not found")
        size = int(parse_qs(url.query).get("size", ["1000"])[0])
        range_header = self.headers.get("Range")
        with lock:
            seen.append({"method": self.command, "path": self.path, "range": range_header or ""})
            action = plan.pop(0) if plan else {"do": "normal"}
        head_only = self.command == "HEAD"
        kind = action["do"]
        if kind == "status":
            return self._send(action["status"], action.get("body", "").encode(),
                              [("Content-Type", "text/html"), ("Location", "/elsewhere")], head_only)
        if kind == "unsatisfiable":
            return self._send(416, b"", [("Content-Range", "bytes */%d" % size)], head_only)
        start = 0
        if range_header and kind != "ignore_range":
            start = int(range_header.split("=", 1)[1].split("-", 1)[0])
            if start >= size:
                return self._send(416, b"", [("Content-Range", "bytes */%d" % size)], head_only)
        body = pattern(start, size)
        headers = [("Content-Type", "application/octet-stream"), ("Accept-Ranges", "bytes")]
        status = 200
        if start:
            status = 206
            headers.append(("Content-Range", "bytes %d-%d/%d" % (start, size - 1, size)))
        if kind == "reset":
            self.send_response(status)
            for name, value in headers:
                self.send_header(name, value)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body[:action["after"]])
            time.sleep(0.3)  # let the client take those bytes before the reset
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()
            self.close_connection = True
            return
        self._send(status, body, headers, head_only)

    def do_GET(self):
        if self.path.startswith("/_control/"):
            return self._control()
        try:
            self._file()
        except OSError:
            self.close_connection = True  # the size query stops reading after the headers

    do_HEAD = do_GET

    def do_POST(self):
        self._control()


def main():
    return server_process.serve_main(Handler, pidfile_required=True)


if __name__ == "__main__":
    sys.exit(main())
