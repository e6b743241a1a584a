"""The fit of a tyre to measured forces: the design problem, its residuals
and the search of the fit library."""

from __future__ import annotations

import html
import math
import os
from typing import Any, Dict, List, Mapping, Optional, Sequence, Tuple, Union

import numpy as np

from . import _console, _files, _gripsim, _messages
from ._numbers import whole_number
from .measurements import as_measurements, read_measurements
from .tyre import Tyre, parameter_index

PathLike = Union[str, "os.PathLike[str]"]

#: The largest counts a fit takes, the fit library's (gripfit takes the
#: same): more starts than this only repeat the Latin hypercube (and each
#: start holds memory), more threads than this only wait.
MAX_STARTS = _gripsim.MAX_STARTS
MAX_THREADS = _gripsim.MAX_THREADS
#: Evaluations and seeds are C longs in the fit library.
MAX_EVALUATIONS = 2**63 - 1
MAX_SEED = 2**63 - 1
#: What the fit library's fields hold (C int and long): a count beyond them
#: cannot be handed over, so Python refuses it itself.
_INT_RANGE = (-2**31, 2**31 - 1)
_LONG_RANGE = (-2**63, 2**63 - 1)


def _existing(path):
    return _files.existing_file(path)


def _count(name: str, value: Any, field: Tuple[int, int], high: int) -> int:
    """A count as a whole number the library's field holds; its range
    (0 to high) is the library's to check, but for a number that no field
    could hold."""
    try:
        count = whole_number(value)
    except TypeError:
        raise ValueError(_messages.SEARCH_COUNT.format(name=name, low=0, high=high, value=value)) from None
    if not field[0] <= count <= field[1]:
        raise ValueError(_messages.SEARCH_COUNT.format(name=name, low=0, high=high, value=value))
    return count


def search_options(method: Optional[str] = None, starts: int = 0, seed: int = 1, max_evals: int = 0,
                   threads: int = 0, central_differences: bool = True, difference_step: float = 1e-6) -> dict:
    """The options of a fit checked by the fit library, as gripfit's are (0
    still means "choose by the problem"), as the keyword arguments of the
    compiled fit. The one place where Python checks them: the kinds here,
    the ranges in the library.

    Raises
    ------
    ValueError
        With the library's message (as gripfit prints it behind "gripfit: ")
        for a count out of its range (starts 0 to MAX_STARTS, threads 0 to
        MAX_THREADS, max_evals 0 or more) or a difference step that is not
        above 0 and below 1; naming the option and the value for a count
        that is not a whole number (None, text, a fraction, a boolean), a
        seed that is not one from 0 to MAX_SEED, a method that is not a
        name, a flag that is not True or False, a step that is not a
        number. A budget too small for the problem's first step is refused
        when the problem is known, by Problem.fit.
    """
    if method is not None and not isinstance(method, str):
        raise ValueError(_messages.SEARCH_METHOD_TYPE.format(value=method))
    if not (isinstance(central_differences, (bool, np.bool_)) or central_differences in (0, 1)):
        raise ValueError(_messages.SEARCH_FLAG.format(name="central_differences", value=central_differences))
    if isinstance(difference_step, (bool, np.bool_, str, bytes)):
        raise ValueError(_messages.DIFFERENCE_STEP.format(value=repr(difference_step)))
    try:
        step = float(difference_step)
    except (TypeError, ValueError):
        raise ValueError(_messages.DIFFERENCE_STEP.format(value=repr(difference_step))) from None
    options = dict(method=method or "", starts=_count("starts", starts, _INT_RANGE, MAX_STARTS),
                   max_evals=_count("max_evals", max_evals, _LONG_RANGE, MAX_EVALUATIONS),
                   seed=_count("seed", seed, (0, MAX_SEED), MAX_SEED),
                   threads=_count("threads", threads, _INT_RANGE, MAX_THREADS),
                   central_differences=bool(central_differences), difference_step=step)
    _gripsim.check_search_options(**options)
    return options


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
            given = entry.get("direction", 1)
            direction = int(given)
            speed = float(entry.get("speed", 0.0))
        except (KeyError, TypeError, ValueError, AttributeError) as fault:
            raise ValueError(_messages.TARGET_ENTRY.format(index=index, detail=fault)) from None
        if direction != given:
            # A fraction would be cut to a direction silently.
            raise ValueError(_messages.TARGET_ENTRY.format(index=index, detail=f"direction {given!r} is no whole number"))
        if not _INT_RANGE[0] <= direction <= _INT_RANGE[1]:
            # The library's rule (below 1 refused, above 3 counts as 3) takes a C int.
            raise ValueError(_messages.TARGET_ENTRY.format(
                index=index, detail=f"direction {given!r} should be 1 (Fx), 2 (Fy) or 3 (Fy and Mz)"))
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


