"""The build backend `pip install .` uses (pyproject.toml): the project's own
CMake build of the module alone, so the compile rules that keep maps identical
everywhere hold, and python/make_wheel.py packs it. It needs nothing from the
network: no setuptools, no wheel; cmake, a C++ compiler and the interpreter's
headers (Debian: cmake g++ python3-dev).

CMAKE_BUILD_PARALLEL_LEVEL and CMAKE_<LANG>_COMPILER_LAUNCHER in the
environment reach the build as usual.
"""

import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

SOURCE = pathlib.Path(__file__).resolve().parent.parent


def get_requires_for_build_wheel(config_settings=None):
    return []


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    with tempfile.TemporaryDirectory(prefix="qormap-build-") as build:
        configure = ["cmake", "-S", str(SOURCE), "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                     "-DQORMAP_PYTHON_ONLY=ON", "-DPython3_EXECUTABLE=" + sys.executable]
        if shutil.which("ninja"):
            configure += ["-G", "Ninja"]
        subprocess.run(configure, check=True, stdout=sys.stderr)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL") or str(os.cpu_count() or 1)
        subprocess.run(["cmake", "--build", build, "--target", "qormap_wheel", "--parallel", jobs],
                       check=True, stdout=sys.stderr)
        (wheel,) = pathlib.Path(build).glob("*.whl")
        shutil.copy(wheel, wheel_directory)
        return wheel.name
