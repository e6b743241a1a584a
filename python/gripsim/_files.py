"""The checks of a file name given to the package, before any reading."""

import errno
import os

from . import _messages


def existing_file(path: "str | os.PathLike[str]") -> str:
    """path as a str when it names a file; FileNotFoundError when nothing is
    there, IsADirectoryError when it is a folder."""
    path = os.fspath(path)
    if os.path.isdir(path):
        raise IsADirectoryError(errno.EISDIR, _messages.IS_A_FOLDER.format(path=path), path)
    if not os.path.isfile(path):
        raise FileNotFoundError(errno.ENOENT, _messages.FILE_NOT_FOUND.format(path=path), path)
    return path
