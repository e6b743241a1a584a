"""Builds the Python package gripsim: the extension gripsim._gripsim through
the project's CMake build (the model and fit libraries with it), the Python
files from python/gripsim. Works offline with Debian's setuptools:

    /usr/bin/python3 -m pip install --no-build-isolation .

The version is the project's, written once in project(... VERSION) of the
top CMakeLists.txt: this file reads it from there (pyproject.toml declares
it dynamic) and the extension carries it as gripsim.__version__.
"""

import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent


def project_version():
    """The VERSION of project() in the top CMakeLists.txt."""
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    found = re.search(r"^project\(\s*\w+\s+VERSION\s+([0-9][0-9.]*)", text, re.MULTILINE)
    if found is None:
        raise RuntimeError("CMakeLists.txt: no project(... VERSION x.y.z) line")
    return found.group(1)


class CMakeExtension(Extension):
    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    """Configures the project with only the Python module on, builds the
    extension target and puts it where setuptools expects it."""

    def build_extension(self, ext):
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        build.mkdir(parents=True, exist_ok=True)
        configure = [
            "cmake", "-S", str(ROOT), "-B", str(build),
            "-DCMAKE_BUILD_TYPE=Release",
            f"-DPython_EXECUTABLE={sys.executable}",
            "-DGRIP_BUILD_PYTHON=ON",
            "-DGRIP_BUILD_TESTS=OFF",
            "-DGRIP_BUILD_BENCH=OFF",
            "-DGRIP_BUILD_OCTAVE_MEX=OFF",
            "-DGRIP_BUILD_MATLAB_MEX=OFF",
            "-DGRIP_SANITIZE=OFF",
        ]
        subprocess.run(configure, check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.run(["cmake", "--build", str(build), "--target", "_gripsim", "-j", jobs], check=True)
        built = next((build / "python" / "gripsim").glob("_gripsim*.so"))
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(
    version=project_version(),
    packages=["gripsim"],
    package_dir={"gripsim": "python/gripsim"},
    package_data={"gripsim": ["py.typed"]},
    ext_modules=[CMakeExtension("gripsim._gripsim")],
    cmdclass={"build_ext": CMakeBuild},
    zip_safe=False,
)
