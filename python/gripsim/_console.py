"""Where the library's messages go: nowhere unless asked for."""

import sys

_verbose = False


def set_verbose(flag: bool = True) -> None:
    """Print the library's messages (warnings of the design files and the
    like) to standard error as calls return them; off by default.

    Parameters
    ----------
    flag : bool
        True prints them, False keeps them (in exceptions and results) only.
    """
    global _verbose
    _verbose = bool(flag)


def emit(text):
    """Hands collected messages on when verbose."""
    if _verbose and text:
        sys.stderr.write(text if text.endswith("\n") else text + "\n")