class Report(dict):
    """The report of a design, a dict with the keys of FitReport.json.

    Attributes
    ----------
    html : str
        Its report page, as gripfit writes it to FitReport.html, which a
        notebook shows.
    """

    def __init__(self, data: Mapping[str, Any], html: str = "") -> None:
        super().__init__(data)
        self.html = html

    def _repr_html_(self) -> str:
        return self.html


class FitInterrupted(KeyboardInterrupt):
    """Ctrl-C (SIGINT) during a fit: the search stopped early.

    Attributes
    ----------
    result : FitResult
        The best design found until then, reported and with its result
        files, as a fit that ended would give it (``result.interrupted`` is
        True).
    """

    def __init__(self, result: "FitResult") -> None:
        super().__init__(f"fit interrupted after {result.evaluations} evaluations: best target {result.target:.6g} %")
        self.result = result


class Problem:
    """A design problem: the tyre with its design variables and bounds, and
    the measured targets.

    problem.residuals(x) and problem.target(x) evaluate a design vector;
    their magnitudes add up to the target value (mean load-normalised
    error [%]), so ``scipy.optimize.least_squares(problem.residuals,
    problem.x0, bounds=problem.bounds)`` works on it.

    Parameters
    ----------
    start : str or path-like, optional
        A design start file (the lines marked "designbounds" are the design
        variables).
    target : str or path-like, optional
        A target list; its measurement files are taken from its folder.
    tyre : Tyre or str or path-like, optional
        Instead of start: the tyre (or its parameter file) ...
    design : mapping of str to (float, float), optional
        ... with the design variables by name and their (lower, upper)
        bounds, in the parameters' units.
    targets : sequence of dict, optional
        Instead of target: ``{"data": (n, 7) array or measurement file,
        "direction": 1 (Fx), 2 (Fy) or 3 (Fy and Mz), "speed": [mm/s],
        "name": ...}`` per target. A direction above 3 counts as 3, with
        the warning a target list gives (in ``messages``).

    Raises
    ------
    ValueError
        The design or the targets are not accepted (with the library's
        messages: file, line, value).
    FileNotFoundError, IsADirectoryError
        A file named is not there, or is a folder.
    KeyError
        An unknown parameter name in design.

    Notes
    -----
    A Problem pickles with its file names made absolute, so that it unpickles
    in another working folder (or on another worker) with the same files.
    """

    def __init__(self, start: Optional[PathLike] = None, target: Optional[PathLike] = None, *,
                 tyre: Union[Tyre, PathLike, None] = None, design: Optional[Mapping[str, Tuple[float, float]]] = None,
                 targets: Optional[Sequence[Mapping[str, Any]]] = None) -> None:
        sources = (_start_source(start, tyre, design), _target_source(target, targets))
        # The core reads the files as named, so that its messages name them
        # as the caller did; a pickle carries them absolute.
        self._core = _gripsim.DesignCore(*sources)
        self._sources = tuple(os.path.abspath(s) if isinstance(s, str) else s for s in sources)
        self.messages = self._core.messages
        _console.emit(self.messages)

    @property
    def names(self) -> List[str]:
        """Names of the design variables, in parameter order."""
        return list(self._core.names)

    @property
    def x0(self) -> np.ndarray:
        """Start values of the design variables (in the parameters' units)."""
        return np.array(self._core.start_values)

    @property
    def bounds(self) -> Tuple[np.ndarray, np.ndarray]:
        """(lower, upper) arrays of the design variables."""
        return np.array(self._core.lower_bounds), np.array(self._core.upper_bounds)

    @property
    def model(self) -> int:
        """Model type: 1 continuous, 2 discrete."""
        return self._core.model_type

    @property
    def residual_count(self) -> int:
        """Residuals per evaluation: one per point and compared channel."""
        return self._core.residual_count

    @property
    def target_names(self) -> List[str]:
        """The targets' names (measurement files as the target list names them)."""
        return list(self._core.target_names)

    @property
    def points(self) -> int:
        """Measured points of all targets."""
        return int(sum(self._core.points_per_target))

    def __repr__(self) -> str:
        kind = {1: "continuous", 2: "discrete"}.get(self.model, "?")
        return (f"gripsim.Problem(model={self.model} ({kind}), {len(self.names)} variables {self.names}, "
                f"{len(self.target_names)} targets, {self.points} points, {self.residual_count} residuals)")

    def _vector(self, x):
        try:
            vector = np.ascontiguousarray(x, dtype=np.float64)
        except (TypeError, ValueError) as fault:
            raise ValueError(_messages.NOT_NUMBERS.format(what="the design vector", detail=fault)) from None
        if vector.ndim != 1:
            vector = vector.reshape(-1)
        return vector

    def target(self, x: Sequence[float]) -> float:
        """Target value [%] of design vector x (mean load-normalised error).

        Raises
        ------
        ValueError
            x holds another count than the design variables, or a value that
            is not a finite number.
        """
        return self._core.target(self._vector(x))

    def residuals(self, x: Sequence[float]) -> np.ndarray:
        """Signed residuals [%] of design vector x, one per point and
        compared channel; their magnitudes add up to target(x)."""
        return self._core.residuals(self._vector(x))

    def tyre_at(self, x: Sequence[float]) -> Tyre:
        """The tyre with design vector x in place."""
        return Tyre._from_list(self._core.parameters_at(self._vector(x)), self._core.model_number)

    def report(self, x: Sequence[float]) -> "Report":
        """The report of design vector x as it stands (no search), as
        gripfit --evaluate writes it to FitReport.json, with the same keys:
        "target" [%], "points", "moment_lever_mm", "search" (method "none"),
        "channels" (per file and channel: errors [N, N*mm for Mz; % of the
        load], peaks, "target_share" [%-points]), "design" (per variable:
        start, value, bounds, "bound": "lower", "upper" or "", and
        "standard_error", "interval95" [low, high] or None, "determined",
        "reason"), "correlation" ({"names", "matrix"}), "undetermined" (the
        messages on what the data do not determine) and "residual_spread"
        [% of Fz]. A notebook shows it as gripfit --evaluate's report page
        (FitReport.html, in its ``html``)."""
        data = self._core.report(self._vector(x), page=True)
        page = data.pop("html")
        return Report(data, html=page)

    def result_files(self, x: Sequence[float]) -> Dict[str, str]:
        """The texts the plug-in's terminate writes for x: "file1.dat", ...
        and "DesignResults.dat"."""
        return dict(self._core.result_files(self._vector(x)))

    @property
    def defaults(self) -> Dict[str, Any]:
        """What a fit of this problem chooses for the options left out:
        {"method": ..., "starts": ..., "max_evals": ...}."""
        return dict(self._core.defaults)

    def fit(self, method: Optional[str] = None, starts: int = 0, seed: int = 1, max_evals: int = 0,
            threads: int = 0, central_differences: bool = True, difference_step: float = 1e-6) -> "FitResult":
        """Validates the design and searches it within its bounds: see gripsim.fit."""
        options = search_options(method=method, starts=starts, seed=seed, max_evals=max_evals, threads=threads,
                                 central_differences=central_differences, difference_step=difference_step)
        outcome, signalled = self._core.fit(**options)
        design = np.array(outcome["x"])
        result = FitResult(
            tyre=self.tyre_at(design),
            target=outcome["target"],
            design=dict(zip(self.names, outcome["x"])),
            evaluations=outcome["search"]["evaluations"],
            seconds=outcome["search"]["seconds"],
            method=outcome["search"]["method"],
            starts=outcome["search"]["starts"],
            points=outcome["points"],
            report=outcome["channels"],
            variables=outcome["design"],
            files=self.result_files(design),
            messages=[m for m in [self.messages] if m] + list(outcome["warnings"]),
            search=outcome["search"],
            correlation=outcome.get("correlation"),
            undetermined=outcome.get("undetermined"),
            residual_spread=outcome.get("residual_spread"),
            preparation=outcome.get("preparation"),
            html=outcome["html"],
            sweeps=outcome["sweeps"],
        )
        _console.emit("".join(outcome["warnings"]))
        if signalled is not None:
            if isinstance(signalled, KeyboardInterrupt):
                raise FitInterrupted(result) from None
            signalled.result = result  # another handler's exception, raised as it was, with the result
            raise signalled
        return result

    def __reduce__(self):
        return (_rebuild_problem, self._sources)


