"""The bootstrap over the sweeps: a small continuous problem, few resamples."""

import numpy as np
import pytest

import gripsim
from conftest import EXAMPLES

DESIGN = {"cx0": (0.02, 0.2), "cy0": (0.01, 0.12), "mue0": (0.6, 1.6)}
SEARCH = dict(method="slsqp", starts=2, fit_seed=1, max_evals=600)
SPEED = 16667.0  # [mm/s]


def sweep(tyre, kind, load, noise):
    """A measured sweep of the tyre: slip (direction 1) or slip angle (3), with noise of noise x the load."""
    x = np.linspace(-0.12, 0.12, 13) if kind == 1 else np.linspace(-10.0, 10.0, 13)
    slip, angle = (x, 0.0 * x) if kind == 1 else (0.0 * x, x)
    fx, fy, mz = tyre.evaluate(slip, angle, 0.0, load, SPEED)
    wobble = noise * load * np.sin(7.0 * np.arange(x.size) + load)  # deterministic noise
    data = np.column_stack([slip, angle, 0.0 * x, fx + wobble, fy - wobble, np.full(x.size, load), mz])
    return {"data": data, "direction": kind, "speed": SPEED, "name": f"s{kind}_{load:.0f}.dat"}


@pytest.fixture(scope="module")
def problem():
    tyre = gripsim.Tyre.read(EXAMPLES / "passenger.dat")
    measured = gripsim.Tyre.read(EXAMPLES / "passenger.dat")
    measured["cy0"], measured["mue0"] = 0.05, 1.05
    targets = [sweep(measured, 1, 4000.0, 0.01), sweep(measured, 3, 3000.0, 0.01),
               sweep(measured, 3, 5000.0, 0.02), sweep(measured, 1, 6000.0, 0.015)]
    return dict(tyre=tyre, design=DESIGN, targets=targets)


def run(problem, **options):
    return gripsim.bootstrap(**problem, **dict(dict(SEARCH, resamples=5, seed=3, threads=2), **options))


def same(a, b):
    """Frames equal value for value (NaN equal to NaN), columns and attrs' designs too."""
    assert list(a.columns) == list(b.columns)
    assert a.drop(columns=["reason"]).equals(b.drop(columns=["reason"]))
    assert a.attrs["designs"].equals(b.attrs["designs"])


def testFrameHoldsTheFitsOwnUncertaintyAndTheBootstrapBesideIt(problem):
    frame = run(problem)
    whole = gripsim.fit(**problem, method="slsqp", starts=2, seed=1, max_evals=600, threads=1)
    assert list(frame.columns) == ["name", "value", "standard_error", "low95", "high95", "determined", "bound",
                                   "reason", "bootstrap_standard_error", "bootstrap_low95", "bootstrap_high95"]
    own = whole.uncertainty
    assert frame[own.columns].drop(columns=["reason"]).equals(own.drop(columns=["reason"]))
    assert list(frame["value"]) == [whole.design[n] for n in ("cx0", "cy0", "mue0")]
    designs = frame.attrs["designs"]
    assert designs.shape == (5, 3) and list(designs.columns) == ["cx0", "cy0", "mue0"]
    assert frame.attrs["resamples"] == 5 and frame.attrs["seed"] == 3
    assert frame.attrs["result"].target == whole.target
    values = designs.to_numpy()
    np.testing.assert_array_equal(frame["bootstrap_standard_error"], values.std(axis=0, ddof=1))
    np.testing.assert_array_equal(frame["bootstrap_low95"], np.percentile(values, 2.5, axis=0))
    np.testing.assert_array_equal(frame["bootstrap_high95"], np.percentile(values, 97.5, axis=0))
    # The resamples differ, so every variable moves between them, within its bounds.
    assert (frame["bootstrap_standard_error"] > 0).all()
    for name, (lower, upper) in DESIGN.items():
        assert designs[name].between(lower, upper).all()


def testSameSeedSameFrameOnAnyThreadsAnotherSeedAnother(problem):
    first = run(problem)
    same(first, run(problem, threads=1))
    other = run(problem, seed=4)
    assert not first.attrs["designs"].equals(other.attrs["designs"])
    assert list(first["value"]) == list(other["value"])  # the whole set is drawn by no seed


def testCopiesOfOneFileGiveNoSpread(problem):
    one = problem["targets"][1]
    frame = gripsim.bootstrap(tyre=problem["tyre"], design=DESIGN, targets=[one, one, one], resamples=3, seed=0,
                              threads=1, **SEARCH)
    # Every resample is the whole set again, so every fit is the same fit.
    assert (frame["bootstrap_standard_error"] == 0.0).all()
    assert list(frame["bootstrap_low95"]) == list(frame["value"]) == list(frame["bootstrap_high95"])


def testTargetListGivesTheFrameOfItsData(problem, tmp_path):
    lines = ["sweeps for the bootstrap", f" number of files = {len(problem['targets'])}"]
    for t in problem["targets"]:
        gripsim.write_measurements(tmp_path / t["name"], t["data"])
        lines.append(f" file = {t['name']} points = {len(t['data'])} direction = {t['direction']} speed = {t['speed']!r}")
    (tmp_path / "DesignTarget.dat").write_text("\n".join(lines + ["[Eof]", ""]))
    listed = gripsim.bootstrap(tyre=problem["tyre"], design=DESIGN, target=tmp_path / "DesignTarget.dat",
                               resamples=5, seed=3, threads=2, **SEARCH)
    same(listed, run(problem))


class OneByOneClient:
    """A stand-in for a Dask client: runs each task when its result is asked for."""

    def __init__(self):
        self.tasks = 0

    def submit(self, function, job, pure, retries):
        assert pure is False and retries == 1
        self.tasks += 1
        return type("Future", (), {"result": lambda _: function(job)})()


def testClientRunsEveryFitAsATask(problem):
    client = OneByOneClient()
    same(run(problem, client=client), run(problem))
    assert client.tasks == 6  # the whole set and five resamples


@pytest.mark.parametrize("options, message", [
    (dict(resamples=1), "resamples should be a whole number of 2 or more, not 1"),
    (dict(resamples=-3), "resamples should be a whole number of 2 or more, not -3"),
    (dict(resamples=2.5), "resamples should be a whole number of 2 or more, not 2.5"),
    (dict(resamples=True), "resamples should be a whole number of 2 or more, not True"),
    (dict(resamples="4"), "resamples should be a whole number of 2 or more, not '4'"),
    (dict(resamples=None), "resamples should be a whole number of 2 or more, not None"),
    (dict(seed=-1), "seed should be a whole number of 0 or more, not -1"),
    (dict(seed=0.5), "seed should be a whole number of 0 or more, not 0.5"),
    (dict(seed="1"), "seed should be a whole number of 0 or more, not '1'"),
    (dict(threads=-1), "threads should be a whole number of 0 or more, not -1"),
    (dict(threads=1.5), "threads should be a whole number of 0 or more, not 1.5"),
    (dict(starts=-1), "starts = -1 should be 0 (chosen by the problem) to 100000"),
    (dict(method=3), "method should be a method name or None, not 3"),
    (dict(single=True), "a bootstrap over the measurement files needs 2 or more of them, not 1"),
])
def testBadArgumentsAreRefusedByName(problem, options, message):
    problem = dict(problem, targets=problem["targets"][:1]) if options.pop("single", False) else problem
    with pytest.raises(ValueError) as raised:
        run(problem, **options)
    assert str(raised.value) == message
