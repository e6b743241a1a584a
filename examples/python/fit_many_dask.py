"""Fits several tyres at once on a Dask LocalCluster and writes each fitted
tyre as a parameter file (with the plug-in's result files beside it).

    PYTHONPATH=build/ci/python /usr/bin/python3 examples/python/fit_many_dask.py [OUTPUT-FOLDER]

The workers are processes: they import gripsim from the same PYTHONPATH.
"""

import pathlib
import sys

import distributed

import gripsim

FIT = pathlib.Path(__file__).resolve().parents[1] / "fit"


def main(folder):
    folder = pathlib.Path(folder)
    targets = [{"data": FIT / name, "direction": direction, "speed": 20000.0, "name": name}
               for name, direction in [("slip3000.dat", 1), ("alpha3000.dat", 2), ("moment4000.dat", 3)]]
    # Four tyres: the continuous start of examples/fit, the two discrete
    # passenger tyres with the same design variables, and the 19-variable
    # passenger-tyre fit of examples/fit/passenger.
    design = {"cx0": (0.03, 0.09), "cy0": (0.02, 0.07), "mue0": (0.6, 1.4)}
    jobs = [dict(start=FIT / "DesignStart.dat", targets=targets, seed=1)]
    for name in ("passenger_discrete.dat", "passenger_discrete_table.dat"):
        jobs.append(dict(tyre=FIT.parent / name, design=design, targets=targets, seed=1, max_evals=300))
    jobs.append(dict(start=FIT / "passenger" / "DesignStart.dat", target=FIT / "passenger" / "DesignTarget.dat", seed=1,
                     threads=1))

    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, dashboard_address=None) as cluster:
        with distributed.Client(cluster) as client:
            results = gripsim.fit_many(jobs, client=client)

    for index, result in enumerate(results, start=1):
        out = folder / f"tyre{index}"
        result.write(out)
        result.tyre.write(out / "fitted.dat")
        print(f"tyre {index}: target {result.target:.4f} %, {result.evaluations} evaluations, "
              f"{result.seconds:.2f} s: {out / 'fitted.dat'}")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "fitted")
