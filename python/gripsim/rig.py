"""Rig runs and their preparation for a fit: the readers of rig files, the
steady sweeps cut from a run and the design files of gripfit prepare, all
by the compiled library's rules."""

from __future__ import annotations

import os
import tempfile
from typing import TYPE_CHECKING, Any, Dict, Iterable, List, Mapping, NamedTuple, Optional, Sequence, Union

import numpy as np

from . import _console, _files, _gripsim, _messages
from ._numbers import whole_number
from .fitting import FitResult, PathLike, Problem
from .measurements import COLUMNS

if TYPE_CHECKING:
    import pandas

#: The quantities of a rig channel, as read_rig names its columns and as
#: gripfit prepare's --channel names them; "other" is a channel kept as read.
QUANTITIES = tuple(_gripsim.quantity_names())
#: Our unit of each quantity: every column of a run frame is in it.
QUANTITY_UNITS = {q: _gripsim.our_unit(q) for q in QUANTITIES}

#: The options of the cutting and binning (PrepareOptions) by their Python
#: names: numbers, and whole numbers for the counts; one left out keeps the
#: library's default.
_REAL_OPTIONS = ("load_fraction", "load_margin", "camber_tolerance", "pressure_tolerance", "speed_tolerance",
                 "minimum_duration", "lifted_load", "slip_angle_bin", "slip_ratio_bin", "slip_angle_span",
                 "slip_ratio_span")
_COUNT_OPTIONS = ("break_samples", "minimum_bins")
_INT_RANGE = (-2**31, 2**31 - 1)

#: A rig file, or a run read already (read_rig's frame).
RigSource = Union[PathLike, "pandas.DataFrame"]


class PreparationError(ValueError):
    """A check of the rig data failed (or no sweep was found), so nothing
    was prepared: what gripfit prepare ends with exit status 2 for.

    Attributes
    ----------
    messages : list of str
        The failed checks, each naming the file, the channel and the likely
        mistake, as gripfit prepare prints them.
    dropped : list of str
        The pieces of the runs not used, and why.
    """

    def __init__(self, messages: Sequence[str], dropped: Sequence[str] = ()) -> None:
        super().__init__("\n".join(messages))
        self.messages = list(messages)
        self.dropped = list(dropped)

    def __reduce__(self):
        return (type(self), (self.messages, self.dropped))


def _bytes(name: Any) -> bytes:
    """A channel name or unit as the file's bytes (os.fsencode's rule, so that
    a name read from a file in another encoding goes back as it was)."""
    return str(name).encode("utf-8", "surrogateescape")


def _convention(convention: Optional[str]) -> Optional[str]:
    if convention is not None and not isinstance(convention, str):
        raise ValueError(_messages.CONVENTION_TYPE.format(value=convention))
    return convention


def _channel_pairs(channels: Optional[Mapping[str, str]]) -> List[tuple]:
    if channels is None:
        return []
    if not isinstance(channels, Mapping):
        raise ValueError(_messages.CHANNELS_MAPPING.format(value=channels))
    return [(str(quantity), _bytes(name)) for quantity, name in channels.items()]


def _units(units: Optional[Mapping[str, str]]) -> Dict[str, str]:
    if units is None:
        return {}
    if not isinstance(units, Mapping):
        raise ValueError(_messages.UNITS_MAPPING.format(value=units))
    return {_bytes(channel): _bytes(unit) for channel, unit in units.items()}


def read_rig(path: PathLike, convention: Optional[str] = None, channels: Optional[Mapping[str, str]] = None,
             units: Optional[Mapping[str, str]] = None) -> "pandas.DataFrame":
    """Reads a test-rig run, as gripfit prepare reads it: ".mat" a MATLAB
    file, ".tdx" or ".tyd" TYDEX text, anything else delimited text.

    Parameters
    ----------
    path : str or path-like
        The rig file.
    convention : {"iso", "sae", "ours"}, optional
        The axes the file is written in ("iso8855", "tydex", "saej670" too,
        in any case): delimited text and MAT files must be given one, TYDEX
        is ISO unless told otherwise.
    channels : mapping of str to str, optional
        Quantity -> channel name, for channels the defaults do not know
        (``{"slip_angle": "ALPHA", "fz": "LOAD"}``, as gripfit prepare's
        ``--channel slip_angle=ALPHA``); the quantities are QUANTITIES.
    units : mapping of str to str, optional
        Channel name -> unit, for a channel whose file gives none or one
        that is not known (``{"LOAD": "kN"}``); it takes the place of the
        file's.

    Returns
    -------
    pandas.DataFrame
        One column per channel, in file order, every value in our units and
        our sign convention: the first channel of each quantity is named by
        it (time [s], speed [mm/s], wheel_speed [rad/s], slip_angle [deg],
        camber [deg], slip_ratio [-], pressure [N/mm^2], fx, fy, fz [N], mx,
        mz [N*mm], loaded_radius, effective_radius [mm], temperature
        [degC]); another channel (of quantity "other", kept as read, or a
        second one of a quantity) keeps the file's name. ``frame.attrs``:
        "file" (path), "convention" (the one the file was written in; the
        values are in "ours"), "channels" (column -> the file's channel
        name), "quantities" (column -> quantity), "units" (column -> the
        unit converted from, the file's or the one given), "file_units"
        (column -> the unit the file declares) and "metadata" (the file's
        header lines and constants as (keyword, text) pairs).

    Raises
    ------
    FileNotFoundError, IsADirectoryError
        No such file, or a folder.
    ValueError
        The library's message (file, line, column) for a file its reader
        refuses (no convention declared, a missing or unknown unit, a line
        of the wrong length, a value that is no number), an unknown
        convention or quantity, or a channel mapped that the file does not
        hold.
    OSError
        The file cannot be opened.
    """
    path = _files.existing_file(path)
    run = _gripsim.read_rig(os.fsencode(path), _convention(convention), _channel_pairs(channels), _units(units))
    return _run_frame(run)


