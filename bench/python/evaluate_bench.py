"""Cost of Tyre.evaluate from Python against the C++ batch call it wraps.

    PYTHONPATH=build/ci/python /usr/bin/python3 bench/python/evaluate_bench.py [POINTS]

Tyre.evaluate over 1e6 operating points from Python, against the batch
evaluation timed inside C++ (TyreCore._time_batch) on the same columns:
the ratio is what the Python layer adds (goal: at most 1.2). Two pairs:
results into new arrays on both sides (the system hands fresh memory to
its first writes: at 1e6 points that is 24 MB a call), and results into
the same arrays call after call (evaluate(..., out=...)). The two run
interleaved, round after round, and the medians are compared: on a shared
machine the load changes from one second to the next. A figure, not a test.
(The fit against the gripfit program: fit_bench.py.)
"""

import pathlib
import statistics
import sys
import time

import numpy as np

import gripsim

ROOT = pathlib.Path(__file__).resolve().parents[2]
EXAMPLES = ROOT / "examples"
POINTS = 1_000_000
REPEATS = 15


def timed(function):
    start = time.perf_counter()
    function()
    return time.perf_counter() - start


def evaluate_bench(parameters, points):
    tyre = gripsim.Tyre.read(EXAMPLES / parameters)
    rng = np.random.default_rng(1)
    columns = (rng.uniform(-0.2, 0.2, points), rng.uniform(-10, 10, points), rng.uniform(-3, 3, points),
               rng.uniform(2000, 7000, points), np.full(points, 20000.0))
    out = tuple(np.empty(points) for _ in range(3))
    times = {"new": ([], []), "out": ([], [])}
    for _ in range(REPEATS):
        times["new"][0].append(timed(lambda: tyre.evaluate(*columns)))
        times["new"][1].append(tyre._core._time_batch(*columns, 1, True))
        times["out"][0].append(timed(lambda: tyre.evaluate(*columns, out=out)))
        times["out"][1].append(tyre._core._time_batch(*columns, 1, False))
    for kind, label in (("new", "new arrays"), ("out", "out= arrays")):
        python, native = (statistics.median(t) for t in times[kind])
        print(f"{parameters:24s} {points:>8d} points, {label:11s}: Python {python * 1e3:8.2f} ms, "
              f"C++ batch {native * 1e3:8.2f} ms, ratio {python / native:5.3f} (medians of {REPEATS})")


if __name__ == "__main__":
    points = int(sys.argv[1]) if len(sys.argv) > 1 else POINTS
    for parameters in ("passenger.dat", "passenger_discrete.dat"):
        evaluate_bench(parameters, points if parameters == "passenger.dat" else points // 10)
