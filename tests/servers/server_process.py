"""Process plumbing shared by the tests' loopback servers: waiting for a port,
the `--daemon` start that returns once listening, and `--stop` by pidfile."""
import argparse
import os
import signal
import socket
import sys
import time
from http.server import ThreadingHTTPServer


def wait_for_port(port, seconds=10.0):
    deadline = time.time() + seconds
    while time.time() < deadline:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=0.5):
                return True
        except OSError:
            time.sleep(0.05)
    return False


def stop_by_pidfile(pidfile, remove=True, wait_seconds=0.0):
    """Sends SIGTERM to the process the pidfile names; quiet when it is gone.

    remove=False leaves the file to a server that deletes its own (nginx);
    wait_seconds > 0 waits for the process to exit, so its ports are free.
    """
    try:
        with open(pidfile) as f:
            pid = int(f.read())
        os.kill(pid, signal.SIGTERM)
        if remove:
            os.unlink(pidfile)
    except (OSError, ValueError):
        return
    deadline = time.time() + wait_seconds
    while time.time() < deadline:
        try:
            os.kill(pid, 0)
        except OSError:
            return
        time.sleep(0.05)


def serve_main(handler_class, pidfile_required=False):
    """Command line of a loopback HTTP server: --port P [--pidfile F] [--daemon | --stop]."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--pidfile", required=pidfile_required)
    parser.add_argument("--daemon", action="store_true", help="serve in the background, return once listening")
    parser.add_argument("--stop", action="store_true", help="stop the server named by --pidfile")
    args = parser.parse_args()

    if args.stop:
        if not args.pidfile:
            parser.error("--stop needs --pidfile")
        stop_by_pidfile(args.pidfile)
        return 0

    if args.pidfile:
        # A server an earlier, interrupted run left behind gives the port back first.
        stop_by_pidfile(args.pidfile, wait_seconds=5.0)
    ThreadingHTTPServer.allow_reuse_address = True
    server = ThreadingHTTPServer(("127.0.0.1", args.port), handler_class)
    server.daemon_threads = True
    if args.daemon:
        child = os.fork()
        if child != 0:
            server.server_close()
            # Written before returning, so a stop right after the start finds it.
            if args.pidfile:
                with open(args.pidfile, "w") as f:
                    f.write(str(child))
            return 0 if wait_for_port(args.port) else 1
        os.setsid()
        devnull = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(devnull, fd)
    elif args.pidfile:
        with open(args.pidfile, "w") as f:
            f.write(str(os.getpid()))
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    server.serve_forever()
    return 0
