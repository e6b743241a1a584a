"""One rule for a measurement line, the same inputs through gripsim, the fit
(Python's and the gripfit program's) and gripsim.read_measurements."""

import os
import re
import shutil
import subprocess

import pytest

import gripsim
from conftest import EXAMPLES, GOLDEN

POINT = " 0.01 1.0 0.0 100.0 200.0 4000.0 300.0"
COMMA = "has a number with a decimal comma (write it with a point)"
FEWER = "holds fewer than seven numbers and is skipped"
MORE = "holds more than the seven numbers of one point; the point takes the first seven"
NOT_A_POINT = "does not hold the seven numbers of one measured point"

# line 2 of m.dat between two points: gripsim's exit status and message
# (None: nothing said), and the fault of the fit and of Python (None: read,
# with the points given).
CASES = {
    "Point": (POINT, 0, None, None, 3),
    "Blank": ("  \t", 0, None, None, 2),
    "SixNumbers": (" 0.01 1.0 0.0 100.0 200.0 4000.0", 1, FEWER, NOT_A_POINT, 2),
    "Header": (" slip alpha camber Fx Fy Fz Mz", 1, FEWER, NOT_A_POINT, 2),
    "EightNumbers": (POINT + " 5", 0, MORE, NOT_A_POINT, 3),
    "TrailingWord": (POINT + " N", 0, MORE, NOT_A_POINT, 3),
    "DecimalComma": (" 0,01 1.0 0.0 100.0 200.0 4000.0 300.0", 1, COMMA, COMMA, 2),
    "DecimalCommaLast": (POINT + ",5", 1, COMMA, COMMA, 2),
}


@pytest.fixture
def folder(tmp_path):
    shutil.copy(GOLDEN / "fit" / "029_fit_cont" / "DesignStart.dat", tmp_path)
    shutil.copy(EXAMPLES / "passenger.dat", tmp_path / "tyre.dat")
    (tmp_path / "run.ctl").write_text("[DataFileName]\ntyre.dat\n[FileInput]\n file = m.dat speed = 1000\n[Eof]\n")
    return tmp_path


@pytest.mark.parametrize("name", CASES)
def testMeasurementLineMeansTheSameEverywhere(name, folder, gripfit):
    line, status, said, fault, points = CASES[name]
    (folder / "m.dat").write_text(POINT + "\n" + line + "\n" + POINT + "\n")
    (folder / "DesignTarget.dat").write_text(
        f"targets\n number of files = 1\n file = m.dat points = {points} direction = 1 speed = 1000\n[Eof]\n")

    program = os.environ.get("GRIP_GRIPSIM")
    ran = subprocess.run([program, "run.ctl"], cwd=folder, capture_output=True, text=True, check=False)
    assert ran.returncode == status
    assert ran.stdout == (f" line 2 of m.dat {said}: {line}\n" if said else "")
    assert len((folder / "TractalFinput1.dat").read_text().splitlines()) == points

    fitted = subprocess.run([gripfit, "--quiet", "--evaluate"], cwd=folder, capture_output=True, text=True, check=False)
    if fault is None:
        assert gripsim.read_measurements(folder / "m.dat").shape == (points, 7)
        problem = gripsim.Problem(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat")
        assert problem.target(problem.x0) > 0.0
        assert fitted.returncode == 0, fitted.stdout
        return
    message = f"line 2 of {folder / 'm.dat'} {fault}: {line}"
    with pytest.raises(ValueError) as raised:
        gripsim.read_measurements(folder / "m.dat")
    assert str(raised.value) == message
    with pytest.raises(ValueError) as raised:
        gripsim.Problem(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat")
    lines = str(raised.value).splitlines()
    assert lines[1:] == [f"line 2 of m.dat {fault}: {line}",
                         f"error in reading measurement file m.dat listed in {folder / 'DesignTarget.dat'}"]
    assert fitted.returncode == 2  # the design files were refused
    assert f" line 2 of m.dat {fault}: {line}\n error in reading measurement file m.dat listed in DesignTarget.dat \n" \
        in fitted.stdout


@pytest.mark.parametrize("name", ["tyre.dat", "DesignStart.dat", "DesignTarget.dat"])
def testDecimalCommaInAnyFileRaises(name, folder):
    (folder / "m.dat").write_text(POINT + "\n")
    (folder / "DesignTarget.dat").write_text(
        "targets\n number of files = 1\n file = m.dat points = 1 direction = 1 speed = 1000\n[Eof]\n")
    path = folder / name
    text = path.read_text(encoding="latin-1")
    first = {"tyre.dat": "+6.0000000000e-02", "DesignStart.dat": "designbounds  +6.679816e-03",
             "DesignTarget.dat": "speed = 1000"}[name]
    changed = {"tyre.dat": "+6,0000000000e-02", "DesignStart.dat": "designbounds  +6,679816e-03",
               "DesignTarget.dat": "speed = 1000,5"}[name]
    path.write_text(text.replace(first, changed, 1), encoding="latin-1")
    line = next(k for k, text in enumerate(path.read_text(encoding="latin-1").splitlines(), 1) if changed in text)
    with pytest.raises(ValueError, match=rf"line {line} of \S*{name} " + re.escape(COMMA)):
        if name == "tyre.dat":
            gripsim.Tyre.read(path)
        else:
            gripsim.Problem(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat")