def _rebuild_problem(start, target):
    problem = Problem.__new__(Problem)
    problem._sources = (start, target)
    problem._core = _gripsim.DesignCore(start, target)
    problem.messages = problem._core.messages
    return problem


class FitResult:
    """The outcome of one fit, made of plain Python objects (it pickles).

    Attributes
    ----------
    tyre : Tyre
        The fitted tyre.
    target : float
        Its target value [%] over `points` measured points.
    design : dict of str to float
        The design variables by name.
    evaluations, starts : int
        Target evaluations and starts of the search.
    seconds : float
        Time of the search [s].
    method : str
        The search method.
    interrupted : bool
        The search was stopped (Ctrl-C) before its end.
    report : list of dict
        Per file and channel, with the keys of FitReport.json's "channels"
        (errors, peaks and the channel's share of the target [%-points]).
    variables : list of dict
        Per design variable, with the keys of FitReport.json's "design"
        (with its standard error, 95 % interval, whether the data determine
        it and why not).
    search : dict
        FitReport.json's "search": method, starts, evaluations, seconds, interrupted.
    files : dict of str to str
        The result files as the plug-in writes them, by name.
    messages : list of str
        Warnings of the design files and of the validation.
    undetermined : list of str
        One message per design variable or group of them that the data do
        not determine, naming them and the data that would.
    residual_spread : float or None
        Spread of the residuals at the design [% of Fz], from which the
        standard errors are taken.
    uncertainty : pandas.DataFrame
        What the data determine, one row per design variable.
    correlation : pandas.DataFrame
        Correlations of the estimates.

    preparation : dict or None
        Where the data came from when the target file's folder was made by
        gripfit prepare (its Prepare.json): "files" (per rig run: "file",
        "convention", "samples"), "convention", "forced" and "warnings" (the
        failed checks a forced preparation let through); None otherwise.
    html : str or None
        The report page, as gripfit writes it to FitReport.html.
    sweeps : list of dict or None
        Per measurement file: "file", "direction", "swept" ("slip" [-] or
        "slip_angle" [deg]), "channels" (those the target compares), "mean"
        (the mean operating point: slip, slip_angle, camber [deg], load [N],
        speed [mm/s]), "x" (the swept input per point), "measured" and
        "model" (per channel "Fx", "Fy" [N], "Mz" [N*mm]), "curve_x" and
        "curve" (the model at the mean operating point across the sweep),
        "stiffness", "aligning_stiffness" and "peak_friction" as (measured,
        model) pairs.
    """

    def __init__(self, tyre, target, design, evaluations, seconds, method, starts, points, report, variables,
                 files, messages, search=None, correlation=None, undetermined=None, residual_spread=None, html=None,
                 sweeps=None, preparation=None):
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
        self.search = search if search is not None else dict(
            method=method, starts=starts, evaluations=evaluations, seconds=seconds, interrupted=False)
        self.html = html
        self.sweeps = sweeps
        self._correlation = correlation if correlation is not None else {"names": [], "matrix": []}
        self.undetermined = list(undetermined) if undetermined is not None else []
        self.residual_spread = residual_spread
        self.preparation = preparation

    @property
    def uncertainty(self):
        """What the data determine about each design variable.

        Returns
        -------
        pandas.DataFrame
            One row per design variable in design order, with the columns
            name, value, standard_error, low95, high95 (its unit; NaN on a
            bound, without an effect or along a direction the data do not
            see; the 95 % interval is not clipped to the bounds), determined
            (bool), bound ("lower", "upper" or "") and reason (why it is not
            determined; "" when it is).
        """
        import pandas

        def number(value):
            return math.nan if value is None else float(value)

        rows = []
        for d in self.variables:
            interval = d.get("interval95") or [None, None]
            rows.append({"name": d["name"], "value": d["value"], "standard_error": number(d.get("standard_error")),
                         "low95": number(interval[0]), "high95": number(interval[1]),
                         "determined": bool(d.get("determined", False)), "bound": d["bound"],
                         "reason": d.get("reason", "")})
        columns = ["name", "value", "standard_error", "low95", "high95", "determined", "bound", "reason"]
        return pandas.DataFrame(rows, columns=columns)

    @property
    def correlation(self):
        """Correlations of the estimates of the design variables within
        their bounds that change the residuals.

        Returns
        -------
        pandas.DataFrame
            Square, with the variables' names as index and columns; NaN
            where a correlation is not a number.
        """
        import pandas
        names = list(self._correlation["names"])
        matrix = [[math.nan if v is None else float(v) for v in row] for row in self._correlation["matrix"]]
        return pandas.DataFrame(matrix, index=names, columns=names, dtype=float)

    @property
    def interrupted(self) -> bool:
        return bool(self.search.get("interrupted", False))

    def report_dict(self) -> Dict[str, Any]:
        """The whole report as FitReport.json holds it: "target", "points",
        "moment_lever_mm", "search", "channels", "design", "correlation",
        "undetermined" and "residual_spread", and "preparation" for a folder
        gripfit prepare made."""
        whole = {"target": self.target, "points": self.points, "moment_lever_mm": _MOMENT_LEVER,
                 "search": dict(self.search), "channels": list(self.report), "design": list(self.variables),
                 "correlation": {"names": list(self._correlation["names"]),
                                 "matrix": [list(row) for row in self._correlation["matrix"]]},
                 "undetermined": list(self.undetermined), "residual_spread": self.residual_spread}
        if self.preparation is not None:
            whole["preparation"] = self.preparation
        return whole

    def report_frame(self):
        """The report as a pandas DataFrame, one row per file and channel."""
        import pandas
        return pandas.DataFrame(self.report)

    def write(self, folder: PathLike = ".") -> List[str]:
        """Writes file1.dat, ... and DesignResults.dat into folder, as the
        plug-in's terminate does: all of them or (raising OSError for the
        file that could not be written) none; returns their paths."""
        folder = os.fspath(folder)
        os.makedirs(folder, exist_ok=True)
        _gripsim.write_result_files(folder, [(name, text.encode("latin-1")) for name, text in self.files.items()])
        return [os.path.join(folder, name) for name in self.files]

    def _repr_html_(self) -> str:
        """The result in a notebook: the report page of FitReport.html (the
        sweeps with the model, stiffness by load, the design and the search)."""
        if self.html is not None:
            return self.html
        return f"<pre>{html.escape(repr(self))}</pre>"  # a result made by hand, without the page

    def plot(self, figure=None):
        """Draws the sweeps with matplotlib: per sweep and compared channel
        the measured points, the model at the sweep's mean operating point
        and, beneath, the residuals (model minus measured).

        Parameters
        ----------
        figure : matplotlib.figure.Figure, optional
            The figure to draw into (cleared first); a new one by default.

        Returns
        -------
        matplotlib.figure.Figure

        Raises
        ------
        ValueError
            The result holds no sweeps (not made by a fit).
        """
        from matplotlib.figure import Figure
        if not self.sweeps:
            raise ValueError(_messages.NO_SWEEPS)
        panels = [(s, c) for s in self.sweeps for c in s["channels"]]
        columns = min(3, len(panels))
        rows = -(-len(panels) // columns)
        if figure is None:
            figure = Figure(figsize=(5.0 * columns, 5.0 * rows), layout="constrained")
        figure.clear()
        grid = figure.add_gridspec(2 * rows, columns, height_ratios=[3, 1] * rows)
        units = {"Fx": "N", "Fy": "N", "Mz": "N*mm"}
        for k, (sweep, channel) in enumerate(panels):
            row, column = divmod(k, columns)
            top = figure.add_subplot(grid[2 * row, column])
            bottom = figure.add_subplot(grid[2 * row + 1, column], sharex=top)
            x = np.asarray(sweep["x"])
            measured = np.asarray(sweep["measured"][channel])
            model = np.asarray(sweep["model"][channel])
            top.plot(sweep["curve_x"], sweep["curve"][channel], color="#d62728", label="model at the mean operating point")
            top.plot(x, measured, "o", color="#1f77b4", markersize=3.5, label="measured")
            top.set_title(f"{sweep['file']}: {channel}", fontsize="medium")
            top.set_ylabel(f"{channel} [{units[channel]}]")
            top.legend(fontsize="small")
            top.grid(True, alpha=0.3)
            bottom.axhline(0.0, color="#333333", linewidth=0.8)
            bottom.plot(x, model - measured, "o", color="#555555", markersize=3)
            bottom.set_ylabel(f"residual [{units[channel]}]")
            bottom.set_xlabel("longitudinal slip [-]" if sweep["swept"] == "slip" else "slip angle [deg]")
            bottom.grid(True, alpha=0.3)
        return figure

    def __repr__(self):
        stopped = ", interrupted" if self.interrupted else ""
        return (f"gripsim.FitResult(target={self.target:.6g}, evaluations={self.evaluations}, "
                f"seconds={self.seconds:.3g}, method={self.method!r}{stopped}, design={self.design})")


#: The lever that puts Mz beside the forces in the target [mm], as the report gives it.
_MOMENT_LEVER = _gripsim.MOMENT_LEVER_MM


def fit(start: Optional[PathLike] = None, target: Optional[PathLike] = None, *,
        tyre: Union[Tyre, PathLike, None] = None, design: Optional[Mapping[str, Tuple[float, float]]] = None,
        targets: Optional[Sequence[Mapping[str, Any]]] = None, method: Optional[str] = None, starts: int = 0,
        seed: int = 1, max_evals: int = 0, threads: int = 0, central_differences: bool = True,
        difference_step: float = 1e-6) -> FitResult:
    """Fits a tyre to measured forces within the design bounds. The options
    mean what gripfit's options of the same names mean.

    Parameters
    ----------
    start, target, tyre, design, targets
        The design and the targets, as for gripsim.Problem.
    method : str, optional
        "bobyqa", "sbplx", "neldermead", "slsqp", "lbfgs" or "portfolio"
        (slsqp and sbplx in turn); None: the
        default for the model type (Problem.defaults).
    starts : int
        Starts of the search, 0 to 100000; 0 chooses by the problem.
    seed : int
        Seed of the quasi-random starts, 0 or more: the same seed and one
        thread, the same fit.
    max_evals : int
        Evaluations over all starts, 0 or more; 0 chooses by the problem.
    threads : int
        Searching threads, 0 to 1024; 0 uses every core.
    central_differences : bool
        The gradient methods difference the target centrally (else forward) ...
    difference_step : float
        ... with a step of difference_step times each bound range [-].

    Returns
    -------
    FitResult

    Raises
    ------
    ValueError
        A bad option (named, with its value), or a design or targets that
        cannot be fitted (the library's messages).
    FitInterrupted
        Ctrl-C during the search (a KeyboardInterrupt): the search stops
        within a fraction of a second and the exception's ``result`` holds
        the best design found.
    """
    options = search_options(method=method, starts=starts, seed=seed, max_evals=max_evals, threads=threads,
                             central_differences=central_differences, difference_step=difference_step)
    problem = Problem(start, target, tyre=tyre, design=design, targets=targets)
    return problem.fit(**options_for_fit(options))


def options_for_fit(options: dict) -> dict:
    """Checked options back as Problem.fit's keyword arguments."""
    return dict(options, method=options["method"] or None)


def residuals(x: Sequence[float], start: Optional[PathLike] = None, target: Optional[PathLike] = None, *,
              tyre=None, design=None, targets=None) -> np.ndarray:
    """Residuals [%] of design vector x of a problem given as for
    gripsim.Problem (for many evaluations make the Problem once)."""
    return Problem(start, target, tyre=tyre, design=design, targets=targets).residuals(x)


def _design_call(state, x, identifier):
    """The plug-in's design call (initialise 0, run 1, terminate -1) over a
    gripsim._gripsim.DesignCallState, in the working directory: for tests."""
    value, messages = state.call(np.ascontiguousarray(x, dtype=np.float64), float(identifier))
    _console.emit(messages)
    return value, messages
