#!/usr/bin/python3
"""A throw-away FTP server on 127.0.0.1 for the network tests.

Usage: ftp_server.py CONTROL_PORT USER PASSWORD

It serves a fresh temporary folder to one user on a free port, then
connects to the test's control port on 127.0.0.1 and sends the line
"PORT ROOT" (ROOT is the folder's Unix path). It runs until the control
connection closes, which also happens when the test process dies. Lines
the test may send on the control connection:
  stop  stops the FTP server (closing every session); answered "stopped".
  log   answered with every command line the server received so far, one
        per line (backslash, CR and LF escaped as \\\\, \\r, \\n), then "end".
Names are bytes: they are stored and answered as the client sent them
(GBK names stay GBK), not decoded as UTF-8.
"""
import asynchat
import logging
import shutil
import socket
import sys
import tempfile
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

COMMANDS = []
COMMANDS_LOCK = threading.Lock()


class RecordingHandler(FTPHandler):
    # Undecodable bytes pass through file names and replies unchanged.
    unicode_errors = "surrogateescape"
    auth_failed_timeout = 0  # answer a wrong password at once

    def push(self, s):
        asynchat.async_chat.push(self, s.encode("utf8", self.unicode_errors))

    def pre_process_command(self, line, cmd, arg):
        with COMMANDS_LOCK:
            COMMANDS.append(line)
        return super().pre_process_command(line, cmd, arg)


def escaped(line):
    raw = line.encode("utf8", "surrogateescape")
    return raw.replace(b"\\", b"\\\\").replace(b"\r", b"\\r").replace(b"\n", b"\\n") + b"\n"


def main():
    control_port, user, password = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    logging.basicConfig(level=logging.CRITICAL)
    root = tempfile.mkdtemp(prefix="larch-ftp-")
    try:
        authorizer = DummyAuthorizer()
        authorizer.add_user(user, password, root, perm="elradfmwMT")
        handler = RecordingHandler
        handler.authorizer = authorizer
        server = FTPServer(("127.0.0.1", 0), handler)
        port = server.socket.getsockname()[1]
        runner = threading.Thread(target=server.serve_forever, kwargs={"timeout": 0.2}, daemon=True)
        runner.start()

        control = socket.create_connection(("127.0.0.1", control_port), timeout=30)
        control.settimeout(None)
        control.sendall(f"{port} {root}\n".encode())
        stream = control.makefile("rb")
        for line in stream:
            word = line.strip()
            if word == b"stop":
                server.close_all()
                control.sendall(b"stopped\n")
            elif word == b"log":
                with COMMANDS_LOCK:
                    lines = [escaped(c) for c in COMMANDS]
                control.sendall(b"".join(lines) + b"end\n")
        server.close_all()
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
