#!/usr/bin/env python3
"""Loopback stand-in for the publisher's PC API, used by the tests.

It checks every request's signature with its own MD5 and answers what the
test queued through its control paths:
  POST /_control/reply   JSON {"status": int, "body": str, "delay": seconds}
                         queues the answer to the next API request
  GET  /_control/last    JSON of the last API request and its checks
  POST /_control/reset   forgets queued answers and recorded requests
Without a queued answer the API request gets a 200 with a valid reply.
"""
import hashlib
import json
import os
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import server_process  # noqa: E402

SIGNING_KEY = b"RVKMXA52F39B720EA6TqW3bmRsaXvk7="
API_PATH = "/api/Package/getHarrowenPackage"
DEFAULT_REPLY = json.dumps({
    "code": 0, "msg": "ok",
    "data": {"package_link": "http://127.0.0.1/full.7z", "update_package_link": "http://127.0.0.1/update.7z",
             "version": "3", "version_name": "1.0.0.3", "is_allow_update": "1"}})

lock = threading.Lock()
queued = []
requests = []


def check_signature(body: bytes):
    """(signature ok, time value ok) for a body "params&time=T&sign=S"."""
    head, sep, sign = body.rpartition(b"&sign=")
    if not sep:
        return False, False
    expected = hashlib.md5(head + b"&" + SIGNING_KEY).hexdigest().encode()
    _, tsep, time_value = head.rpartition(b"&time=")
    time_ok = bool(tsep) and time_value.isdigit() and 11 <= len(time_value) <= 13
    return sign == expected, time_ok


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def _read_body(self):
        return self.rfile.read(int(self.headers.get("Content-Length", "0") or 0))

    def _send(self, status, body: bytes, content_type="application/json"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        if self.path == "/_control/last":
            with lock:
                last = requests[-1] if requests else None
                count = len(requests)
            return self._send(200, json.dumps({"count": count, "last": last}).encode())
        self._send(404, b"not found", "text/plain")

    def do_POST(self):
        body = self._read_body()
        if self.path == "/_control/reply":
            with lock:
                queued.append(json.loads(body))
            return self._send(200, b"{}")
        if self.path == "/_control/reset":
            with lock:
                queued.clear()
                requests.clear()
            return self._send(200, b"{}")
        if self.path != API_PATH:
            return self._send(404, b"not found", "text/plain")
        sign_ok, time_ok = check_signature(body)
        with lock:
            requests.append({"body": body.decode("latin-1"), "sign_ok": sign_ok, "time_ok": time_ok,
                             "content_type": self.headers.get("Content-Type", ""),
                             "user_agent": self.headers.get("User-Agent")})
            answer = queued.pop(0) if queued else {"status": 200, "body": DEFAULT_REPLY}
        if answer.get("delay"):
            time.sleep(answer["delay"])
        self._send(answer.get("status", 200), answer.get("body", "").encode("latin-1"),
                   answer.get("content_type", "application/json"))


def main():
    return server_process.serve_main(Handler)


if __name__ == "__main__":
    sys.exit(main())
