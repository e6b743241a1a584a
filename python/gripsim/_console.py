"""Where the library's messages go: nowhere unless asked for."""

import sys

_verbose = False


def set_verbose(flag=True):
    """Print the library's messages (warnings of the design files and the
    like) to standard error as calls return them; off by default."""
    global _verbose
    _verbose = bool(flag)


def emit(text):
    """Hands collected messages on when verbose."""
    if _verbose and text:
        sys.stderr.write(text if text.endswith("\n") else text + "\n")
