#!/usr/bin/env python3
"""A WebSocket client for the game-link tests: connects to URL, sends the
frames given as t:HEX (text, UTF-8 bytes in hex) or b:HEX (binary), keeps the
connection for --hold-ms and closes it with the close handshake.

Exit codes: 0 done, 3 the connection was refused or failed. With --result
FILE the code is also written to FILE (Wine does not wait for a Unix
program, so a Windows test waits for that file instead)."""

import argparse
import asyncio
import os
import sys

import websockets


async def run(url, frames, hold_ms):
    try:
        async with websockets.connect(url, open_timeout=10, close_timeout=10) as ws:
            for frame in frames:
                kind, _, value = frame.partition(":")
                data = bytes.fromhex(value)
                await ws.send(data.decode("utf-8") if kind == "t" else data)
            await asyncio.sleep(hold_ms / 1000)
    except (OSError, asyncio.TimeoutError, websockets.exceptions.WebSocketException) as error:
        print(f"connection failed: {error!r}")
        return 3
    print("done")
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("url")
    parser.add_argument("frames", nargs="*")
    parser.add_argument("--hold-ms", type=int, default=100)
    parser.add_argument("--result")
    args = parser.parse_args()
    code = asyncio.run(run(args.url, args.frames, args.hold_ms))
    if args.result:
        with open(args.result + ".tmp", "w") as out:
            out.write(str(code))
        os.replace(args.result + ".tmp", args.result)
    sys.exit(code)


if __name__ == "__main__":
    main()
