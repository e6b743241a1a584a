"""Many fits: on a Dask LocalCluster and in this process, with the same results."""

import os
import pathlib

import pytest

import grip
from conftest import FIT_CASES, GOLDEN


def jobs():
    cases = [GOLDEN / "fit" / name for name in FIT_CASES if (GOLDEN / "fit" / name / "expected" / "file1.dat").exists()]
    # One thread per fit and a fixed seed: the same job, the same fit.
    return [dict(start=case / "DesignStart.dat", target=case / "DesignTarget.dat", seed=seed, threads=1, max_evals=150)
            for case in cases[:2] for seed in (1, 2)]


def testLocalClusterGivesTheInProcessResultsInJobOrder(monkeypatch):
    distributed = pytest.importorskip("distributed")
    # The workers are processes of their own: they import grip from here.
    package = str(pathlib.Path(grip.__file__).resolve().parents[1])
    monkeypatch.setenv("PYTHONPATH", os.pathsep.join(filter(None, [package, os.environ.get("PYTHONPATH")])))
    local = grip.fit_many(jobs())
    threaded = grip.fit_many(jobs(), threads=2)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster:
        with distributed.Client(cluster) as client:
            remote = grip.fit_many(jobs(), client=client)
    assert len(remote) == len(local) == len(threaded) == 4
    for a, b, c in zip(local, threaded, remote):
        assert a.design == b.design == c.design
        assert a.target == b.target == c.target
        assert a.tyre == c.tyre and a.files == c.files


def testJobThatIsNoMappingIsRefused():
    with pytest.raises(TypeError, match="job 1 should be a dict"):
        grip.fit_many([("start", "target")])
