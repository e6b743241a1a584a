"""Shared fixtures: where the reference cases and the built programs are."""

import os
import pathlib
import shutil

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]
GOLDEN = pathlib.Path(os.environ.get("GRIP_GOLDEN_DIR", ROOT / "tests" / "golden"))
EXAMPLES = pathlib.Path(os.environ.get("GRIP_EXAMPLES_DIR", ROOT / "examples"))
RUNNER_CASES = sorted(p.name for p in (GOLDEN / "runner").iterdir() if p.is_dir())
FIT_CASES = sorted(p.name for p in (GOLDEN / "fit").iterdir() if p.is_dir())


@pytest.fixture
def case_copy(tmp_path):
    """Copies a reference case (its files, not its expected outputs) into a
    temporary folder and returns that folder."""

    def copy(kind, name):
        folder = tmp_path / name
        shutil.copytree(GOLDEN / kind / name, folder, ignore=shutil.ignore_patterns("expected"))
        return folder

    return copy


@pytest.fixture
def gripfit():
    """The built gripfit program, as CTest names it."""
    program = os.environ.get("GRIP_GRIPFIT")
    if not program or not os.path.isfile(program):
        pytest.skip("GRIP_GRIPFIT names no built gripfit (run through ctest)")
    return os.path.abspath(program)
