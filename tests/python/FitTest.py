"""The Python fit against the plug-in's design call and the reference fit
cases, and its faults."""

import os
import pickle
import re
import signal
import threading
import time

import numpy as np
import pytest

import gripsim
from conftest import FIT_CASES, GOLDEN

GOOD_CASES = [name for name in FIT_CASES if (GOLDEN / "fit" / name / "expected" / "DesignResults.dat").exists()]
FAULTY_CASES = [name for name in FIT_CASES if name not in GOOD_CASES]


def design_vector(folder):
    return np.array([float(v) for v in (folder / "x.txt").read_text().split()])


@pytest.mark.parametrize("name", GOOD_CASES)
def testProblemGivesThePluginsTargetAndResultFiles(name, case_copy, monkeypatch):
    folder = case_copy("fit", name)
    x = design_vector(folder)
    problem = gripsim.Problem(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat")
    target = problem.target(x)
    files = problem.result_files(x)

    monkeypatch.chdir(folder)
    state = gripsim._gripsim.DesignCallState()
    count, _ = gripsim._design_call(state, x, 0)
    assert count == len(x) == len(problem.x0)
    assert gripsim._design_call(state, x, 1)[0] == target
    assert gripsim._design_call(state, x, -1)[0] == target
    for file_name, text in files.items():
        assert (folder / file_name).read_text() == text

    # The reference was computed independently: it agrees to rounding.
    expected = float((GOLDEN / "fit" / name / "expected" / "stdout.txt").read_text().split()[-1])
    assert target == pytest.approx(expected, rel=1e-9)  # rounding of another summation order


@pytest.mark.parametrize("name", FAULTY_CASES)
def testFaultyDesignFilesRaiseWithThePluginsMessages(name, case_copy, monkeypatch):
    monkeypatch.chdir(case_copy("fit", name))
    with pytest.raises(ValueError) as raised:
        gripsim.Problem(start="DesignStart.dat", target="DesignTarget.dat")
    expected = (GOLDEN / "fit" / name / "expected" / "stdout.txt").read_text().splitlines()[0].strip()
    assert expected in str(raised.value)


def data_problem(folder, **change):
    """The design of a case given from Python: tyre, bounds by name and the measurements as arrays."""
    files = gripsim.Problem(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat")
    lower, upper = files.bounds
    targets = []
    for line in (folder / "DesignTarget.dat").read_text().splitlines()[2:]:
        if "[Eof]" in line:
            break
        words = line.replace("=", " ").split()
        targets.append({"data": gripsim.read_measurements(folder / words[1]), "direction": int(words[5]),
                        "speed": float(words[7]), "name": words[1]})
    arguments = dict(tyre=gripsim.Tyre.read(folder / "DesignStart.dat"),
                     design={n: (lo, hi) for n, lo, hi in zip(files.names, lower, upper)}, targets=targets)
    arguments.update(change)
    return files, arguments


@pytest.mark.parametrize("name", GOOD_CASES)
def testDesignFromDataEqualsDesignFromFiles(name, case_copy):
    folder = case_copy("fit", name)
    files, arguments = data_problem(folder)
    data = gripsim.Problem(**arguments)
    x = design_vector(folder)
    assert data.names == files.names
    assert np.array_equal(data.x0, files.x0)
    assert data.target(x) == files.target(x)
    assert np.array_equal(data.residuals(x), files.residuals(x))
    mixed = gripsim.Problem(start=folder / "DesignStart.dat", targets=arguments["targets"])
    assert mixed.target(x) == files.target(x)


def testDirectionAboveThreeFromDataCountsAsThreeWithTheListsWarning(case_copy):
    folder = case_copy("fit", "029_fit_cont")
    x = design_vector(folder)
    _, three = data_problem(folder)
    _, four = data_problem(folder)
    three["targets"][0]["direction"] = 3
    four["targets"][0]["direction"] = 4
    counted, given = gripsim.Problem(**three), gripsim.Problem(**four)
    assert counted.messages == ""
    assert given.messages == " target meas1.dat: direction 4 counts as 3 (Fy and Mz)\n"
    assert given.residual_count == counted.residual_count
    assert np.array_equal(given.residuals(x), counted.residuals(x))
    assert given.fit(max_evals=60, threads=1).messages[0] == given.messages


def testResidualMagnitudesAddUpToTheTargetAndLeastSquaresLowersIt(case_copy):
    scipy_optimize = pytest.importorskip("scipy.optimize")
    folder = case_copy("fit", "029_fit_cont")
    problem = gripsim.Problem(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat")
    r = problem.residuals(problem.x0)
    assert len(r) == problem.residual_count
    # One summation against another of the same terms: a few ulps of the sum.
    assert np.abs(r).sum() == pytest.approx(problem.target(problem.x0), rel=1e-12)
    fitted = scipy_optimize.least_squares(problem.residuals, problem.x0, bounds=problem.bounds, max_nfev=40)
    assert problem.target(fitted.x) < problem.target(problem.x0)
    lower, upper = problem.bounds
    assert np.all(fitted.x >= lower) and np.all(fitted.x <= upper)


@pytest.mark.parametrize("change, exception, words", [
    ({"design": {"cy0": (0.01, float("inf"))}}, ValueError, "design bounds of cy0 are not finite numbers"),
    ({"design": {"cy0": (0.02, 0.01)}}, ValueError, "the lower bound 0.02 is above the upper bound 0.01"),
    ({"design": {"cyy": (0.0, 1.0)}}, KeyError, "unknown parameter name 'cyy'"),
    ({"design": {"cy0": 0.01}}, ValueError, "should be a pair"),
    ({"design": {}}, ValueError, "names no variable"),
    ({"targets": [{"data": np.zeros((3, 6)), "direction": 1, "speed": 0.0}]}, ValueError, "(n, 7)"),
    *[({"targets": [{"data": np.ones((3, 7)), "direction": direction, "speed": 0.0, "name": "d"}]}, ValueError,
       f"target d: direction {direction} should be 1 (Fx), 2 (Fy) or 3 (Fy and Mz)") for direction in (0, -1)],
    ({"targets": [{"data": np.ones((3, 7)), "direction": 2**31, "speed": 0.0}]}, ValueError,
     "target 1: direction 2147483648 should be 1 (Fx), 2 (Fy) or 3 (Fy and Mz)"),
    ({"targets": [{"data": np.ones((3, 7)), "direction": 2.5, "speed": 0.0}]}, ValueError,
     "target 1: direction 2.5 is no whole number"),
    ({"targets": [{"data": np.ones((3, 7)), "direction": 1, "speed": None}]}, ValueError, "target 1: float() argument"),
    ({"targets": [{"data": np.full((2, 7), np.nan), "direction": 1, "speed": 0.0, "name": "nan"}]}, ValueError,
     "line 1 of nan: number 1 (nan) is not a finite number"),
    *[({"targets": [{"data": np.where(np.arange(7) == column, value, np.ones((2, 7))), "direction": 3,
                     "speed": 0.0, "name": "one"}]}, ValueError,
       f"line 1 of one: number {column + 1} ({value}) is not a finite number")
      for column in range(7) for value in (np.nan, np.inf)],
    ({"targets": [{"data": np.zeros((2, 7)), "direction": 1, "speed": 0.0, "name": "flat"}]}, ValueError,
     "line 1 of flat: vertical load 0 N should be above 0"),
    ({"targets": [{"data": "nowhere.dat"}]}, FileNotFoundError, "nowhere.dat"),
    ({"targets": []}, ValueError, "at least one target"),
])
def testBadDesignRaisesClearly(case_copy, change, exception, words):
    folder = case_copy("fit", "029_fit_cont")
    _, arguments = data_problem(folder, **change)
    with pytest.raises(exception) as raised:
        gripsim.Problem(**arguments)
    assert words in str(raised.value)


def testBadDesignVectorAndMissingFilesRaiseClearly(case_copy):
    folder = case_copy("fit", "029_fit_cont")
    problem = gripsim.Problem(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat")
    with pytest.raises(ValueError, match="holds 3 values where 4 design variables are expected"):
        problem.target([1.0, 2.0, 3.0])
    with pytest.raises(ValueError, match=r"design variable 2 \(mue1xn\) = nan is not a finite number"):
        problem.residuals([0.01, np.nan, 60.0, 1.0])
    with pytest.raises(FileNotFoundError):
        gripsim.Problem(start=folder / "none.dat", target=folder / "DesignTarget.dat")
    (folder / "meas2.dat").unlink()
    with pytest.raises(ValueError, match="unable to open input file meas2.dat"):
        gripsim.Problem(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat")


def testFitLowersTheTargetWithinBoundsAndWritesThePluginsFiles(case_copy, tmp_path):
    folder = case_copy("fit", "029_fit_cont")
    problem = gripsim.Problem(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat")
    # A whole float is taken as its count.
    result = gripsim.fit(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat", seed=3, threads=1,
                         max_evals=400.0)
    assert result.target <= problem.target(problem.x0)
    lower, upper = problem.bounds
    values = np.array(list(result.design.values()))
    assert np.all(values >= lower) and np.all(values <= upper)
    assert result.evaluations > 0 and result.seconds >= 0.0
    assert result.method == problem.defaults["method"] == "slsqp"
    assert result.points == 29
    assert {row["channel"] for row in result.report} <= {"Fx", "Fy", "Mz"}
    written = result.write(tmp_path / "out")
    assert sorted(os.path.basename(p) for p in written) == ["DesignResults.dat", "file1.dat", "file2.dat"]
    assert (tmp_path / "out" / "file1.dat").read_text(encoding="latin-1") == result.files["file1.dat"]
    # The files are one set: one that cannot be written leaves every other as it was.
    blocked = tmp_path / "blocked"
    (blocked / "DesignResults.dat").mkdir(parents=True)
    (blocked / "file1.dat").write_text("old")
    with pytest.raises(IsADirectoryError, match="DesignResults.dat"):
        result.write(blocked)
    assert sorted(os.listdir(blocked)) == ["DesignResults.dat", "file1.dat"]
    assert (blocked / "file1.dat").read_text() == "old"
    # DesignResults.dat holds each parameter to 11 significant digits, as
    # the plug-in writes it: the fitted design reads back rounded, the
    # parameters that were not fitted read back as they were.
    fitted = gripsim.Tyre.read(tmp_path / "out" / "DesignResults.dat").parameters
    for name, value in result.tyre.parameters.items():
        if name in result.design:
            assert fitted[name] == pytest.approx(value, rel=5e-11, abs=0.0)  # half a unit of the 11th digit
        else:
            assert fitted[name] == value
    assert result.target == problem.target(list(result.design.values()))
    copy = pickle.loads(pickle.dumps(result))
    assert copy.tyre == result.tyre and copy.design == result.design
    assert len(result.report_frame()) == len(result.report)
    # The notebook shows gripfit's report page: a figure per sweep, a row per design variable.
    shown = result._repr_html_()
    assert shown.startswith("<!DOCTYPE html>\n") and shown == copy.html
    assert shown.count('<figure class="sweep"') == len(problem.target_names) == len(result.sweeps)
    rows = re.findall(r'<tr class="design" data-name="([^"]*)" data-value="([^"]*)">', shown)
    assert [(name, float(value)) for name, value in rows] == list(result.design.items())
    assert [float(v) for v in re.findall(r'<span id="target" data-value="([^"]*)">', shown)] == [result.target]


def testPlotDrawsEachSweepsPointsModelAndResiduals(case_copy):
    folder = case_copy("fit", "029_fit_cont")
    result = gripsim.fit(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat", threads=1, max_evals=400)
    panels = [(s, c) for s in result.sweeps for c in s["channels"]]
    assert [s["channels"] for s in result.sweeps] == [{1: ["Fx"], 2: ["Fy"]}.get(s["direction"], ["Fy", "Mz"])
                                                      for s in result.sweeps]
    figure = result.plot()
    axes = figure.get_axes()
    assert len(axes) == 2 * len(panels)
    for k, (sweep, channel) in enumerate(panels):
        top, bottom = axes[2 * k], axes[2 * k + 1]
        curve, points = top.get_lines()
        assert list(curve.get_xdata()) == sweep["curve_x"] and list(curve.get_ydata()) == sweep["curve"][channel]
        assert len(sweep["curve_x"]) == 101 and sweep["curve_x"][0] == min(sweep["x"])
        assert list(points.get_ydata()) == sweep["measured"][channel]
        residuals = bottom.get_lines()[-1].get_ydata()
        assert list(residuals) == [m - d for m, d in zip(sweep["model"][channel], sweep["measured"][channel])]
        assert top.get_ylabel() == f"{channel} [{'N*mm' if channel == 'Mz' else 'N'}]"
        assert top.get_legend() is not None
    assert result.plot(figure) is figure and len(figure.get_axes()) == 2 * len(panels)  # drawn again, not added to
    bare = gripsim.FitResult(result.tyre, result.target, result.design, 1, 0.0, "slsqp", 1, result.points,
                             result.report, result.variables, result.files, [])
    with pytest.raises(ValueError, match="the result holds no sweeps"):
        bare.plot()
    assert bare._repr_html_().startswith("<pre>gripsim.FitResult(")


@pytest.mark.parametrize("options, words", [
    ({"method": "simplex"}, "unknown search method 'simplex': the methods are bobyqa, sbplx, neldermead, slsqp, lbfgs, portfolio"),
    ({"method": 3}, "method should be a method name or None, not 3"),
    # The ranges are the fit library's, in its words (gripfit's behind "gripfit: ") ...
    *[({"difference_step": value}, f"difference step {shown} should be above 0 and below 1 [share of the bound range]")
      for value, shown in ((0.0, "0"), (-1e-6, "-1e-06"), (1.0, "1"), (float("nan"), "nan"), (float("inf"), "inf"))],
    ({"starts": -1}, "starts = -1 should be 0 (chosen by the problem) to 100000"),
    ({"starts": 100001}, "starts = 100001 should be 0 (chosen by the problem) to 100000"),
    ({"max_evals": -5}, "max_evals = -5 should be 0 (chosen by the problem) or more"),
    ({"threads": -3}, "threads = -3 should be 0 (the machine's cores) to 1024"),
    ({"threads": 1025}, "threads = 1025 should be 0 (the machine's cores) to 1024"),
    # ... and against the problem: each start's share pays for the first step.
    ({}, "max_evals = 10 is too small for slsqp with 4 design variables and 4 starts: each start's share needs 9 "
         "evaluations for the first step, so max_evals should be 54 or more"),
    ({"method": "bobyqa", "starts": 3, "max_evals": 44}, "max_evals = 44 is too small for bobyqa with 4 design "
     "variables and 3 starts: each start's share needs 9 evaluations for the first step, so max_evals should be 45 "
     "or more"),
    ({"central_differences": False}, "max_evals = 10 is too small for slsqp with 4 design variables and 4 starts: "
     "each start's share needs 5 evaluations for the first step, so max_evals should be 30 or more"),
    # Kinds, and numbers no field of the library holds, are Python's to refuse.
    ({"difference_step": "small"}, "difference_step 'small' should be a positive number"),
    ({"difference_step": True}, "difference_step True should be a positive number"),
    ({"starts": 2**31}, "starts should be a whole number from 0 to 100000, not 2147483648"),
    ({"starts": 2.5}, "starts should be a whole number from 0 to 100000, not 2.5"),
    ({"starts": None}, "starts should be a whole number from 0 to 100000, not None"),
    ({"max_evals": 2**63}, "max_evals should be a whole number from 0 to 9223372036854775807, not 9223372036854775808"),
    ({"max_evals": 54.5}, "max_evals should be a whole number from 0 to 9223372036854775807, not 54.5"),
    ({"threads": -2**31 - 1}, "threads should be a whole number from 0 to 1024, not -2147483649"),
    ({"threads": True}, "threads should be a whole number from 0 to 1024, not True"),
    ({"seed": -1}, "seed should be a whole number from 0 to 9223372036854775807, not -1"),
    ({"seed": "1"}, "seed should be a whole number from 0 to 9223372036854775807, not '1'"),
    ({"seed": True}, "seed should be a whole number from 0 to 9223372036854775807, not True"),
    ({"central_differences": "yes"}, "central_differences should be True or False, not 'yes'"),
    ({"central_differences": 2}, "central_differences should be True or False, not 2"),
])
def testBadSearchOptionsRaiseClearly(case_copy, options, words):
    folder = case_copy("fit", "029_fit_cont")
    with pytest.raises(ValueError) as raised:
        gripsim.fit(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat",
                    **{"max_evals": 10, "threads": 1, **options})
    assert str(raised.value) == words


def testProblemFromRelativeNamesUnpicklesInAnotherFolder(case_copy, tmp_path, monkeypatch):
    folder = case_copy("fit", "029_fit_cont")
    monkeypatch.chdir(folder)
    problem = gripsim.Problem(start="DesignStart.dat", target="DesignTarget.dat")
    x = design_vector(folder)
    stored = pickle.dumps(problem)
    monkeypatch.chdir(tmp_path)
    copy = pickle.loads(stored)
    assert copy.target(x) == problem.target(x) and copy.names == problem.names
    assert repr(copy) == repr(problem) == (
        "gripsim.Problem(model=1 (continuous), 4 variables ['cy0', 'mue1xn', 'vslide', 'MzScaleP'], 2 targets, "
        f"{problem.points} points, {problem.residual_count} residuals)")


def testCtrlCStopsADiscreteFitEarlyWithTheBestDesignFound(case_copy):
    folder = case_copy("fit", "030_fit_disc_s2_p3")
    problem = gripsim.Problem(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat")
    sent = []

    def interrupt():
        sent.append(time.monotonic())
        os.kill(os.getpid(), signal.SIGINT)

    timer = threading.Timer(1.0, interrupt)
    timer.start()
    try:
        # Minutes of starts (a few hundred a second): only the signal ends this search early.
        with pytest.raises(gripsim.FitInterrupted) as raised:
            problem.fit(method="sbplx", starts=100000, max_evals=10**8, threads=1, seed=1)
        caught = time.monotonic()
    finally:
        timer.cancel()
    assert isinstance(raised.value, KeyboardInterrupt)
    result = raised.value.result
    assert result.interrupted and result.search["interrupted"] is True
    assert 0 < result.evaluations < 10**8 and result.starts < 100000
    assert result.target <= problem.target(problem.x0)
    lower, upper = problem.bounds
    values = np.array(list(result.design.values()))
    assert np.all(values >= lower) and np.all(values <= upper)
    assert result.files["DesignResults.dat"] == problem.result_files(values)["DesignResults.dat"]
    # Honoured, not at the end of the search (the counts above say so): how
    # soon depends on the machine's load, so no time is asserted.
    assert caught >= sent[0]


def testFitOfAPreparedFolderCarriesThePreparationsWarnings(gripfit, case_copy, tmp_path):
    from conftest import EXAMPLES
    import subprocess
    run = str(EXAMPLES / "rig" / "run_iso.csv")
    # ISO's Fy read as ours: each slip-angle sweep fails its stiffness check, kept by --force.
    subprocess.run([gripfit, "prepare", "--force", "--out", str(tmp_path / "p"), "--convention", "ours", run],
                   check=True, capture_output=True)
    start, target = tmp_path / "p" / "DesignStart.dat", tmp_path / "p" / "DesignTarget.dat"
    result = gripsim.fit(start=start, target=target, threads=1, starts=1, max_evals=200)
    assert result.preparation["files"] == [{"file": run, "convention": "ours", "samples": 1229}]
    assert result.preparation["forced"] is True
    assert len(result.preparation["warnings"]) == 4
    assert result.preparation["warnings"][0].startswith(run + " sweep fy_Fz3000_IA0.dat channel FY: cornering stiffness")
    assert result.report_dict()["preparation"] == result.preparation
    problem = gripsim.Problem(start=start, target=target)
    assert problem.report(problem.x0)["preparation"] == result.preparation
    assert "<h2>Preparation</h2>" in result.html
    folder = case_copy("fit", "029_fit_cont")
    plain = gripsim.fit(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat", threads=1, starts=1,
                         max_evals=200)
    assert plain.preparation is None and "preparation" not in plain.report_dict()
