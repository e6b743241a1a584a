"""Cost of gripsim.fit against the gripfit program, on the passenger-tyre fit
of examples/fit/passenger (continuous model, 405 measured points).

    PYTHONPATH=build/ci/python /usr/bin/python3 bench/python/fit_bench.py [GRIPFIT] [ROUNDS]

Both fit the same design with the same options (method, starts, seed,
evaluation budget, threads), round after round, interleaved; the medians
are compared (goal: Python at most 1.1 times the program). Each side is
timed as a user meets it: gripfit from its start to its exit (reading the
design files, the search, the result files and the report written), gripsim.fit
from the call to the result files written. Beside the wall times, each
side's own search seconds. A figure, not a test.
"""

import json
import pathlib
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

import gripsim

ROOT = pathlib.Path(__file__).resolve().parents[2]
CASE = ROOT / "examples" / "fit" / "passenger"
OPTIONS = dict(method="slsqp", starts=10, seed=1, max_evals=0, threads=2)  # max_evals 0: the library's default


def gripfit_arguments(program):
    arguments = [program, "--quiet"]
    for key, value in OPTIONS.items():
        if key == "max_evals" and value == 0:
            continue
        arguments.append(f"--{key.replace('_', '-')}={value}")
    return arguments


def run_program(arguments, folder):
    start = time.perf_counter()
    subprocess.run(arguments, cwd=folder, check=True, stdout=subprocess.DEVNULL)
    seconds = time.perf_counter() - start
    report = json.loads((folder / "FitReport.json").read_text())
    return seconds, report["search"]["seconds"], report["target"], report["search"]["evaluations"]


def run_python(folder):
    start = time.perf_counter()
    result = gripsim.fit(start=folder / "DesignStart.dat", target=folder / "DesignTarget.dat", **OPTIONS)
    result.write(folder / "python")
    seconds = time.perf_counter() - start
    return seconds, result.seconds, result.target, result.evaluations


def main(program, rounds):
    with tempfile.TemporaryDirectory() as scratch:
        folder = pathlib.Path(scratch) / "passenger"
        shutil.copytree(CASE, folder)
        arguments = gripfit_arguments(program)
        runs = {"gripfit": [], "python": []}
        for _ in range(rounds):
            runs["gripfit"].append(run_program(arguments, folder))
            runs["python"].append(run_python(folder))
    (program_wall, program_search, program_target, program_evaluations), \
        (python_wall, python_search, python_target, python_evaluations) = (
            [statistics.median(run[k] for run in runs[side]) for k in range(4)] for side in ("gripfit", "python"))
    print(f"fit of {CASE.relative_to(ROOT)} ({OPTIONS}), medians of {rounds} interleaved rounds:")
    print(f"  gripfit    : {program_wall * 1e3:8.1f} ms wall, search {program_search * 1e3:8.1f} ms, "
          f"target {program_target:.6f} %, {program_evaluations:.0f} evaluations")
    print(f"  gripsim.fit: {python_wall * 1e3:8.1f} ms wall, search {python_search * 1e3:8.1f} ms, "
          f"target {python_target:.6f} %, {python_evaluations:.0f} evaluations")
    print(f"  ratio Python / gripfit: wall {python_wall / program_wall:5.3f}, search {python_search / program_search:5.3f}")


if __name__ == "__main__":
    program = sys.argv[1] if len(sys.argv) > 1 else str(ROOT / "build" / "ci" / "fitter" / "gripfit")
    main(program, int(sys.argv[2]) if len(sys.argv) > 2 else 15)