def _run_frame(run):
    import pandas
    columns, names, quantities, units, file_units = {}, {}, {}, {}, {}
    for channel in run["channels"]:
        quantity = channel["quantity"]
        column = quantity if quantity != "other" and quantity not in columns else channel["name"]
        stem, k = column, 1
        while column in columns:  # a file's name that is a quantity's column already
            k += 1
            column = f"{stem}_{k}"
        columns[column] = channel["values"]
        names[column], quantities[column] = channel["name"], quantity
        units[column], file_units[column] = channel["unit"], channel["file_unit"]
    frame = pandas.DataFrame(columns)
    frame.attrs.update(file=run["file"], convention=run["source_convention"], channels=names, quantities=quantities,
                       units=units, file_units=file_units, metadata=[tuple(m) for m in run["metadata"]])
    return frame


def _run_data(frame) -> Dict[str, Any]:
    """A run frame (read_rig's, or one made with its columns) as the
    library takes it; the columns' quantities from attrs, else by name."""
    attrs = getattr(frame, "attrs", {}) or {}
    names = attrs.get("channels", {})
    quantities = attrs.get("quantities", {})
    channels = []
    for column in frame.columns:
        quantity = quantities.get(column, column if column in QUANTITIES else "other")
        try:
            values = np.ascontiguousarray(frame[column], dtype=np.float64)
        except (TypeError, ValueError) as fault:
            raise ValueError(_messages.NOT_NUMBERS.format(what=f"run column {column}", detail=fault)) from None
        channels.append((_bytes(names.get(column, column)), str(quantity), values))
    return dict(file=os.fsencode(str(attrs.get("file", ""))), source_convention=str(attrs.get("convention", "ours")),
                channels=channels)


def _options(given: Mapping[str, Any], allowed: Iterable[str], caller: str) -> Dict[str, Any]:
    """Keyword options by kind (numbers, whole numbers); their ranges are
    the library's (PrepareOptions::isValid), with its messages."""
    allowed = tuple(allowed)
    options = {}
    for name, value in given.items():
        if name not in allowed:
            raise TypeError(f"{caller}() got an unexpected keyword argument {name!r}")
        if name in _COUNT_OPTIONS or name == "model":
            try:
                count = whole_number(value)
            except TypeError:
                raise ValueError(_messages.PREPARE_COUNT.format(name=name, value=value)) from None
            if not _INT_RANGE[0] <= count <= _INT_RANGE[1]:
                raise ValueError(_messages.PREPARE_COUNT.format(name=name, value=value))
            options[name] = count
        elif name == "tyre":
            if value is not None and not isinstance(value, str):
                raise ValueError(_messages.PREPARE_TYRE.format(value=value))
            options[name] = value or ""
        elif name == "force":
            if not (isinstance(value, (bool, np.bool_)) or value in (0, 1)):
                raise ValueError(_messages.SEARCH_FLAG.format(name=name, value=value))
            options[name] = bool(value)
        else:
            try:
                if isinstance(value, (bool, np.bool_, str, bytes)):
                    raise TypeError
                options[name] = float(value)
            except (TypeError, ValueError):
                raise ValueError(_messages.PREPARE_NUMBER.format(name=name, value=value)) from None
    _gripsim.check_prepare_options(options)
    return options


