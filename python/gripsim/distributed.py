"""Many fits at once: in this process or on a Dask cluster."""

import concurrent.futures
import os

from . import _messages
from .fitting import fit

_PATH_KEYS = ("start", "target")


def _portable(job, index):
    """A job with its file names made absolute, so that a worker whose
    working folder differs reads the same files."""
    if not isinstance(job, dict):
        raise TypeError(_messages.JOB_NOT_MAPPING.format(index=index, kind=type(job).__name__))
    job = dict(job)
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
    return job


def _run_job(job):
    return fit(**job)


def fit_many(jobs, client=None, threads=1):
    """Runs one grip.fit per job (each job is a dict of grip.fit's keyword
    arguments) and returns the FitResults in the order of the jobs.

    With a dask.distributed Client, each job is one task (pure=False) on the
    cluster. Without one, the jobs run in this process: one after the other,
    or on a pool of `threads` threads (the fits release the GIL)."""
    jobs = [_portable(job, index) for index, job in enumerate(jobs, start=1)]
    if client is not None:
        futures = [client.submit(_run_job, job, pure=False) for job in jobs]
        return client.gather(futures)
    if threads is None or threads <= 1:
        return [_run_job(job) for job in jobs]
    with concurrent.futures.ThreadPoolExecutor(max_workers=threads) as pool:
        return list(pool.map(_run_job, jobs))
