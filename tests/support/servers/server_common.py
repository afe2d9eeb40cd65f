"""What the test servers share: the login they accept and the watch on their parent."""

import os
import sys

USER = "tarnuser"
PASSWORD = "tarn-secret"


def watch_stdin():
    """Ends the process once its parent closes standard input (it went away)."""
    try:
        while sys.stdin.buffer.read(4096):
            pass
    except OSError:
        pass
    os._exit(0)
