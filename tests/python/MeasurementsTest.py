"""Measurement files read and written from Python."""

import numpy as np
import pytest

import gripsim
from conftest import EXAMPLES


def testWrittenMeasurementsReadBackBitForBit(tmp_path):
    rng = np.random.default_rng(7)
    table = rng.normal(size=(50, 7)) * 10.0 ** rng.integers(-8, 8, size=(50, 7))
    gripsim.write_measurements(tmp_path / "m.dat", table)
    assert np.array_equal(gripsim.read_measurements(tmp_path / "m.dat"), table)
    assert all(len(line.split()) == 7 for line in (tmp_path / "m.dat").read_text().splitlines())


def testExampleMeasurementsReadAsArrayAndFrame():
    table = gripsim.read_measurements(EXAMPLES / "measured.dat")
    assert table.ndim == 2 and table.shape[1] == 7 and table.shape[0] > 0
    frame = gripsim.read_measurements(EXAMPLES / "measured.dat", as_frame=True)
    assert list(frame.columns) == list(gripsim.COLUMNS)
    assert np.array_equal(frame.to_numpy(), table)


@pytest.mark.parametrize("text, words", [
    (" 1 2 3 4 5 6 7\n 1 2 3 4 5 6\n", "line 2 of"),
    (" 1 2 3 4 5 6 7 8\n", "line 1 of"),
    ("\n 1 2 3 4 5 six 7\n", "line 2 of"),
])
def testFaultyMeasurementLineNamesFileAndLine(tmp_path, text, words):
    path = tmp_path / "bad.dat"
    path.write_text(text)
    with pytest.raises(ValueError, match=words + ".*bad.dat"):
        gripsim.read_measurements(path)


@pytest.mark.parametrize("table, exception", [
    (np.zeros((3, 6)), ValueError),
    (np.zeros(7), ValueError),
    ([["a"] * 7], ValueError),
])
def testWrongTableIsRefused(tmp_path, table, exception):
    with pytest.raises(exception):
        gripsim.write_measurements(tmp_path / "x.dat", table)


def testMissingMeasurementFileIsNotFound(tmp_path):
    with pytest.raises(FileNotFoundError, match="missing.dat"):
        gripsim.read_measurements(tmp_path / "missing.dat")
