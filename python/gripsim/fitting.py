"""The fit of a tyre to measured forces: the design problem, its residuals
and the search of the fit library."""

import os

import numpy as np

from . import _console, _grip, _messages
from .measurements import as_measurements, read_measurements
from .tyre import Tyre, parameter_index


def _existing(path):
    path = os.fspath(path)
    if not os.path.isfile(path):
        raise FileNotFoundError(2, _messages.FILE_NOT_FOUND.format(path=path), path)
    return path


def _start_source(start, tyre, design):
    if start is not None and (tyre is not None or design is not None):
        raise ValueError(_messages.START_OR_TYRE)
    if start is not None:
        return _existing(start)
    if tyre is None or design is None:
        raise ValueError(_messages.NO_START)
    if not isinstance(tyre, Tyre):
        tyre = Tyre.read(tyre)
    variables = []
    for name, bounds in dict(design).items():
        index = parameter_index(name)
        try:
            lower, upper = (float(b) for b in bounds)
        except (TypeError, ValueError):
            raise ValueError(_messages.BOUNDS_PAIR.format(name=name, value=bounds)) from None
        variables.append((index, lower, upper))
    state = tyre.__getstate__()
    return (list(state["parameters"]), float(state["model"]), variables)


def _target_source(target, targets):
    if target is not None and targets is not None:
        raise ValueError(_messages.TARGET_OR_TARGETS)
    if target is not None:
        return _existing(target)
    if targets is None:
        raise ValueError(_messages.NO_TARGET)
    entries = []
    for index, entry in enumerate(targets, start=1):
        try:
            data = entry["data"]
            direction = int(entry.get("direction", 1))
            speed = float(entry.get("speed", 0.0))
        except (KeyError, TypeError, ValueError, AttributeError) as fault:
            raise ValueError(_messages.TARGET_ENTRY.format(index=index, detail=fault)) from None
        if isinstance(data, (str, os.PathLike)):
            name = entry.get("name", os.fspath(data))
            data = read_measurements(data)
        else:
            name = entry.get("name", f"target{index}")
            try:
                data = as_measurements(data)
            except ValueError as fault:
                raise ValueError(_messages.TARGET_ENTRY.format(index=index, detail=fault)) from None
        entries.append((str(name), data, direction, speed))
    return entries


class Problem:
    """A design problem: the tyre with its design variables and bounds, and
    the measured targets. The start comes from a design start file
    (start=, the lines marked "designbounds") or from a tyre with
    design={name: (lower, upper)}; the targets from a target list (target=,
    measurement files taken from its folder) or as
    targets=[{"data": (n, 7) array or file, "direction": 1|2|3, "speed": mm/s, "name": ...}].

    problem.residuals(x) and problem.target(x) evaluate a design vector;
    their magnitudes add up to the target value (mean load-normalised
    error [%]), so scipy.optimize.least_squares(problem.residuals,
    problem.x0, bounds=problem.bounds) works on it."""

    def __init__(self, start=None, target=None, *, tyre=None, design=None, targets=None):
        self._sources = (_start_source(start, tyre, design), _target_source(target, targets))
        self._core = _grip.DesignCore(*self._sources)
        self.messages = self._core.messages
        _console.emit(self.messages)

    @property
    def names(self):
        """Names of the design variables, in parameter order."""
        return list(self._core.names)

    @property
    def x0(self):
        """Start values of the design variables."""
        return np.array(self._core.start_values)

    @property
    def bounds(self):
        """(lower, upper) arrays of the design variables."""
        return np.array(self._core.lower_bounds), np.array(self._core.upper_bounds)

    @property
    def model(self):
        return self._core.model_type

    @property
    def residual_count(self):
        return self._core.residual_count

    def _vector(self, x):
        try:
            vector = np.ascontiguousarray(x, dtype=np.float64)
        except (TypeError, ValueError) as fault:
            raise ValueError(_messages.NOT_NUMBERS.format(what="the design vector", detail=fault)) from None
        if vector.ndim != 1:
            vector = vector.reshape(-1)
        return vector

    def target(self, x):
        """Target value [%] of design vector x."""
        return self._core.target(self._vector(x))

    def residuals(self, x):
        """Signed residuals of design vector x, one per point and compared channel."""
        return self._core.residuals(self._vector(x))

    def tyre_at(self, x):
        """The tyre with design vector x in place."""
        return Tyre._from_list(self._core.parameters_at(self._vector(x)), self._core.model_number)

    def report(self, x):
        """The per-file, per-channel report of design vector x as it stands
        (no search), as gripfit --evaluate gives it: a dict with "target",
        "points", "channels" (list of dicts) and "variables"."""
        return self._core.report(self._vector(x))

    def result_files(self, x):
        """The texts the plug-in's terminate writes for x: "file1.dat", ...
        and "DesignResults.dat"."""
        return dict(self._core.result_files(self._vector(x)))

    @property
    def defaults(self):
        """What a fit of this problem chooses for the options left out:
        {"method": ..., "starts": ..., "max_evals": ...}."""
        return dict(self._core.defaults)

    def fit(self, method=None, starts=0, seed=1, max_evals=0, threads=0, central_differences=True,
            difference_step=1e-6):
        """Validates the design and searches it within its bounds: see grip.fit."""
        outcome = self._core.fit(method or "", int(starts), int(max_evals), int(seed), int(threads),
                                 bool(central_differences), float(difference_step))
        design = np.array(outcome["design"])
        result = FitResult(
            tyre=self.tyre_at(design),
            target=outcome["target"],
            design=dict(zip(self.names, outcome["design"])),
            evaluations=outcome["evaluations"],
            seconds=outcome["seconds"],
            method=outcome.get("method"),
            starts=outcome["starts_done"],
            points=outcome["points"],
            report=outcome["channels"],
            variables=outcome["variables"],
            files=self.result_files(design),
            messages=[m for m in [self.messages] if m] + list(outcome["warnings"]),
        )
        _console.emit("".join(outcome["warnings"]))
        return result

    def __reduce__(self):
        return (_rebuild_problem, self._sources)


