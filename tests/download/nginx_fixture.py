#!/usr/bin/env python3
"""Starts and stops the loopback nginx the download tests fetch from.

  nginx_fixture.py start --prefix DIR --template T --http-port P --https-port Q
  nginx_fixture.py stop  --prefix DIR

start writes the served files (the pattern the tests check against), a
self-signed certificate for "localhost" and the config, then starts nginx and
returns once it listens. Everything lives under DIR.
"""
import argparse
import os
import pwd
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "servers"))
from server_process import stop_by_pidfile, wait_for_port  # noqa: E402

NGINX = "/usr/sbin/nginx"

# name -> length; must match the tests' expectations.
FILES = {
    "file1000.bin": 1000,
    "nolength/file1000.bin": 1000,
    "slow/file.bin": 128 * 1024,
    "paced/file.bin": 6 * 1024 * 1024,
}


def pattern(length):
    """Byte i of every served file; tests/download/download_peers.h has the same rule."""
    return bytes(((i * 7919) ^ (i >> 9)) & 0xFF for i in range(length))


# A sparse file past 4 GiB: zeros, then the pattern's first 1000 bytes at its end.
LARGE_NAME, LARGE_LENGTH = "large/package.bin", 5 * 1024 * 1024 * 1024


def write_large(path):
    if os.path.exists(path) and os.path.getsize(path) == LARGE_LENGTH:
        return
    with open(path, "wb") as f:
        f.seek(LARGE_LENGTH - 1000)
        f.write(pattern(1000))


def stop(prefix):
    # nginx deletes its own pidfile; waiting frees the ports for the next start.
    stop_by_pidfile(os.path.join(prefix, "nginx.pid"), remove=False, wait_seconds=10)


def make_certificate(tls):
    key, pem = os.path.join(tls, "localhost.key"), os.path.join(tls, "localhost.pem")
    if os.path.exists(key) and os.path.exists(pem):
        return
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30",
                    "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost",
                    "-keyout", key, "-out", pem],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def start(args):
    prefix = os.path.abspath(args.prefix)
    stop(prefix)
    for sub in ("logs", "temp", "www", "tls"):
        os.makedirs(os.path.join(prefix, sub), exist_ok=True)
    for name, length in FILES.items():
        path = os.path.join(prefix, "www", name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if not os.path.exists(path) or os.path.getsize(path) != length:
            with open(path, "wb") as f:
                f.write(pattern(length))
    large = os.path.join(prefix, "www", LARGE_NAME)
    os.makedirs(os.path.dirname(large), exist_ok=True)
    write_large(large)
    make_certificate(os.path.join(prefix, "tls"))
    # Each run reads its own requests only.
    open(os.path.join(prefix, "logs", "access.log"), "w").close()

    user = "user %s;" % pwd.getpwuid(os.geteuid()).pw_name if os.geteuid() == 0 else ""
    with open(args.template) as f:
        config = f.read()
    for key, value in (("@NGINX_PREFIX@", prefix), ("@NGINX_HTTP_PORT@", str(args.http_port)),
                       ("@NGINX_HTTPS_PORT@", str(args.https_port)), ("@NGINX_USER_LINE@", user)):
        config = config.replace(key, value)
    conf = os.path.join(prefix, "nginx.conf")
    with open(conf, "w") as f:
        f.write(config)

    result = subprocess.run([NGINX, "-p", prefix, "-c", conf, "-e", os.path.join(prefix, "logs", "error.log")])
    if result.returncode != 0:
        return result.returncode
    return 0 if wait_for_port(args.http_port) and wait_for_port(args.https_port) else 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("action", choices=("start", "stop"))
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--template")
    parser.add_argument("--http-port", type=int)
    parser.add_argument("--https-port", type=int)
    args = parser.parse_args()
    if args.action == "stop":
        stop(os.path.abspath(args.prefix))
        return 0
    return start(args)


if __name__ == "__main__":
    sys.exit(main())
