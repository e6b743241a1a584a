"""Reads the passenger-car tyre and sweeps it with numpy; fits the design
start of examples/fit to its measured sweeps (made from passenger.dat) and
draws measured against modelled forces, before and after the fit.

    PYTHONPATH=build/ci/python /usr/bin/python3 examples/python/sweep_and_fit.py [OUTPUT.png]
"""

import pathlib
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402
import scipy.optimize  # noqa: E402

import gripsim  # noqa: E402

EXAMPLES = pathlib.Path(__file__).resolve().parents[1]
FIT = EXAMPLES / "fit"


def main(output):
    # A sweep of the parameter file: slip at three loads, in one call.
    tyre = gripsim.Tyre.read(EXAMPLES / "passenger.dat")
    slip = np.linspace(-0.3, 0.3, 121)
    load = np.array([[3000.0], [5000.0], [7000.0]])
    Fx, _, _ = tyre.evaluate(slip, 0.0, 0.0, load, 20000.0)
    print(f"peak Fx at 5000 N: {Fx[1].max():.1f} N")

    # The fit: the design start and the target list of examples/fit.
    start, target = FIT / "DesignStart.dat", FIT / "DesignTarget.dat"
    problem = gripsim.Problem(start=start, target=target)
    print(f"start: target {problem.target(problem.x0):.4f} % with {dict(zip(problem.names, problem.x0))}")
    # The residuals as a function: any least-squares solver can fit them.
    solved = scipy.optimize.least_squares(problem.residuals, problem.x0, bounds=problem.bounds)
    print(f"scipy least_squares: target {problem.target(solved.x):.4f} % after {solved.nfev} evaluations")
    # The fit library's own search, as gripfit runs it.
    result = gripsim.fit(start=start, target=target, seed=1)
    x = np.array([result.design[name] for name in problem.names])
    print(f"gripsim.fit ({result.method}): target {result.target:.4f} % after {result.evaluations} evaluations, "
          f"{result.seconds:.2f} s")
    print(result.report_frame()[["file", "channel", "in_target", "rms_error_percent", "target_share"]])
    print(f"fitted: {dict(zip(problem.names, x))}")
    fitted = problem.tyre_at(x)
    started = problem.tyre_at(problem.x0)

    # Measured against modelled, one panel per measurement file.
    files = [("slip3000.dat", 0, 0, "slip [-]", "Fx [N]"), ("alpha5000.dat", 1, 1, "slip angle [deg]", "Fy [N]"),
             ("moment4000.dat", 1, 2, "slip angle [deg]", "Mz [N mm]")]
    figure, axes = plt.subplots(1, len(files), figsize=(13, 4))
    for axis, (name, x_column, channel, x_label, y_label) in zip(axes, files):
        data = gripsim.read_measurements(FIT / name)
        order = np.argsort(data[:, x_column])
        data = data[order]
        start_forces = started.evaluate(data[:, 0], data[:, 1], data[:, 2], data[:, 5], 20000.0)
        fitted_forces = fitted.evaluate(data[:, 0], data[:, 1], data[:, 2], data[:, 5], 20000.0)
        measured = data[:, (3, 4, 6)[channel]]
        axis.plot(data[:, x_column], measured, "o", markersize=3, label="measured")
        axis.plot(data[:, x_column], start_forces[channel], "--", label="design start")
        axis.plot(data[:, x_column], fitted_forces[channel], "-", label="fitted")
        axis.set(title=name, xlabel=x_label, ylabel=y_label)
        axis.grid(True, alpha=0.3)
    axes[0].legend()
    figure.tight_layout()
    figure.savefig(output, dpi=100)
    print(f"written: {output}")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "sweep_and_fit.png")