class Sweep:
    """A steady sweep cut from a rig run and binned by its slip, as gripfit
    prepare writes it into its measurement file.

    Attributes
    ----------
    name : str
        The measurement file's name ("fy_Fz4000_IA2.dat").
    file : str
        The rig file it came from.
    swept : str
        "slip_angle" [deg] or "slip" (the slip ratio [-]).
    direction : int
        Its direction in the design target: 1 slip ratio, 3 slip angle with
        Mz, 2 without.
    force_channel, moment_channel : str
        The file's names of the Fy (or Fx) and Mz channels ("" for none).
    start_time, end_time : float
        Its time span [s] (0 when the run has no time).
    load [N], camber [deg], pressure [N/mm^2], speed [mm/s] : float
        The mean operating point (0 for a quantity not measured).
    rolled_speed : float
        Mean wheel spin times effective radius where it rolls free [mm/s].
    loaded_radius : float
        Mean loaded radius [mm].
    points : pandas.DataFrame
        The binned points in the columns of a measurement file (COLUMNS).
    samples : numpy.ndarray
        The samples averaged into each point.
    """

    def __init__(self, data: Mapping[str, Any]) -> None:
        import pandas
        for key in ("name", "file", "swept", "direction", "force_channel", "moment_channel", "start_time",
                    "end_time", "load", "camber", "pressure", "speed", "rolled_speed", "loaded_radius"):
            setattr(self, key, data[key])
        self.points = pandas.DataFrame(np.asarray(data["points"]), columns=list(COLUMNS))
        self.samples = np.asarray(data["samples"])

    def __repr__(self) -> str:
        return (f"gripsim.Sweep({self.name!r}, {len(self.points)} points over {self.swept}, "
                f"load={self.load:.6g} N, camber={self.camber:.3g} deg, speed={self.speed:.6g} mm/s, "
                f"from {self.file!r} {self.start_time:.2f} s to {self.end_time:.2f} s)")


class FoundSweeps(NamedTuple):
    """The steady sweeps of a run and the pieces of it not used."""

    sweeps: List[Sweep]
    #: One line per piece not used, naming the file, the time span and why.
    dropped: List[str]


def sweeps(frame: "pandas.DataFrame", **options: Any) -> FoundSweeps:
    """The steady sweeps the preparation cuts from one run, binned.

    Parameters
    ----------
    frame : pandas.DataFrame
        A run as read_rig gives it (or with its column names: fz and
        slip_angle or slip_ratio at least; attrs["file"] names it in the
        messages).
    **options
        The cutting and binning, as gripfit prepare uses them by default:
        a piece holds while each sample keeps within a tolerance of its
        running mean, load_fraction (0.05 of the load [-]) or load_margin
        (150 N), whichever is more, camber_tolerance (0.2 deg),
        pressure_tolerance (0.005 N/mm^2), speed_tolerance (2 km/h in
        mm/s); break_samples (5) in a row outside end it; a piece shorter
        than minimum_duration (1 s) is a transition; a load below
        lifted_load (100 N) a lifted tyre; slip_angle_bin (0.5 deg) and
        slip_ratio_bin (0.005) are the bin widths; slip_angle_span (4 deg),
        slip_ratio_span (0.04) and minimum_bins (9) the least sweep a check
        passes (a quarter of a span tells a sweep from a hold).

    Returns
    -------
    FoundSweeps
        (sweeps, dropped): the sweeps in time order and one line per piece
        not used.

    Raises
    ------
    ValueError
        An option out of its range (the library's message), of the wrong
        kind, or a run without the channels to cut by.
    TypeError
        An unknown option.
    """
    checked = _options(options, _REAL_OPTIONS + _COUNT_OPTIONS, "sweeps")
    found = _gripsim.find_sweeps(_run_data(frame), checked)
    return FoundSweeps([Sweep(s) for s in found["sweeps"]], list(found["dropped"]))


def _sources(files) -> List[Any]:
    if isinstance(files, (str, os.PathLike)) or hasattr(files, "columns"):
        files = [files]
    sources = []
    for source in files:
        sources.append(_run_data(source) if hasattr(source, "columns") else os.fsencode(_files.existing_file(source)))
    if not sources:
        raise ValueError(_messages.NO_RIG_FILE)
    return sources


