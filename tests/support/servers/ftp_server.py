#!/usr/bin/env python3
"""FTP server for the download tests, on 127.0.0.1 only (passive data connections too).

Serves FOLDER read-only to anonymous and to one user with a password; prints "READY <port>"
once listening, or "UNAVAILABLE <reason>" when pyftpdlib is missing. SIZE of short.bin
announces twice its size, so a client sees a file that ends early. Ends by itself after
--lifetime seconds, and with --exit-on-stdin-eof when its parent goes.
"""

import argparse
import logging
import os
import sys
import threading

try:
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.servers import FTPServer
except ImportError:
    print("UNAVAILABLE pyftpdlib is not installed for %s" % sys.executable, flush=True)
    sys.exit(3)

from server_common import PASSWORD, USER, watch_stdin
SHORT_NAME = "short.bin"


class Handler(FTPHandler):
    # A refused login is answered at once; the default waits three seconds.
    auth_failed_timeout = 0

    def ftp_SIZE(self, path):
        if (self._current_type != "a" and os.path.basename(path) == SHORT_NAME
                and self.fs.isfile(self.fs.realpath(path))):
            self.respond("213 %d" % (2 * self.fs.getsize(path)))
            return
        return FTPHandler.ftp_SIZE(self, path)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--user", default=USER)
    parser.add_argument("--password", default=PASSWORD)
    parser.add_argument("--lifetime", type=float, default=300)
    parser.add_argument("--exit-on-stdin-eof", action="store_true")
    args = parser.parse_args()
    logging.basicConfig(level=logging.ERROR)
    logging.getLogger("pyftpdlib").setLevel(logging.ERROR)

    folder = os.path.abspath(args.folder)
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, folder, perm="elr")
    authorizer.add_anonymous(folder, perm="elr")
    Handler.authorizer = authorizer
    Handler.masquerade_address = None
    Handler.permit_foreign_addresses = False

    server = FTPServer(("127.0.0.1", 0), Handler)
    threading.Timer(args.lifetime, lambda: os._exit(0)).start()
    if args.exit_on_stdin_eof:
        threading.Thread(target=watch_stdin, daemon=True).start()
    print("READY %d" % server.socket.getsockname()[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
