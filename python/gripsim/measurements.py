"""Measurement files: seven numbers per measured point."""

import os

import numpy as np

from . import _gripsim, _messages

#: The seven columns of a measurement file, in file order, with their units.
COLUMNS = ("slip", "slip_angle", "camber", "Fx", "Fy", "Fz", "Mz")
UNITS = ("-", "deg", "deg", "N", "N", "N", "N*mm")

#: Each number is written with 17 significant digits, so that a written
#: array reads back bit for bit; the fit and gripsim read any real number.
LINE_FORMAT = " %+.16e" * 7


def _open_path(path):
    path = os.fspath(path)
    if not os.path.isfile(path):
        raise FileNotFoundError(2, _messages.FILE_NOT_FOUND.format(path=path), path)
    return path


def read_measurements(path, as_frame=False):
    """Reads a measurement file as the fit and gripsim do (the rule of a
    measurement line is the compiled core's): every non-blank line holds
    exactly seven numbers (slip [-], slip angle [deg], camber [deg], Fx [N],
    Fy [N], Fz [N], Mz [N*mm]), written with a decimal point whatever the
    process's locale. Returns an (n, 7) float array, or with as_frame=True a
    pandas DataFrame with the columns named by COLUMNS.

    Raises
    ------
    FileNotFoundError
        when there is no such file.
    ValueError
        for the first line that is not one point (fewer or more numbers, a
        word, a number with a decimal comma), naming the file and the line.
    """
    path = _open_path(path)
    table, line, fault, text = _gripsim.read_measurement_points(path)
    if fault == "open":
        raise OSError(_messages.NOT_READ.format(path=path))
    if fault:
        message = _messages.DECIMAL_COMMA if fault == "decimal_comma" else _messages.MEASUREMENT_LINE
        raise ValueError(message.format(line=line, path=path, text=text.decode("latin-1")))
    if as_frame:
        import pandas
        return pandas.DataFrame(table, columns=list(COLUMNS))
    return table


def as_measurements(data):
    """Any (n, 7) table of numbers (array, nested lists, DataFrame) as a
    C-ordered float array; ValueError for anything else."""
    try:
        table = np.asarray(data, dtype=np.float64)
    except (TypeError, ValueError) as fault:
        raise ValueError(_messages.NOT_NUMBERS.format(what="measurements", detail=fault)) from None
    if table.ndim != 2 or table.shape[1] != 7 or table.shape[0] == 0:
        raise ValueError(_messages.MEASUREMENT_SHAPE.format(shape=table.shape))
    return np.ascontiguousarray(table)


def write_measurements(path, data):
    """Writes an (n, 7) table in the layout of a measurement file, one point
    a line (see LINE_FORMAT)."""
    table = as_measurements(data)
    path = os.fspath(path)
    try:
        np.savetxt(path, table, fmt=LINE_FORMAT, newline="\n")
    except OSError as fault:
        raise OSError(fault.errno, _messages.NOT_WRITTEN.format(path=path), path) from None
