"""Cost of grip's Python calls against the C++ they wrap.

    PYTHONPATH=build/ci/python /usr/bin/python3 bench/python/evaluate_bench.py

1. Tyre.evaluate over 1e6 operating points from Python, against the batch
   evaluation timed inside C++ (TyreCore._time_batch) on the same columns:
   the ratio is what the Python layer adds (goal: at most 1.2).
2. grip.fit of examples/fit, when the search is built, to hold against the
   gripfit program on the same files (goal: at most 1.1).
Best of several repeats each; a figure, not a test.
"""

import pathlib
import sys
import time

import numpy as np

import grip

ROOT = pathlib.Path(__file__).resolve().parents[2]
EXAMPLES = ROOT / "examples"
POINTS = 1_000_000
REPEATS = 10


def best(function, repeats=REPEATS):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        function()
        times.append(time.perf_counter() - start)
    return min(times)


def evaluate_bench(parameters, points):
    tyre = grip.Tyre.read(EXAMPLES / parameters)
    rng = np.random.default_rng(1)
    columns = (rng.uniform(-0.2, 0.2, points), rng.uniform(-10, 10, points), rng.uniform(-3, 3, points),
               rng.uniform(2000, 7000, points), np.full(points, 20000.0))
    # Interleaved rounds, the best of each: on a shared machine the load
    # changes from one second to the next.
    python, native = float("inf"), float("inf")
    for _ in range(REPEATS):
        python = min(python, best(lambda: tyre.evaluate(*columns), 1))
        native = min(native, tyre._core._time_batch(*columns, 1))
    print(f"{parameters:30s} {points:>9d} points: Python {python * 1e3:9.2f} ms, C++ batch {native * 1e3:9.2f} ms, "
          f"ratio {python / native:5.3f}")


def fit_bench():
    if not grip._grip.search_available():
        print("fit: the search is not built yet")
        return
    start, target = EXAMPLES / "fit" / "DesignStart.dat", EXAMPLES / "fit" / "DesignTarget.dat"
    python = best(lambda: grip.fit(start=start, target=target, seed=1), 3)
    # The gripfit program's time on the same files goes beside it once the
    # program is built (its command line is its own).
    print(f"fit of examples/fit: Python {python:.3f} s")


if __name__ == "__main__":
    points = int(sys.argv[1]) if len(sys.argv) > 1 else POINTS
    for parameters in ("passenger.dat", "passenger_discrete.dat"):
        evaluate_bench(parameters, points if parameters == "passenger.dat" else points // 10)
    fit_bench()
