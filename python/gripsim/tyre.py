"""The tyre: 33 named parameters and a model type, evaluated with numpy."""

import collections
import os

import numpy as np

from . import _grip, _messages

#: The 33 parameter names in file order.
PARAMETER_NAMES = tuple(_grip.parameter_names())

#: Contact patch of one operating point: area [mm^2], half length h and half width b [mm].
ContactPatch = collections.namedtuple("ContactPatch", ["area", "half_length", "half_width"])

#: Columns of the discrete model's per-point trace, as its trace file gives them.
TRACE_COLUMNS = ("x", "y", "ux", "uy", "pz", "fx", "fy")


def parameter_index(name):
    """Position of a parameter by name (common name, or the name a sliding
    friction pair has under the speed-table law); KeyError when unknown."""
    index = _grip.parameter_index(str(name))
    if index is None:
        raise KeyError(_messages.UNKNOWN_PARAMETER.format(name=name, names=", ".join(PARAMETER_NAMES)))
    return index


def _number(name, value):
    try:
        return float(value)
    except (TypeError, ValueError):
        raise ValueError(_messages.PARAMETER_NOT_A_NUMBER.format(name=name, value=value)) from None


def parameter_list(mapping):
    """The 33 values of a mapping by name, in file order; ValueError naming
    the missing and the unknown names."""
    values = [None] * len(PARAMETER_NAMES)
    unknown = []
    for name, value in mapping.items():
        index = _grip.parameter_index(str(name))
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


def _columns(arguments):
    """The five operating-point arguments broadcast to one shape, as flat
    contiguous float columns (no copy where they already are)."""
    try:
        arrays = [np.asarray(a, dtype=np.float64) for a in arguments]
    except (TypeError, ValueError) as fault:
        raise ValueError(_messages.NOT_NUMBERS.format(what="the operating point", detail=fault)) from None
    shapes = {a.shape for a in arrays}
    if len(shapes) > 1:
        try:
            arrays = np.broadcast_arrays(*arrays)
        except ValueError as fault:
            raise ValueError(_messages.NOT_BROADCASTABLE.format(detail=fault)) from None
    shape = arrays[0].shape
    return shape, [np.ascontiguousarray(a).reshape(-1) for a in arrays]


def _out_columns(out, shape):
    """The three result arrays of evaluate(out=...) as flat views of the same memory."""
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
            raise ValueError(_messages.OUT_ARRAYS.format(shape=shape, detail=detail))
    return tuple(array.reshape(-1) for array in arrays)


class Tyre:
    """A tyre model set up from a parameter file or from 33 named
    parameters: model 1 is the continuous brush model, 2 the discrete one.

    A Tyre is safe to share between threads: evaluations of one Tyre take
    turns, evaluations of different Tyres run side by side (the GIL is
    released while the model runs). A Tyre pickles as its parameters."""

    def __init__(self, parameters=None, model=1):
        self._core = _grip.TyreCore()
        if parameters is not None:
            self._core.set_up(parameter_list(parameters), float(model))

    @classmethod
    def read(cls, path):
        """Reads a parameter file; FileNotFoundError when there is none,
        ValueError with the file's faults (file and line) when it is not accepted."""
        path = os.fspath(path)
        if not os.path.isfile(path):
            raise FileNotFoundError(2, _messages.FILE_NOT_FOUND.format(path=path), path)
        tyre = cls()
        tyre._core.read(path)
        return tyre

    @classmethod
    def from_parameters(cls, parameters, model=1):
        """A tyre from a mapping of the 33 named parameters and a model number."""
        return cls(parameters, model)

    @classmethod
    def _from_list(cls, values, model):
        tyre = cls()
        tyre._core.set_up(list(values), float(model))
        return tyre

    def write(self, path):
        """Writes the parameter file as gripsim and gripfit write it."""
        path = os.fspath(path)
        if not self._core.write(path):
            raise OSError(_messages.NOT_WRITTEN.format(path=path))

    @property
    def model(self):
        """Model type: 1 continuous, 2 discrete."""
        return self._core.model_type

    @property
    def parameters(self):
        """The 33 parameters by their common names, in file order."""
        return dict(zip(PARAMETER_NAMES, self._core.parameters))

    @property
    def written_names(self):
        """Names under which the model writes its parameters (the speed-table
        friction law renames the sliding friction pairs)."""
        return list(self._core.written_names)

    def __getitem__(self, name):
        return self._core.parameters[parameter_index(name)]

    def __setitem__(self, name, value):
        """Sets one parameter and sets the model up again; ValueError (and
        the tyre as it was) when the model does not accept it."""
        self._core.set_parameter(parameter_index(name), _number(name, value))

    def __iter__(self):
        return iter(PARAMETER_NAMES)

    def __len__(self):
        return len(PARAMETER_NAMES)

    def __getstate__(self):
        return {"parameters": self._core.parameters, "model": self._core.model_number}

    def __setstate__(self, state):
        self._core = _grip.TyreCore()
        self._core.set_up(list(state["parameters"]), float(state["model"]))

    def __eq__(self, other):
        if not isinstance(other, Tyre):
            return NotImplemented
        return self.__getstate__() == other.__getstate__()

    def __repr__(self):
        return f"grip.Tyre(model={self.model}, cx0={self['cx0']!r}, cy0={self['cy0']!r}, ...)"

    def evaluate(self, slip, slip_angle, camber, load, speed, out=None):
        """Fx [N], Fy [N], Mz [N*mm] of slip [-], slip angle [deg], camber
        [deg], load [N] and speed [mm/s]: scalars or arrays that broadcast;
        each result has the broadcast shape. out: three float64 arrays of
        that shape to write the forces into (and return), as numpy's out=:
        repeated calls then reuse their memory."""
        shape, columns = _columns((slip, slip_angle, camber, load, speed))
        if out is not None:
            flat = _out_columns(out, shape)
            self._core.evaluate_into(*columns, *flat)
            return tuple(out)
        forces = self._core.evaluate(*columns)
        if shape == ():
            return tuple(float(f[0]) for f in forces)
        return tuple(f.reshape(shape) for f in forces)

    def evaluate_point(self, slip, slip_angle, camber, load, speed):
        """The forces of one operating point by the scalar path of the model."""
        return self._core.evaluate_point(float(slip), float(slip_angle), float(camber), float(load), float(speed))

    def contact_patch(self, slip, slip_angle, camber, load, speed):
        """Contact area [mm^2], half length and half width [mm] of one
        operating point, as gripsim reports them for a single input."""
        return ContactPatch(*self._core.contact_patch(float(slip), float(slip_angle), float(camber), float(load),
                                                      float(speed)))

    def trace(self, slip, slip_angle, camber, load, speed):
        """The discrete model's per-point trace of one operating point: a
        dict of arrays, one entry per grid point in sweep order: x, y [mm],
        ux, uy [mm], pz, fx, fy [N] as the trace file gives them (seven
        significant digits) and the lateral column of the point ("column")."""
        table, column = self._core.trace(float(slip), float(slip_angle), float(camber), float(load), float(speed))
        trace = {name: table[:, k].copy() for k, name in enumerate(TRACE_COLUMNS)}
        trace["column"] = column
        return trace
