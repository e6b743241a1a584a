"""Rig runs in Python against the gripfit program: read_rig's units and
signs, the sweeps of a run, and a preparation that writes gripfit
prepare's files byte for byte and fits to its target."""

import json
import os
import pickle
import subprocess

import numpy as np
import pytest

import gripsim
from conftest import EXAMPLES

RIG = EXAMPLES / "rig"
SAE = str(RIG / "run_sae.dat")


def program(gripfit, folder, *arguments):
    return subprocess.run([gripfit, "prepare", "--out", str(folder), *arguments], capture_output=True, text=True,
                          check=False)


def folder_bytes(folder):
    return {p.name: p.read_bytes() for p in sorted(folder.iterdir())}


# Row 96 of run_sae.dat (t = 0.96 s), worked out by hand from the file's SAE
# values: SA 6.24 deg, FY -2645.5 N, FZ -2987.2 N, MZ 2.23973 N-m, V 40.0035
# kph, N 340.67 rpm, P 219.94 kPa, RL 30.2364 cm.
ROW_96 = {"time": 0.96, "slip_angle": -6.24, "fy": -2645.5, "fz": 2987.2, "mz": -2239.73,
          "speed": 40.0035 / 3.6 * 1000.0, "wheel_speed": 340.67 * np.pi / 30.0, "pressure": 0.21994,
          "loaded_radius": 302.364, "temperature": 30.9373}


def testReadRigTurnsSaeUnitsAndSignsIntoOurs():
    frame = gripsim.read_rig(SAE, convention="sae")
    # Products of the unit factors: within a few ulps of the hand values.
    assert frame.loc[96, list(ROW_96)].to_dict() == pytest.approx(ROW_96, rel=1e-13)
    assert frame.attrs["file"] == SAE and frame.attrs["convention"] == "saej670"
    assert frame.attrs["channels"]["fz"] == "FZ" and frame.attrs["units"]["mz"] == "N-m"
    assert (frame["fz"] > 0).all()  # the load is positive in ours


@pytest.mark.parametrize("name, convention, tolerance", [
    ("run_iso.csv", "iso", 0.0),
    ("run.tdx", None, 1e-15),  # its FZW carries a factor of 0.1: a last-digit rounding
    ("run_sae.mat", "sae", 1e-5),  # single precision of the values the text rounds to six digits
])
def testEveryExampleFileGivesTheSameRun(name, convention, tolerance):
    theirs = gripsim.read_rig(RIG / name, convention=convention)
    ours = gripsim.read_rig(SAE, convention="sae")
    assert len(theirs) == len(ours)
    for column in theirs.columns:
        np.testing.assert_allclose(theirs[column], ours[column], rtol=tolerance, atol=0, err_msg=column)


def write(tmp_path, name, text):
    path = tmp_path / name
    path.write_text(text)
    return str(path)


@pytest.mark.parametrize("make, options, fault, message", [
    (lambda t: SAE, dict(convention="left"), ValueError, "convention should be iso, sae or ours, not 'left'"),
    (lambda t: SAE, dict(), ValueError, "{path}: no sign convention declared for the file"),
    (lambda t: SAE, dict(convention="sae", units={"FZ": "furlong"}), ValueError,
     '{path}: channel FZ (fz): unknown unit "furlong"'),
    (lambda t: SAE, dict(convention="sae", channels={"fz": "LOAD"}), ValueError,
     "{path}: no channel LOAD for fz in the file (its channels: ET, V, N, SA, IA, SL, P, FX, FY, FZ, MX, MZ, RL, RE, "
     "TSTC)"),
    (lambda t: SAE, dict(convention="sae", channels={"load": "FZ"}), ValueError, 'unknown quantity "load" in "load=FZ"'),
    (lambda t: write(t, "bad.csv", "ET [s],FZ [N]\n0,1\n0.01,abc\n"), dict(convention="iso"), ValueError,
     '{path}:3: column 2 (FZ): "abc" is no number'),
    (lambda t: write(t, "short.csv", "ET [s],FZ [N]\n0,1\n0.01\n"), dict(convention="iso"), ValueError,
     "{path}:3: 1 values where the header has 2 channels"),
    (lambda t: write(t, "bare.csv", "ET,FZ\n0,1\n"), dict(convention="iso"), ValueError,
     "{path}: channel ET (time) has no unit"),
    (lambda t: str(t / "none.csv"), dict(convention="iso"), FileNotFoundError, "no such file: {path}"),
])
def testRefusedRunsSayWhy(make, options, fault, message, tmp_path):
    path = make(tmp_path)
    with pytest.raises(fault) as raised:
        gripsim.read_rig(path, **options)
    text = raised.value.strerror if isinstance(raised.value, OSError) else str(raised.value)
    assert text == message.format(path=path)


