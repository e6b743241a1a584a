"""gripsim: steady-state tyre forces of a brush model, and their fit to
measurements.

    tyre = gripsim.Tyre.read("passenger.dat")
    Fx, Fy, Mz = tyre.evaluate(slip, slip_angle, camber, load, speed)
    result = gripsim.fit(start="DesignStart.dat", target="DesignTarget.dat")
    prepared = gripsim.prepare("run_sae.dat", convention="sae")  # rig runs to a fit

Units: slip [-], angles [deg], load and forces [N], speed [mm/s], Mz [N*mm].
Faults raise ValueError (with the library's messages, naming file and line)
or FileNotFoundError/IsADirectoryError/OSError; the library prints nothing
unless gripsim.set_verbose(True). Ctrl-C stops a fit with FitInterrupted
(a KeyboardInterrupt that holds the best result found)."""

from ._console import set_verbose
from ._gripsim import __version__  # the project's version, from project() in CMakeLists.txt
from .bootstrap import bootstrap
from .distributed import JobError, fit_many
from .fitting import (FitInterrupted, FitResult, Problem, _design_call, fit, residuals,  # noqa: F401 (_design_call: for tests)
                      search_options)
from .measurements import COLUMNS, read_measurements, write_measurements
from .rig import (QUANTITIES, QUANTITY_UNITS, FoundSweeps, Preparation, PreparationError, Sweep, prepare, read_rig,
                  sweeps)
from .tyre import PARAMETER_NAMES, TRACE_COLUMNS, WHOLE_NUMBER_PARAMETERS, ContactPatch, Tyre, parameter_table

__all__ = [
    "COLUMNS",
    "ContactPatch",
    "FitInterrupted",
    "FitResult",
    "FoundSweeps",
    "JobError",
    "PARAMETER_NAMES",
    "Preparation",
    "PreparationError",
    "Problem",
    "QUANTITIES",
    "QUANTITY_UNITS",
    "Sweep",
    "TRACE_COLUMNS",
    "Tyre",
    "WHOLE_NUMBER_PARAMETERS",
    "__version__",
    "bootstrap",
    "fit",
    "fit_many",
    "parameter_table",
    "prepare",
    "read_rig",
    "read_measurements",
    "residuals",
    "search_options",
    "set_verbose",
    "sweeps",
    "write_measurements",
]
