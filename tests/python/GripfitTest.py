"""The Python fit against the gripfit program on the reference fit cases:
the same design gives the same target, report and result files, and the
same search options give the same fit."""

import json
import re
import subprocess

import numpy as np
import pytest

import gripsim
from conftest import FIT_CASES, GOLDEN

GOOD_CASES = [name for name in FIT_CASES if (GOLDEN / "fit" / name / "expected" / "DesignResults.dat").exists()]
EXACT_KEYS = ("file", "direction", "channel", "in_target", "points", "unit")
UNCERTAINTY_KEYS = ("standard_error", "interval95", "determined", "reason")
NUMBER_KEYS = ("mean_error", "rms_error", "mean_error_percent", "rms_error_percent", "measured_peak", "model_peak",
               "target_share")


def put_design(folder, x):
    """Writes x into DesignStart.dat as the start values of its design
    variables, each as the shortest text that reads back as the same number."""
    path = folder / "DesignStart.dat"
    values = iter(x)
    lines = [re.sub(r"=\s*\S+", lambda _: f"= {next(values)!r}", line, count=1) if "designbounds" in line else line
             for line in path.read_text(encoding="latin-1").splitlines(keepends=True)]
    path.write_text("".join(lines), encoding="latin-1")


def run(gripfit, folder, *options):
    done = subprocess.run([gripfit, "--quiet", *options], cwd=folder, capture_output=True, text=True, check=False)
    assert done.returncode == 0, done.stdout + done.stderr
    return json.loads((folder / "FitReport.json").read_text())


def written(folder, names):
    return {name: (folder / name).read_text(encoding="latin-1") for name in names}


@pytest.mark.parametrize("name", GOOD_CASES)
def testDesignVectorGivesGripfitsTargetReportAndFiles(name, case_copy, gripfit):
    folder = case_copy("fit", name)
    x = np.array([float(v) for v in (folder / "x.txt").read_text().split()])
    put_design(folder, x)
    expected = run(gripfit, folder, "--evaluate")

    problem = gripsim.Problem(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat")
    assert np.array_equal(problem.x0, x)
    files = problem.result_files(x)
    assert files == written(folder, files)
    report = problem.report(x)
    assert report["target"] == problem.target(x)
    assert report["points"] == expected["points"]
    # FitReport.json reads back as the same doubles.
    assert report["target"] == expected["target"]
    assert len(report["channels"]) == len(expected["channels"])
    # The same keys and nesting as the program's file, and the search as given: none.
    assert list(report) == list(expected) and list(report["search"]) == list(expected["search"])
    assert report["search"] == {**expected["search"], "seconds": report["search"]["seconds"]}
    assert report["moment_lever_mm"] == expected["moment_lever_mm"]
    for ours, theirs in zip(report["design"], expected["design"]):
        assert list(ours) == list(theirs)
        assert ours["name"] == theirs["name"] and ours["bound"] == theirs["bound"]
        assert {key: ours[key] for key in UNCERTAINTY_KEYS} == {key: theirs[key] for key in UNCERTAINTY_KEYS}
    for key in ("correlation", "undetermined", "residual_spread"):
        assert report[key] == expected[key], key
    for ours, theirs in zip(report["channels"], expected["channels"]):
        assert list(ours) == list(theirs)
        assert {key: ours[key] for key in EXACT_KEYS} == {key: theirs[key] for key in EXACT_KEYS}
        for key in NUMBER_KEYS:
            assert ours[key] == theirs[key], key
    assert sum(c["target_share"] for c in report["channels"]) == pytest.approx(report["target"], rel=1e-12)  # sum order


@pytest.mark.parametrize("name, options", [
    ("029_fit_cont", dict(method="slsqp", starts=3, max_evals=300, seed=5)),
    ("029_fit_cont", dict(method="bobyqa", starts=2, max_evals=200, seed=2)),
    ("030_fit_disc_s2_p3", dict(method="sbplx", starts=2, max_evals=60, seed=1)),
])
def testSameOptionsGiveGripfitsFit(name, options, case_copy, gripfit):
    folder = case_copy("fit", name)
    expected = run(gripfit, folder, "--threads", "2", *(f"--{key.replace('_', '-')}={value}"
                                                       for key, value in options.items()))
    result = gripsim.fit(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat", threads=2, **options)
    assert result.files == written(folder, result.files)
    assert result.method == expected["search"]["method"] == options["method"]
    assert result.evaluations == expected["search"]["evaluations"]
    assert result.starts == expected["search"]["starts"]
    assert result.target == expected["target"]
    assert list(result.design.values()) == [d["value"] for d in expected["design"]]
    assert [d["bound"] for d in result.variables] == [d["bound"] for d in expected["design"]]
    assert list(result.report_dict()) == list(expected)
    assert_uncertainty_is(result, expected)


def number(value):
    return np.nan if value is None else value


def assert_uncertainty_is(result, expected):
    """result.uncertainty and result.correlation hold FitReport.json's values."""
    frame = result.uncertainty
    assert list(frame.columns) == ["name", "value", "standard_error", "low95", "high95", "determined", "bound",
                                   "reason"]
    assert len(frame) == len(expected["design"])
    for (_, row), d in zip(frame.iterrows(), expected["design"]):
        low, high = d["interval95"] or (None, None)
        assert [row["name"], row["value"], row["determined"], row["bound"], row["reason"]] == \
            [d["name"], d["value"], d["determined"], d["bound"], d["reason"]]
        np.testing.assert_array_equal([row["standard_error"], row["low95"], row["high95"]],
                                      [number(d["standard_error"]), number(low), number(high)])
    names = expected["correlation"]["names"]
    assert list(result.correlation.index) == list(result.correlation.columns) == names
    np.testing.assert_array_equal(result.correlation.to_numpy(),
                                  [[number(v) for v in row] for row in expected["correlation"]["matrix"]])
    assert result.undetermined == expected["undetermined"]


@pytest.mark.parametrize("options, arguments", [
    (dict(starts=-1), ["--starts", "-1"]),
    (dict(threads=1025), ["--threads", "1025"]),
    (dict(max_evals=-5), ["--max-evals", "-5"]),
    (dict(max_evals=53), ["--max-evals", "53"]),  # a budget too small for the first step
])
def testRefusedOptionsSayWhatGripfitSays(options, arguments, case_copy, gripfit):
    folder = case_copy("fit", "029_fit_cont")
    done = subprocess.run([gripfit, "--quiet", *arguments], cwd=folder, capture_output=True, text=True, check=False)
    assert done.returncode == 1  # an option could not be used
    with pytest.raises(ValueError) as raised:
        gripsim.fit(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat", **options)
    assert done.stdout == f"gripfit: {raised.value}\n" and done.stderr == ""