def _rebuild_problem(start, target):
    problem = Problem.__new__(Problem)
    problem._sources = (start, target)
    problem._core = _grip.DesignCore(start, target)
    problem.messages = problem._core.messages
    return problem


class FitResult:
    """The outcome of one fit, made of plain Python objects (it pickles):
    the fitted tyre, the target value [%] over `points` measured points,
    the design variables by name, the per-file, per-channel report (with
    each channel's share of the target in %-points), the search's counts
    and the result files as the plug-in writes them."""

    def __init__(self, tyre, target, design, evaluations, seconds, method, starts, points, report, variables,
                 files, messages):
        self.tyre = tyre
        self.target = target
        self.design = design
        self.evaluations = evaluations
        self.seconds = seconds
        self.method = method
        self.starts = starts
        self.points = points
        self.report = report
        self.variables = variables
        self.files = files
        self.messages = messages

    def report_frame(self):
        """The report as a pandas DataFrame, one row per file and channel."""
        import pandas
        return pandas.DataFrame(self.report)

    def write(self, folder="."):
        """Writes file1.dat, ... and DesignResults.dat into folder, as the
        plug-in's terminate does; returns their paths."""
        folder = os.fspath(folder)
        os.makedirs(folder, exist_ok=True)
        paths = []
        for name, text in self.files.items():
            path = os.path.join(folder, name)
            with open(path, "w", encoding="latin-1", newline="") as file:
                file.write(text)
            paths.append(path)
        return paths

    def __repr__(self):
        return (f"grip.FitResult(target={self.target:.6g}, evaluations={self.evaluations}, "
                f"seconds={self.seconds:.3g}, design={self.design})")


def fit(start=None, target=None, *, tyre=None, design=None, targets=None, method=None, starts=0, seed=1,
        max_evals=0, threads=0, central_differences=True, difference_step=1e-6):
    """Fits a tyre to measured forces within the design bounds and returns a
    FitResult. The design and the targets are given as for grip.Problem.
    method: "bobyqa", "sbplx", "neldermead", "slsqp" or "lbfgs" (None: the
    default for the model type, Problem.defaults); starts, max_evals: 0
    chooses by the problem; threads: 0 uses every core; seed: the same seed
    and one thread, the same fit. The gradient methods difference the target
    centrally (or forward) with a step of difference_step times each bound
    range. The options mean what gripfit's options of the same names mean."""
    problem = Problem(start, target, tyre=tyre, design=design, targets=targets)
    return problem.fit(method=method, starts=starts, seed=seed, max_evals=max_evals, threads=threads,
                       central_differences=central_differences, difference_step=difference_step)


def residuals(x, start=None, target=None, *, tyre=None, design=None, targets=None):
    """Residuals of design vector x of a problem given as for grip.Problem
    (for many evaluations make the Problem once)."""
    return Problem(start, target, tyre=tyre, design=design, targets=targets).residuals(x)


def _design_call(state, x, identifier):
    """The plug-in's design call (initialise 0, run 1, terminate -1) over a
    grip._grip.DesignCallState, in the working directory: for tests."""
    value, messages = state.call(np.ascontiguousarray(x, dtype=np.float64), float(identifier))
    _console.emit(messages)
    return value, messages
