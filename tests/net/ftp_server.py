#!/usr/bin/python3
"""A throw-away FTP server on 127.0.0.1 for the network tests.

Usage: ftp_server.py CONTROL_PORT USER PASSWORD

It serves a fresh temporary folder to one user on a free port, then
connects to the test's control port on 127.0.0.1 and sends the line
"PORT ROOT" (ROOT is the folder's Unix path). It runs until the control
connection closes, which also happens when the test process dies; the
line "stop" stops the FTP server first (closing every session) and is
answered with "stopped" while the control connection stays open.
"""
import logging
import shutil
import socket
import sys
import tempfile
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    control_port, user, password = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    logging.basicConfig(level=logging.CRITICAL)
    root = tempfile.mkdtemp(prefix="larch-ftp-")
    try:
        authorizer = DummyAuthorizer()
        authorizer.add_user(user, password, root, perm="elradfmwMT")
        handler = FTPHandler
        handler.authorizer = authorizer
        handler.auth_failed_timeout = 0  # answer a wrong password at once
        server = FTPServer(("127.0.0.1", 0), handler)
        port = server.socket.getsockname()[1]
        runner = threading.Thread(target=server.serve_forever, kwargs={"timeout": 0.2}, daemon=True)
        runner.start()

        control = socket.create_connection(("127.0.0.1", control_port), timeout=30)
        control.settimeout(None)
        control.sendall(f"{port} {root}\n".encode())
        stream = control.makefile("rb")
        for line in stream:
            if line.strip() == b"stop":
                server.close_all()
                control.sendall(b"stopped\n")
        server.close_all()
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
