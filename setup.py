"""Builds the Python package grip: the extension grip._grip through the
project's CMake build (the model and fit libraries with it), the Python
files from python/grip. Works offline with Debian's setuptools:

    /usr/bin/python3 -m pip install --no-build-isolation .
"""

import os
import pathlib
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent


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
        subprocess.run(["cmake", "--build", str(build), "--target", "_grip", "-j", jobs], check=True)
        built = next((build / "python" / "grip").glob("_grip*.so"))
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(
    packages=["grip"],
    package_dir={"grip": "python/grip"},
    ext_modules=[CMakeExtension("grip._grip")],
    cmdclass={"build_ext": CMakeBuild},
    zip_safe=False,
)
