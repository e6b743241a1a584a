"""The bootstrap over the sweeps: how far the fitted design moves when the
measurement files are drawn again, with replacement, and fitted anew."""

from __future__ import annotations

import os
from typing import Any, List, Mapping, Optional, Sequence, Tuple, Union

import numpy as np

from . import _messages
from .distributed import fit_many
from ._numbers import whole_number
from .fitting import PathLike, Problem, search_options
from .tyre import Tyre

#: The percentiles of the bootstrap interval [%].
PERCENTILES = (2.5, 97.5)


def _whole(name: str, value: Any, low: int) -> int:
    """A whole number of low or more (a whole float counts, a boolean does not)."""
    try:
        number = whole_number(value)
    except TypeError:
        raise ValueError(_messages.BOOTSTRAP_COUNT.format(name=name, low=low, value=value)) from None
    if number < low:
        raise ValueError(_messages.BOOTSTRAP_COUNT.format(name=name, low=low, value=value))
    return number


def _entries(problem: Problem) -> List[Tuple[str, np.ndarray, int, float]]:
    """(name, points, direction, speed) of each measurement file as the core
    read and accepted it for the problem."""
    core = problem._core
    data = core.measurements
    entries, at = [], 0
    for name, points, direction, speed in zip(core.target_names, core.points_per_target, core.directions_per_target,
                                              core.speeds_per_target):
        entries.append((name, data[at:at + points], direction, speed))
        at += points
    return entries


def bootstrap(start: Optional[PathLike] = None, target: Optional[PathLike] = None, *,
              tyre: Union[Tyre, PathLike, None] = None, design: Optional[Mapping[str, Tuple[float, float]]] = None,
              targets: Optional[Sequence[Mapping[str, Any]]] = None, resamples: int = 100, seed: int = 0,
              client: Any = None, threads: int = 0, method: Optional[str] = None, starts: int = 0,
              fit_seed: int = 1, max_evals: int = 0):
    """Bootstrap of the fit over its measurement files: each resample draws
    as many files as the targets hold, with replacement (whole files, so
    that the points of one sweep, which share its rig run, stay together),
    and is fitted as the whole set is.

    Parameters
    ----------
    start, target, tyre, design, targets
        The design and the targets, as for gripsim.Problem.
    resamples : int
        Resampled fits, 2 or more.
    seed : int
        Seed of the draws, 0 or more: the same seed, the same frame, on any
        number of threads or workers.
    client : dask.distributed.Client, optional
        Runs the fits on the cluster, one task each, as fit_many does; None
        runs them in this process on `threads` threads.
    threads : int
        Threads of the fits in this process, 0 (the machine's cores) or more.
    method, starts, fit_seed, max_evals
        The search of every fit, as gripsim.fit's method, starts, seed and
        max_evals; each fit searches on one thread.

    Returns
    -------
    pandas.DataFrame
        The fit's own result.uncertainty (name, value, standard_error,
        low95, high95, determined, bound, reason), one row per design
        variable, with the bootstrap beside it: bootstrap_standard_error
        (the spread of the resampled values, ddof=1), bootstrap_low95 and
        bootstrap_high95 (their 2.5 and 97.5 % percentiles), in the
        variable's unit. ``frame.attrs`` holds "result" (the FitResult of
        the whole set), "designs" (one row of design values per resample, a
        DataFrame), "resamples" and "seed".

    Raises
    ------
    ValueError
        resamples, seed or threads that is not a whole number in its range
        (named, with its value), fewer than two measurement files, a bad
        search option or design or targets (the library's messages).
    JobError
        A fit failed (the first in order; its error as cause).
    FileNotFoundError, IsADirectoryError
        A file named is not there, or is a folder.
    """
    import pandas

    resamples = _whole("resamples", resamples, 2)
    seed = _whole("seed", seed, 0)
    threads = _whole("threads", threads, 0)
    options = search_options(method=method, starts=starts, seed=fit_seed, max_evals=max_evals, threads=1)
    options["method"] = options["method"] or None
    problem = Problem(start, target, tyre=tyre, design=design, targets=targets)
    entries = _entries(problem)
    if len(entries) < 2:
        raise ValueError(_messages.BOOTSTRAP_FILES.format(count=len(entries)))
    if start is not None:
        design_source = dict(start=start)
    else:
        design_source = dict(tyre=tyre if isinstance(tyre, Tyre) else Tyre.read(tyre), design=dict(design))

    draws = np.random.default_rng(seed).integers(0, len(entries), size=(resamples, len(entries)))
    whole_set = dict(targets=targets) if targets is not None else dict(target=target)
    jobs = [dict(design_source, **whole_set, name="the whole set", **options)]
    for r, drawn in enumerate(draws, start=1):
        chosen = [entries[i] for i in drawn]
        jobs.append(dict(design_source, targets=[dict(name=n, data=d, direction=k, speed=v) for n, d, k, v in chosen],
                         name=f"resample {r}", **options))
    results = fit_many(jobs, client=client, threads=threads or (os.cpu_count() or 1))
    whole, fits = results[0], results[1:]

    names = problem.names
    designs = pandas.DataFrame([[fit.design[name] for name in names] for fit in fits], columns=names)
    values = designs.to_numpy()
    low, high = np.percentile(values, PERCENTILES, axis=0)
    frame = whole.uncertainty
    frame["bootstrap_standard_error"] = values.std(axis=0, ddof=1)
    frame["bootstrap_low95"] = low
    frame["bootstrap_high95"] = high
    frame.attrs.update(result=whole, designs=designs, resamples=resamples, seed=seed)
    return frame
