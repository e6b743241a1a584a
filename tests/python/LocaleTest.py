"""A notebook that sets a decimal-comma locale reads and writes the same
numbers, and fits to the same target, as one in the C locale."""

import json
import os
import shutil
import subprocess
import sys

import pytest

from conftest import EXAMPLES, GOLDEN

# Run in a fresh interpreter, so that the locale is set before gripsim is used,
# as locale.setlocale(locale.LC_ALL, "") in a notebook sets it.
SCRIPT = r"""
import json, locale, sys
import numpy as np
import gripsim
locale.setlocale(locale.LC_ALL, "")
folder, out = sys.argv[1], sys.argv[2]
tyre = gripsim.Tyre.read(folder + "/passenger.dat")
tyre.write(out + "/written.dat")
forces = tyre.evaluate_point(0.05, 2.0, 0.0, 4000.0, 20000.0)
trace = gripsim.Tyre.read(folder + "/passenger_discrete.dat").trace(0.05, 2.0, 0.5, 4000.0, 20000.0)
problem = gripsim.Problem(start=folder + "/DesignStart.dat", target=folder + "/DesignTarget.dat")
x = np.array([float(v) for v in open(folder + "/x.txt").read().split()])
print(json.dumps({
    "point": locale.localeconv()["decimal_point"],
    "parameters": [float(tyre[name]).hex() for name in gripsim.PARAMETER_NAMES],
    "written": open(out + "/written.dat").read(),
    "forces": [float(f).hex() for f in forces],
    "measurements": [v.hex() for v in gripsim.read_measurements(folder + "/meas1.dat").ravel()],
    "trace": [float(v).hex() for name in ("x", "ux", "pz", "fy") for v in trace[name]],
    "target": problem.target(x).hex(),
    "files": problem.result_files(x),
}))
"""


def run(folder, out, **environment):
    env = dict(os.environ, **environment)
    done = subprocess.run([sys.executable, "-c", SCRIPT, str(folder), str(out)], env=env, capture_output=True,
                          text=True, check=False)
    assert done.returncode == 0, done.stderr
    return json.loads(done.stdout)


def testDecimalCommaLocaleGivesTheBytesAndTheTargetOfTheCLocale(tmp_path, case_copy):
    if shutil.which("localedef") is None:
        pytest.fail("localedef is missing: install the locales package (scripts/install-deps.sh)")
    locales = tmp_path / "locales"
    locales.mkdir()
    # localedef exits 1 for warnings about its source and still writes the locale.
    subprocess.run(["localedef", "-i", "de_DE", "-f", "UTF-8", str(locales / "de_DE.UTF-8")], capture_output=True,
                   check=False)
    folder = case_copy("fit", "029_fit_cont")
    shutil.copy(EXAMPLES / "passenger.dat", folder)
    shutil.copy(EXAMPLES / "passenger_discrete.dat", folder)
    (tmp_path / "c").mkdir()
    (tmp_path / "de").mkdir()
    c = run(folder, tmp_path / "c", LC_ALL="C")
    de = run(folder, tmp_path / "de", LC_ALL="de_DE.UTF-8", LOCPATH=str(locales))
    assert (c["point"], de["point"]) == (".", ","), "the German locale took"
    for key in ("parameters", "written", "forces", "trace", "measurements", "target", "files"):
        assert de[key] == c[key], key
    assert float.fromhex(c["parameters"][0]) == 0.06
    assert " cx0      = +6.0000000000e-02" in c["written"]
    assert float.fromhex(c["target"]) > 0.0
    assert len(c["trace"]) > 4 and any(float.fromhex(v) > 0.0 for v in c["trace"])
