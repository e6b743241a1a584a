"""The tyre: 33 named parameters and a model type, evaluated with numpy."""

from __future__ import annotations

import collections
import collections.abc
import math
import os
from typing import Any, Iterator, Mapping, Optional, Sequence, Tuple, Union

import numpy as np

from . import _files, _gripsim, _messages

#: The 33 parameter names in file order, as the models describe them.
PARAMETER_NAMES = tuple(_gripsim.parameter_names())

#: Parameters that hold a count or a switch for some model (the grid counts
#: and the choices of the laws), as the models describe them: whole numbers
#: in a parameter file.
WHOLE_NUMBER_PARAMETERS = tuple(_gripsim.whole_number_parameters())

#: The columns of parameter_table, in order.
PARAMETER_TABLE_COLUMNS = ("name", "unit", "magnitude", "whole_number", "fixed_at_set_up", "read", "lower", "upper")

#: Contact patch of one operating point: area [mm^2], half length h and half width b [mm].
ContactPatch = collections.namedtuple("ContactPatch", ["area", "half_length", "half_width"])

#: Columns of the discrete model's per-point trace, as its trace file gives them.
TRACE_COLUMNS = ("x", "y", "ux", "uy", "pz", "fx", "fy")

#: Names of the five operating-point arguments, for messages.
_OPERATING_POINT = ("slip", "slip_angle", "camber", "load", "speed")

ArrayLike = Union[float, Sequence[float], np.ndarray]
Forces = Tuple[Any, Any, Any]


def parameter_index(name: str) -> int:
    """Position of a parameter by name (common name, or the name a sliding
    friction pair has under the speed-table law); KeyError when unknown."""
    index = _gripsim.parameter_index(str(name))
    if index is None:
        raise KeyError(_messages.UNKNOWN_PARAMETER.format(name=name, names=", ".join(PARAMETER_NAMES)))
    return index


def parameter_table(model: int = 1):
    """What a model makes of each of the 33 parameters, as the model
    describes itself, one row per parameter in file order.

    Parameters
    ----------
    model : int
        1 (continuous) or 2 (discrete).

    Returns
    -------
    pandas.DataFrame
        Columns "name", "unit" (of the value as the model uses it, e.g.
        "N/mm^3", "deg", "-"), "magnitude" (the model uses the value's
        magnitude), "whole_number" (a count or a switch, never a design
        variable), "fixed_at_set_up" (sizes something at set-up: no design
        variable), "read" (changes the forces for some operating point),
        "lower" and "upper" (the recommended design bounds, NaN where the
        model recommends none), one row per parameter in file order.

    Raises
    ------
    ValueError
        A model other than 1 or 2.
    """
    import pandas
    rows = _gripsim.parameter_descriptions(int(model_number(model)))
    table = pandas.DataFrame(rows, columns=list(PARAMETER_TABLE_COLUMNS))
    table[["lower", "upper"]] = table[["lower", "upper"]].astype(float)
    return table


def _number(name: str, value: Any) -> float:
    """A parameter value as a parameter file could hold it: a finite number,
    a whole one for the counts and switches."""
    try:
        number = float(value)
    except (TypeError, ValueError):
        raise ValueError(_messages.PARAMETER_NOT_A_NUMBER.format(name=name, value=value)) from None
    if not math.isfinite(number):
        raise ValueError(_messages.PARAMETER_NOT_FINITE.format(name=name, value=value))
    if PARAMETER_NAMES[parameter_index(name)] in WHOLE_NUMBER_PARAMETERS and not number.is_integer():
        raise ValueError(_messages.PARAMETER_NOT_WHOLE.format(name=name, value=value))
    return number


def model_number(model: Any) -> float:
    """The model number 1 (continuous) or 2 (discrete) as a float; ValueError
    for anything else."""
    try:
        number = float(model)
    except (TypeError, ValueError):
        number = math.nan
    if number not in (1.0, 2.0):
        shown = format(number, "g") if math.isfinite(number) or isinstance(model, float) else repr(model)
        raise ValueError(_messages.MODEL_NUMBER.format(model=shown))
    return number


def parameter_list(mapping: Mapping[str, Any]) -> list:
    """The 33 values of a mapping by name, in file order; ValueError naming
    the missing and the unknown names."""
    values = [None] * len(PARAMETER_NAMES)
    unknown = []
    for name, value in mapping.items():
        index = _gripsim.parameter_index(str(name))
        if index is None:
            unknown.append(name)
        else:
            values[index] = _number(name, value)
    if unknown:
        raise ValueError(_messages.UNKNOWN_PARAMETERS.format(unknown=", ".join(map(str, unknown)),
                                                             names=", ".join(PARAMETER_NAMES)))
    missing = [PARAMETER_NAMES[k] for k, value in enumerate(values) if value is None]
    if missing:
        raise ValueError(_messages.MISSING_PARAMETERS.format(missing=", ".join(missing)))
    return values


