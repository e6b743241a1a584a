"""Many fits at once: in this process or on a Dask cluster."""

from __future__ import annotations

import asyncio
import concurrent.futures
import os
from typing import Any, List, Mapping, Optional, Sequence, Union

from . import _messages
from .fitting import FitResult, fit

_PATH_KEYS = ("start", "target")
_ERRORS = ("raise", "return")


class JobError(Exception):
    """A job of fit_many that failed, named by its number (from 1) and, where
    the job gave one, its "name".

    Attributes
    ----------
    job : int
        The job's number, from 1, in the order of the jobs.
    name : str or None
        The job's "name".
    error : BaseException
        What the fit raised (also the exception's __cause__).
    results : list
        With errors="raise": every job's slot, its FitResult or its JobError,
        so that no result is lost.
    """

    def __init__(self, job: int, name: Optional[str], error: BaseException) -> None:
        label = f"{job} ({name})" if name is not None else str(job)
        # An OSError's own text, without the number and the file name repeated.
        text = error.strerror if isinstance(error, OSError) and error.strerror else error
        super().__init__(_messages.JOB_FAILED.format(job=label, kind=type(error).__name__, error=text))
        self.job = job
        self.name = name
        self.error = error
        self.results: List[Union[FitResult, "JobError"]] = []
        self.__cause__ = error

    def __reduce__(self):
        return (JobError, (self.job, self.name, self.error))


def _portable(job, index):
    """A job with its file names made absolute, so that a worker whose
    working folder differs reads the same files; its name apart."""
    if not isinstance(job, Mapping):
        raise TypeError(_messages.JOB_NOT_MAPPING.format(index=index, kind=type(job).__name__))
    job = dict(job)
    name = job.pop("name", None)
    for key in _PATH_KEYS:
        if isinstance(job.get(key), (str, os.PathLike)):
            job[key] = os.path.abspath(job[key])
    if isinstance(job.get("tyre"), (str, os.PathLike)):
        job["tyre"] = os.path.abspath(job["tyre"])
    if job.get("targets") is not None:
        targets = []
        for entry in job["targets"]:
            entry = dict(entry)
            if isinstance(entry.get("data"), (str, os.PathLike)):
                entry["data"] = os.path.abspath(entry["data"])
            targets.append(entry)
        job["targets"] = targets
    return job, (None if name is None else str(name))


def _run_job(job):
    return fit(**job)


def _outcome(call):
    """The result of call(), or the exception it raised (a lost Dask task
    raises CancelledError, which is no Exception)."""
    try:
        return call()
    except (Exception, asyncio.CancelledError) as error:
        return error


def fit_many(jobs: Sequence[Mapping[str, Any]], client: Any = None, errors: str = "raise",
             threads: int = 1) -> List[Union[FitResult, JobError]]:
    """Runs one gripsim.fit per job and returns the outcomes in job order.

    Parameters
    ----------
    jobs : sequence of dict
        Each job is a dict of gripsim.fit's keyword arguments, and may hold
        a "name" for its messages.
    client : dask.distributed.Client, optional
        Each job is one task on the cluster (pure=False); a task whose worker
        was lost runs once more (retries=1) before it counts as failed.
        None: the jobs run in this process, one after the other or on
        `threads` threads (the fits release the GIL).
    errors : {"raise", "return"}
        A failed job: "raise" raises its JobError once every job has ended
        (the first failed in job order; its ``results`` holds every slot);
        "return" leaves the JobError in the job's slot.
    threads : int
        Threads of the in-process run.

    Returns
    -------
    list of FitResult (or JobError, with errors="return")

    Raises
    ------
    JobError
        With errors="raise", naming the job that failed, its error as cause.
    TypeError
        A job is not a dict.
    ValueError
        errors is neither "raise" nor "return".
    """
    if errors not in _ERRORS:
        raise ValueError(_messages.ERRORS_MODE.format(value=errors))
    portable = [_portable(job, index) for index, job in enumerate(jobs, start=1)]
    if client is not None:
        futures = [client.submit(_run_job, job, pure=False, retries=1) for job, _ in portable]
        outcomes = [_outcome(future.result) for future in futures]
    elif threads is None or threads <= 1:
        outcomes = [_outcome(lambda job=job: _run_job(job)) for job, _ in portable]
    else:
        with concurrent.futures.ThreadPoolExecutor(max_workers=threads) as pool:
            futures = [pool.submit(_run_job, job) for job, _ in portable]
            outcomes = [_outcome(future.result) for future in futures]
    results = [outcome if isinstance(outcome, FitResult) else JobError(index, name, outcome)
               for index, (outcome, (_, name)) in enumerate(zip(outcomes, portable), start=1)]
    if errors == "raise":
        for result in results:
            if isinstance(result, JobError):
                result.results = results
                raise result
    return results