def testLatin1NamesAndPathsGoThroughAsTheirBytes(tmp_path):
    path = os.fsdecode(os.fsencode(tmp_path) + b"/run_\xe9.csv")  # no UTF-8 name: Python keeps its bytes
    with open(path, "wb") as file:
        file.write(b"ET [s],FZ [N],SA [deg],TEMP\xc9 [\xb0C]\n0,1000,0,20\n0.01,1000,0,20\n")
    frame = gripsim.read_rig(path, convention="iso", units={"TEMP\udcc9": "\udcb0F"})
    assert list(frame.columns) == ["time", "fz", "slip_angle", "TEMP\udcc9"]
    assert frame.attrs["file"] == path and frame.attrs["units"]["TEMP\udcc9"] == "\udcb0F"
    with pytest.raises(ValueError) as raised:
        gripsim.read_rig(path)
    assert str(raised.value) == f"{path}: no sign convention declared for the file"


def testSweepsOfAFrameAreTheProgramsMeasurementFiles(gripfit, tmp_path):
    assert program(gripfit, tmp_path, "--convention", "sae", SAE).returncode == 0
    found = gripsim.sweeps(gripsim.read_rig(SAE, convention="sae"))
    assert [(s.name, s.direction, s.swept) for s in found.sweeps] == [
        ("fy_Fz3000_IA0.dat", 3, "slip_angle"), ("fy_Fz5000_IA0.dat", 3, "slip_angle"),
        ("fy_Fz3000_IA3.dat", 3, "slip_angle"), ("fy_Fz5000_IA3.dat", 3, "slip_angle"), ("fx_Fz5000_IA0.dat", 1, "slip")]
    for sweep in found.sweeps:
        # The files hold seven significant digits (%e).
        np.testing.assert_allclose(sweep.points, gripsim.read_measurements(tmp_path / sweep.name), rtol=5e-7)
        assert list(sweep.points.columns) == list(gripsim.COLUMNS) and sweep.samples.sum() > len(sweep.points)
    lateral = found.sweeps[0].points
    assert (np.sign(lateral.loc[lateral["slip_angle"].abs() > 1, "Fy"]) ==
            np.sign(lateral.loc[lateral["slip_angle"].abs() > 1, "slip_angle"])).all()  # ours: Fy with the slip angle
    assert found.dropped[0] == f"{SAE} 0.00 s to 0.70 s: slip held at zero before the sweep (a warm-up or a hold)"


def testSweepsOfARunWithoutLoadAreRefused():
    frame = gripsim.read_rig(SAE, convention="sae").drop(columns="fz")
    with pytest.raises(ValueError, match=r"^" + SAE + r": no channel of load \(fz\): nothing to prepare$"):
        gripsim.sweeps(frame)


PREPARED = [
    ("run_sae.dat", dict(convention="sae"), ["--convention", "sae"]),
    ("run_iso.csv", dict(convention="iso", model=2, tyre="205/60R15"),
     ["--convention", "iso", "--model", "2", "--tyre", "205/60R15"]),
    ("run.tdx", dict(slip_ratio_bin=0.005), []),
    ("run_sae.mat", dict(convention="sae", channels={"slip_angle": "SA"}),
     ["--convention", "sae", "--channel", "slip_angle=SA"]),
    ("run_iso.csv", dict(convention="ours", force=True), ["--convention", "ours", "--force"]),  # Fy flipped
]


@pytest.mark.parametrize("name, options, arguments", PREPARED)
def testPreparationWritesTheProgramsFiles(name, options, arguments, gripfit, tmp_path):
    path = str(RIG / name)
    done = program(gripfit, tmp_path / "program", *arguments, path)
    assert done.returncode == 0, done.stderr
    expected = folder_bytes(tmp_path / "program")
    read = {k: options[k] for k in ("convention", "channels") if k in options}
    for source in (path, gripsim.read_rig(path, **read)):
        prepared = gripsim.prepare(source, **options)
        folder = tmp_path / ("file" if isinstance(source, str) else "frame")
        prepared.write(folder)
        assert folder_bytes(folder) == expected
        assert prepared.summary.encode() == expected["Prepare.txt"]
        assert done.stderr == "".join(f"warning: {line}\n" for line in prepared.warnings)
        assert done.stdout == f"{len(prepared.sweeps)} sweeps prepared in {tmp_path / 'program'} (Prepare.txt says " \
                              "what was found and dropped)\n"