def _numbers(name: str, value: Any) -> np.ndarray:
    """One operating-point argument as a float array; ValueError for None,
    text and anything else that is not made of real numbers."""
    array = None
    if value is not None:
        try:
            array = np.asarray(value)
        except (TypeError, ValueError):
            array = None
    if array is None or array.dtype.kind not in "biuf":
        kind = "None" if value is None else (f"{array.dtype} values" if array is not None else type(value).__name__)
        raise ValueError(_messages.NOT_NUMBERS.format(what="the operating point", detail=f"{name} holds {kind}"))
    return array.astype(np.float64, copy=False)


def _scalar(name: str, value: Any) -> float:
    """One operating-point number; ValueError as for _numbers."""
    array = _numbers(name, value)
    if array.ndim != 0:
        raise ValueError(_messages.NOT_NUMBERS.format(what="the operating point", detail=f"{name} is no single number"))
    return float(array)


def _columns(arguments):
    """The five operating-point arguments broadcast to one shape, as flat
    contiguous float columns (no copy where they already are)."""
    arrays = [_numbers(name, a) for name, a in zip(_OPERATING_POINT, arguments)]
    shapes = {a.shape for a in arrays}
    if len(shapes) > 1:
        try:
            arrays = np.broadcast_arrays(*arrays)
        except ValueError as fault:
            raise ValueError(_messages.NOT_BROADCASTABLE.format(detail=fault)) from None
    shape = arrays[0].shape
    return shape, [np.ascontiguousarray(a).reshape(-1) for a in arrays]


def _out_columns(out, shape):
    """The three result arrays of evaluate(out=...) as flat views of the same
    memory: separate, writeable, C-contiguous float64 arrays of the shape."""
    try:
        arrays = tuple(out)
    except TypeError as fault:
        raise ValueError(_messages.OUT_ARRAYS.format(shape=shape, detail=fault)) from None
    if len(arrays) != 3:
        raise ValueError(_messages.OUT_ARRAYS.format(shape=shape, detail=f"{len(arrays)} arrays given"))
    for array in arrays:
        if not isinstance(array, np.ndarray) or array.dtype != np.float64 or not array.flags.c_contiguous \
                or not array.flags.writeable or array.shape != shape:
            detail = (f"{type(array).__name__} {getattr(array, 'dtype', '')} {getattr(array, 'shape', '')}"
                      if isinstance(array, np.ndarray) else type(array).__name__)
            if isinstance(array, np.ndarray) and not array.flags.writeable:
                detail += " read-only"
            raise ValueError(_messages.OUT_ARRAYS.format(shape=shape, detail=detail))
    # Contiguous arrays overlap exactly when their bounds do: the quick test is exact here.
    for first in range(3):
        for second in range(first + 1, 3):
            if np.may_share_memory(arrays[first], arrays[second]):
                raise ValueError(_messages.OUT_OVERLAP.format(first=first, second=second))
    return tuple(array.reshape(-1) for array in arrays)


