"""grip: steady-state tyre forces of a brush model, and their fit to
measurements.

    tyre = grip.Tyre.read("passenger.dat")
    Fx, Fy, Mz = tyre.evaluate(slip, slip_angle, camber, load, speed)
    result = grip.fit(start="DesignStart.dat", target="DesignTarget.dat")

Units: slip [-], angles [deg], load and forces [N], speed [mm/s], Mz [N*mm].
Faults raise ValueError (with the library's messages, naming file and line)
or FileNotFoundError/OSError; the library prints nothing unless
grip.set_verbose(True)."""

from ._console import set_verbose
from .distributed import fit_many
from .fitting import FitResult, Problem, _design_call, fit, residuals  # noqa: F401 (_design_call: for tests)
from .measurements import COLUMNS, read_measurements, write_measurements
from .tyre import PARAMETER_NAMES, TRACE_COLUMNS, ContactPatch, Tyre

__version__ = "1.0.0"

__all__ = [
    "COLUMNS",
    "ContactPatch",
    "FitResult",
    "PARAMETER_NAMES",
    "Problem",
    "TRACE_COLUMNS",
    "Tyre",
    "fit",
    "fit_many",
    "read_measurements",
    "residuals",
    "set_verbose",
    "write_measurements",
]