class Preparation:
    """Rig runs prepared for a fit, nothing written yet: what gripfit
    prepare writes, held in memory.

    Attributes
    ----------
    sweeps : list of Sweep
        Every sweep found (its measurement file is written, in the target or not).
    dropped : list of str
        The pieces not used and why, the cambered sweeps left out of a
        model 1 target among them.
    failures : list of str
        The checks that failed and were passed over (force=True); empty
        when all passed.
    notes : list of str
        Where each start value came from.
    files : dict of str to str
        The prepared files by name, in the order they are written: the
        measurement files, DesignTarget.dat, DesignStart.dat, Prepare.txt.
    model : int
        The model the design start is for.
    """

    def __init__(self, outcome: Mapping[str, Any], model: int) -> None:
        self.sweeps = [Sweep(s) for s in outcome["sweeps"]]
        self.dropped = list(outcome["dropped"])
        self.failures = list(outcome["failures"])
        self.notes = list(outcome["notes"])
        self.model = model
        self._bytes = [(name, bytes(text)) for name, text in outcome["files"]]
        self.files = {name: text.decode("utf-8", "surrogateescape") for name, text in self._bytes}
        self._folder = None  # the temporary folder of the problem, made when first asked for
        self._problem = None

    def __getstate__(self) -> Dict[str, Any]:
        # The temporary folder and the problem over it stay with this process.
        return dict(self.__dict__, _folder=None, _problem=None)

    @property
    def warnings(self) -> List[str]:
        """The failed checks passed over, as gripfit prepare --force prints
        them ("warning: ..."), without the prefix: the same as failures."""
        return list(self.failures)

    @property
    def summary(self) -> str:
        """The text of Prepare.txt: the files read, the sweeps, the pieces
        dropped, the checks and the design start."""
        return self.files["Prepare.txt"]

    def write(self, folder: PathLike) -> List[str]:
        """Writes the prepared files into folder (made when missing), byte
        for byte as gripfit prepare --out folder does: all of them or, with
        an OSError naming the file that could not be written, none.
        Returns their paths."""
        folder = os.fspath(folder)
        os.makedirs(folder, exist_ok=True)
        _gripsim.write_result_files(folder, self._bytes)
        return [os.path.join(folder, name) for name, _ in self._bytes]

    @property
    def problem(self) -> Problem:
        """The design problem over the prepared files (DesignStart.dat and
        DesignTarget.dat), as gripfit reads them in the folder: written
        into a temporary folder that lasts as long as this object."""
        if self._problem is None:
            self._folder = tempfile.TemporaryDirectory(prefix="gripsim-prepared-")
            self.write(self._folder.name)
            self._problem = Problem(start=os.path.join(self._folder.name, "DesignStart.dat"),
                                    target=os.path.join(self._folder.name, "DesignTarget.dat"))
        return self._problem

    def fit(self, **options: Any) -> FitResult:
        """Fits the prepared design: the options of gripsim.fit (method,
        starts, seed, max_evals, threads, central_differences,
        difference_step)."""
        return self.problem.fit(**options)

    def __repr__(self) -> str:
        forced = f", {len(self.failures)} failed checks passed over" if self.failures else ""
        return (f"gripsim.Preparation(model={self.model}, {len(self.sweeps)} sweeps "
                f"{[s.name for s in self.sweeps]}, {len(self.dropped)} pieces dropped{forced})")


def prepare(files: Union[RigSource, Sequence[RigSource]], convention: Optional[str] = None, model: int = 1,
            tyre: Optional[str] = None, force: bool = False, channels: Optional[Mapping[str, str]] = None,
            units: Optional[Mapping[str, str]] = None, **options: Any) -> Preparation:
    """Prepares rig runs for a fit as ``gripfit prepare`` does: the same
    sweeps, checks and files, byte for byte.

    Parameters
    ----------
    files : path, DataFrame, or a sequence of them
        Rig files (read with convention, channels and units, as read_rig
        reads them) or runs read already (read_rig's frames).
    convention, channels, units
        As for read_rig (gripfit prepare's --convention and --channel), for
        the files: a frame is in our units and convention already.
    model : {1, 2}
        The model the design start is for (--model): 1 continuous (its
        target leaves out the cambered sweeps), 2 discrete.
    tyre : str, optional
        A tyre size such as "205/60R15" (--tyre), for the free radius and
        the section width.
    force : bool
        A failed check warns (Preparation.failures) instead of stopping (--force).
    **options
        The cutting and binning, as for sweeps.

    Returns
    -------
    Preparation

    Raises
    ------
    PreparationError
        A check failed (without force) or no sweep was found (a ValueError
        with the messages).
    ValueError
        A bad option (the library's message for its range), a file its
        reader refuses (the library's message), an unknown convention, no
        file at all.
    FileNotFoundError, IsADirectoryError, OSError
        A file is not there, a folder, or cannot be opened.
    """
    checked = _options(dict(options, model=model, tyre=tyre, force=force), _REAL_OPTIONS + _COUNT_OPTIONS +
                       ("model", "tyre", "force"), "prepare")
    outcome = _gripsim.prepare_runs(_sources(files), _convention(convention), _channel_pairs(channels),
                                    _units(units), checked)
    if outcome["exit_status"] != 0:
        raise PreparationError(outcome["failures"], outcome["dropped"])
    _console.emit("".join(f"warning: {line}\n" for line in outcome["failures"]))
    return Preparation(outcome, checked["model"])