class Tyre(collections.abc.Mapping):
    """A tyre model set up from a parameter file or from 33 named
    parameters: model 1 is the continuous brush model, 2 the discrete one.

    A Tyre is a mapping of the 33 parameter names to their values
    (``dict(tyre)``, ``tyre.keys()``, ``"cx0" in tyre``); setting one
    (``tyre["cy0"] = 0.05``) sets the model up again.

    A Tyre is safe to share between threads: evaluations of one Tyre take
    turns, evaluations of different Tyres run side by side (the GIL is
    released while the model runs). A Tyre pickles as its parameters.

    Parameters
    ----------
    parameters : mapping of str to float, optional
        All 33 parameters by name (units as in a parameter file: stiffness
        [N/mm^3], lengths [mm], loads [N], speeds [mm/s]). None: an empty
        tyre that only ``read`` fills.
    model : int
        1 (continuous) or 2 (discrete).

    Raises
    ------
    ValueError
        A parameter is missing, unknown, not a finite number, a count or
        switch that is not whole, or the model does not accept the set.
    """

    def __init__(self, parameters: Optional[Mapping[str, float]] = None, model: int = 1) -> None:
        self._core = _gripsim.TyreCore()
        if parameters is not None:
            self._core.set_up(parameter_list(parameters), model_number(model))

    @classmethod
    def read(cls, path: Union[str, os.PathLike]) -> "Tyre":
        """Reads a parameter file.

        Parameters
        ----------
        path : str or path-like
            The parameter file.

        Returns
        -------
        Tyre

        Raises
        ------
        FileNotFoundError
            Nothing is there.
        IsADirectoryError
            path is a folder.
        ValueError
            The file's faults (file and line) when it is not accepted.
        """
        path = _files.existing_file(path)
        tyre = cls()
        tyre._core.read(path)
        return tyre

    @classmethod
    def from_parameters(cls, parameters: Mapping[str, float], model: int = 1) -> "Tyre":
        """A tyre from a mapping of the 33 named parameters and a model number (see Tyre)."""
        return cls(parameters, model)

    @classmethod
    def _from_list(cls, values, model):
        tyre = cls()
        tyre._core.set_up(list(values), float(model))
        return tyre

    def write(self, path: Union[str, os.PathLike]) -> None:
        """Writes the parameter file as gripsim and gripfit write it.

        Raises
        ------
        OSError
            The file could not be written.
        """
        path = os.fspath(path)
        if not self._core.write(path):
            raise OSError(_messages.NOT_WRITTEN.format(path=path))

    @property
    def model(self) -> int:
        """Model type: 1 continuous, 2 discrete."""
        return self._core.model_type

    @property
    def parameters(self) -> dict:
        """The 33 parameters by their common names, in file order."""
        return dict(zip(PARAMETER_NAMES, self._core.parameters))

    @property
    def written_names(self) -> list:
        """Names under which the model writes its parameters (the speed-table
        friction law renames the sliding friction pairs)."""
        return list(self._core.written_names)

    def __getitem__(self, name: str) -> float:
        return self._core.parameters[parameter_index(name)]

    def __setitem__(self, name: str, value: float) -> None:
        """Sets one parameter and sets the model up again; ValueError (and
        the tyre as it was) when the value is no finite number, a count or
        switch is not whole, or the model does not accept it."""
        self._core.set_parameter(parameter_index(name), _number(name, value))

    def __iter__(self) -> Iterator[str]:
        return iter(PARAMETER_NAMES)

    def __len__(self) -> int:
        return len(PARAMETER_NAMES)

    def __contains__(self, name: object) -> bool:
        return isinstance(name, str) and _gripsim.parameter_index(name) is not None

    def __getstate__(self):
        return {"parameters": self._core.parameters, "model": self._core.model_number}

    def __setstate__(self, state):
        self._core = _gripsim.TyreCore()
        self._core.set_up(list(state["parameters"]), float(state["model"]))

    def __eq__(self, other: object) -> bool:
        if not isinstance(other, Tyre):
            return NotImplemented
        return self.__getstate__() == other.__getstate__()

    __hash__ = None  # a Tyre changes when a parameter is set

    def __repr__(self) -> str:
        kind = {1: "continuous", 2: "discrete"}.get(self.model, "not set up")
        shown = ["cx0", "cy0", "mue0", "R"] + (["ni", "nj"] if self.model == 2 else [])
        values = ", ".join(f"{name}={self[name]!r}" for name in shown)
        return f"gripsim.Tyre(model={self.model} ({kind}), {values}, ... {len(self)} parameters)"

    def evaluate(self, slip: ArrayLike, slip_angle: ArrayLike, camber: ArrayLike, load: ArrayLike,
                 speed: ArrayLike, out: Optional[Sequence[np.ndarray]] = None) -> Forces:
        """Forces of the operating points by the batch path of the model.

        Parameters
        ----------
        slip : float or array_like
            Longitudinal slip [-].
        slip_angle : float or array_like
            Slip angle [deg].
        camber : float or array_like
            Camber angle [deg].
        load : float or array_like
            Vertical load [N].
        speed : float or array_like
            Speed [mm/s].
        out : three numpy.ndarray, optional
            Separate, writeable, C-contiguous float64 arrays of the broadcast
            shape to write the forces into (and return), as numpy's out=:
            repeated calls then reuse their memory.

        Returns
        -------
        Fx, Fy, Mz : float or numpy.ndarray
            Longitudinal and lateral force [N] and aligning moment [N*mm],
            each of the broadcast shape (floats for scalar input).

        Raises
        ------
        ValueError
            An argument holds no numbers (None, text), the arguments do not
            broadcast, or out is not as described.
        """
        shape, columns = _columns((slip, slip_angle, camber, load, speed))
        if out is not None:
            flat = _out_columns(out, shape)
            self._core.evaluate_into(*columns, *flat)
            return tuple(out)
        forces = self._core.evaluate(*columns)
        if shape == ():
            return tuple(float(f[0]) for f in forces)
        return tuple(f.reshape(shape) for f in forces)

    def evaluate_point(self, slip: float, slip_angle: float, camber: float, load: float,
                       speed: float) -> Tuple[float, float, float]:
        """Fx [N], Fy [N], Mz [N*mm] of one operating point (as for evaluate)
        by the scalar path of the model."""
        return self._core.evaluate_point(*self._point(slip, slip_angle, camber, load, speed))

    def contact_patch(self, slip: float, slip_angle: float, camber: float, load: float,
                      speed: float) -> ContactPatch:
        """Contact area [mm^2], half length and half width [mm] of one
        operating point (as for evaluate), as gripsim reports them for a
        single input."""
        return ContactPatch(*self._core.contact_patch(*self._point(slip, slip_angle, camber, load, speed)))

    def trace(self, slip, slip_angle, camber, load, speed):
        """The discrete model's per-point trace of one operating point: a
        dict of arrays, one entry per grid point in sweep order: x, y [mm],
        ux, uy [mm], pz, fx, fy [N], the numbers of the trace file at full
        precision, and the lateral column of the point ("column")."""
        table, column = self._core.trace(float(slip), float(slip_angle), float(camber), float(load), float(speed))
        trace = {name: table[:, k].copy() for k, name in enumerate(TRACE_COLUMNS)}
        trace["column"] = column
        return trace

    @staticmethod
    def _point(*values):
        return tuple(_scalar(name, value) for name, value in zip(_OPERATING_POINT, values))
