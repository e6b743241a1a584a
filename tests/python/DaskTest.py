"""Many fits: on a Dask LocalCluster and in this process, with the same results."""

import os
import pathlib

import pytest

import gripsim
from conftest import FIT_CASES, GOLDEN


def jobs():
    cases = [GOLDEN / "fit" / name for name in FIT_CASES if (GOLDEN / "fit" / name / "expected" / "file1.dat").exists()]
    # One thread per fit and a fixed seed: the same job, the same fit.
    return [dict(start=case / "DesignStart.dat", target=case / "DesignTarget.dat", seed=seed, threads=1, max_evals=150)
            for case in cases[:2] for seed in (1, 2)]


def testLocalClusterGivesTheInProcessResultsInJobOrder(monkeypatch):
    distributed = pytest.importorskip("distributed")
    # The workers are processes of their own: they import gripsim from here.
    package = str(pathlib.Path(gripsim.__file__).resolve().parents[1])
    monkeypatch.setenv("PYTHONPATH", os.pathsep.join(filter(None, [package, os.environ.get("PYTHONPATH")])))
    local = gripsim.fit_many(jobs())
    threaded = gripsim.fit_many(jobs(), threads=2)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster:
        with distributed.Client(cluster) as client:
            remote = gripsim.fit_many(jobs(), client=client)
            failing = gripsim.fit_many(with_failing_job(), client=client, errors="return")
    assert len(remote) == len(local) == len(threaded) == 4
    for a, b, c in zip(local, threaded, remote):
        assert a.design == b.design == c.design
        assert a.target == b.target == c.target
        assert a.tyre == c.tyre and a.files == c.files
    # One job of four fails on the cluster: the other three results are kept.
    assert [type(r).__name__ for r in failing] == ["FitResult", "FitResult", "JobError", "FitResult"]
    assert [r.design for k, r in enumerate(failing) if k != 2] == [r.design for k, r in enumerate(local) if k != 2]
    assert failing[2].job == 3 and failing[2].name == "no start"
    assert str(failing[2]) == f"job 3 (no start) failed: FileNotFoundError: no such file: {MISSING}"
    assert isinstance(failing[2].error, FileNotFoundError)


MISSING = os.path.abspath("nowhere/DesignStart.dat")


def with_failing_job(name="no start"):
    listed = jobs()
    listed[2] = dict(listed[2], start=MISSING, **({"name": name} if name is not None else {}))
    return listed


@pytest.mark.parametrize("errors, threads, name, label", [
    ("raise", 1, "no start", "job 3 (no start)"),
    ("raise", 2, None, "job 3"),
    ("return", 1, None, "job 3"),
    ("return", 2, "no start", "job 3 (no start)"),
])
def testFailingJobInProcessIsNamedAndLosesNoResult(errors, threads, name, label):
    if errors == "raise":
        with pytest.raises(gripsim.JobError) as raised:
            gripsim.fit_many(with_failing_job(name), errors=errors, threads=threads)
        failed, results = raised.value, raised.value.results
        assert failed.__cause__ is failed.error
    else:
        results = gripsim.fit_many(with_failing_job(name), errors=errors, threads=threads)
        failed = results[2]
    assert str(failed) == f"{label} failed: FileNotFoundError: no such file: {MISSING}"
    assert [isinstance(r, gripsim.FitResult) for r in results] == [True, True, False, True]
    assert results[2] is failed


@pytest.mark.parametrize("jobs_given, errors, exception, words", [
    ([("start", "target")], "raise", TypeError, "job 1 should be a dict of gripsim.fit keyword arguments, not tuple"),
    ([], "skip", ValueError, "errors should be 'raise' or 'return', not 'skip'"),
])
def testBadJobsOrErrorModeAreRefused(jobs_given, errors, exception, words):
    with pytest.raises(exception) as raised:
        gripsim.fit_many(jobs_given, errors=errors)
    assert str(raised.value) == words