def testPreparedFitReachesTheProgramsTarget(gripfit, tmp_path):
    assert program(gripfit, tmp_path, "--convention", "sae", SAE).returncode == 0
    search = dict(method="slsqp", starts=2, max_evals=300, seed=1, threads=2)
    done = subprocess.run([gripfit, "--quiet", *(f"--{k.replace('_', '-')}={v}" for k, v in search.items())],
                          cwd=tmp_path, capture_output=True, text=True, check=False)
    assert done.returncode == 0, done.stdout + done.stderr
    expected = json.loads((tmp_path / "FitReport.json").read_text())
    prepared = pickle.loads(pickle.dumps(gripsim.prepare(SAE, convention="sae")))
    assert prepared.problem.target_names == ["fy_Fz3000_IA0.dat", "fy_Fz5000_IA0.dat", "fx_Fz5000_IA0.dat"]
    result = prepared.fit(**search)
    assert repr(result.target) == repr(expected["target"])
    assert result.files == {name: (tmp_path / name).read_text(encoding="latin-1") for name in result.files}


@pytest.mark.parametrize("options, arguments", [
    (dict(convention="ours"), ["--convention", "ours"]),  # a flipped Fy fails the stiffness check
    (dict(convention="sae", channels={"fz": "NONE"}, force=True),  # no load channel: nothing to prepare, forced or not
     ["--convention", "sae", "--channel", "fz=NONE", "--force"]),
])
def testFailedChecksRaiseWithTheProgramsMessages(options, arguments, gripfit, tmp_path):
    path = str(RIG / ("run_iso.csv" if options["convention"] == "ours" else "run_sae.dat"))
    done = program(gripfit, tmp_path / "out", *arguments, path)
    assert done.returncode == 2 and not (tmp_path / "out").exists()
    with pytest.raises(gripsim.PreparationError) as raised:
        gripsim.prepare(path, **options)
    assert isinstance(raised.value, ValueError)
    copy = pickle.loads(pickle.dumps(raised.value))  # as a worker hands it back
    assert (str(copy), copy.messages) == (str(raised.value), raised.value.messages)
    assert done.stderr == "".join(f"{line}\n" for line in raised.value.messages) == f"{raised.value}\n"


@pytest.mark.parametrize("call, options, fault, message", [
    ("prepare", dict(break_samples=0), ValueError, "breakSamples should be 1 or more"),
    ("prepare", dict(load_margin=-1.0), ValueError, "a tolerance should be 0 or more"),
    ("prepare", dict(slip_ratio_bin=0.0), ValueError, "a bin width should be above 0"),
    ("prepare", dict(minimum_duration=float("nan")), ValueError, "minimumDuration should be 0 or more"),
    ("prepare", dict(lifted_load=-1), ValueError, "liftedLoad should be 0 or more"),
    ("prepare", dict(model=3), ValueError, "--model should be 1 or 2"),
    ("prepare", dict(tyre="big"), ValueError, "--tyre should be a size such as 205/60R15"),
    ("prepare", dict(break_samples=2.5), ValueError, "break_samples should be a whole number, not 2.5"),
    ("prepare", dict(camber_tolerance="wide"), ValueError, "camber_tolerance should be a number, not 'wide'"),
    ("prepare", dict(force="yes"), ValueError, "force should be True or False, not 'yes'"),
    ("prepare", dict(bin=1), TypeError, "prepare() got an unexpected keyword argument 'bin'"),
    ("sweeps", dict(speed_tolerance=-1), ValueError, "a tolerance should be 0 or more"),
    ("sweeps", dict(model=2), TypeError, "sweeps() got an unexpected keyword argument 'model'"),
])
def testRefusedOptionsSayWhich(call, options, fault, message):
    with pytest.raises(fault) as raised:
        if call == "prepare":
            gripsim.prepare(SAE, convention="sae", **options)
        else:
            gripsim.sweeps(gripsim.read_rig(SAE, convention="sae"), **options)
    assert str(raised.value) == message


def testPreparationOfNothingIsRefused():
    with pytest.raises(ValueError, match="^prepare needs at least one rig file or run$"):
        gripsim.prepare([])


def testRefusedTyreSaysWhatTheProgramSays(gripfit, tmp_path):
    done = program(gripfit, tmp_path, "--convention", "sae", "--tyre", "big", SAE)
    assert done.returncode == 1
    with pytest.raises(ValueError) as raised:
        gripsim.prepare(SAE, convention="sae", tyre="big")
    assert done.stderr.startswith(f"gripfit prepare: {raised.value}\n")


def testReportOfAPreparedDesignShowsTheProgramsPage(gripfit, tmp_path):
    assert program(gripfit, tmp_path, "--convention", "sae", SAE).returncode == 0
    done = subprocess.run([gripfit, "--quiet", "--evaluate"], cwd=tmp_path, capture_output=True, text=True, check=False)
    assert done.returncode == 0, done.stdout + done.stderr
    problem = gripsim.prepare(SAE, convention="sae").problem
    report = problem.report(problem.x0)
    assert report["target"] == json.loads((tmp_path / "FitReport.json").read_text())["target"]
    assert report._repr_html_() == (tmp_path / "FitReport.html").read_text(encoding="utf-8")
