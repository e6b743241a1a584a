"""The flat-track runs of examples/rig/consortium.py, as gripfit prepare takes them."""

import subprocess
import sys

import numpy as np

import gripsim
from conftest import EXAMPLES

HEADER = ("ET [s],V [km/h],N [rpm],SA [deg],IA [deg],SL [-],P [kPa],FX [N],FY [N],FZ [N],MX [Nm],MZ [Nm],RL [cm],"
          "RE [cm],TSTC [degC]")


def testRunsPrepareIntoTheirTwelveSweepsWithOurSigns(gripfit, tmp_path):
    runs = tmp_path / "runs"
    subprocess.run([sys.executable, str(EXAMPLES / "rig" / "consortium.py"), "--seed", "2", str(runs)], check=True)
    files = sorted(runs.iterdir())
    assert [f.name for f in files] == ["cornering_IA0.csv", "cornering_IA2.csv", "cornering_IA4.csv",
                                       "drive_brake_IA0.csv"]
    for f in files:
        lines = f.read_text().splitlines()
        assert lines[1] == HEADER and len(lines) == 2 + 5699  # about 57 s at 100 Hz
        sae = np.loadtxt(lines[2:], delimiter=",")
        assert (sae[:, 9] < -1000.0).mean() > 0.9  # FZ below zero under load: SAE's z points down
    out = tmp_path / "prepared"
    done = subprocess.run([gripfit, "prepare", "--convention", "sae", "--tyre", "205/60R15", "--out", str(out)]
                          + [str(f) for f in files], capture_output=True, text=True)
    assert done.returncode == 0, done.stdout + done.stderr
    assert "\nchecks:\n all passed\n" in (out / "Prepare.txt").read_text()
    swept = {f"fy_Fz{load}_IA{camber}.dat" for load in (2000, 4000, 6000) for camber in (0, 2, 4)}
    swept |= {f"fx_Fz{load}_IA0.dat" for load in (2000, 4000, 6000)}
    assert {f.name for f in out.glob("f?_*.dat")} == swept
    target = (out / "DesignTarget.dat").read_text()
    assert " number of files = 6\n" in target and target.count("direction = 3") == 3
    # In ours the load is positive and Fy and, at small angles, Mz have the slip angle's sign.
    data = gripsim.read_measurements(out / "fy_Fz4000_IA0.dat")
    ends, small = data[[0, -1]], data[np.abs(np.abs(data[:, 1]) - 1.0) < 0.25]  # the bins at -1 and +1 deg
    assert ends[0, 1] < -11.5 and ends[1, 1] > 11.5
    assert np.all(np.sign(ends[:, 4]) == np.sign(ends[:, 1])) and np.all(np.abs(ends[:, 4]) > 3000.0)
    assert len(small) == 2 and np.all(np.sign(small[:, 6]) == np.sign(small[:, 1])) and np.all(np.abs(data[:, 5] - 4000.0) < 100.0)
