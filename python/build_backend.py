"""The build backend `pip install .` uses (pyproject.toml): the project's own
CMake build of the module alone, so the compile rules that keep maps identical
everywhere hold, and python/make_wheel.py packs it. It needs nothing from the
network: no setuptools, no wheel; cmake, a C++ compiler and the interpreter's
headers (Debian: cmake g++ python3-dev). It also makes the source
distribution (`python3 -m build --sdist`), from which pip builds the same way.

CMAKE_BUILD_PARALLEL_LEVEL and CMAKE_<LANG>_COMPILER_LAUNCHER in the
environment reach the build as usual.
"""

import gzip
import io
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tarfile
import tempfile

import make_wheel

SOURCE = pathlib.Path(__file__).resolve().parent.parent
# What the module's build reads, and the licence and the introduction.
SDIST_FILES = ["CMakeLists.txt", "pyproject.toml", "LICENSE", "README.md",
               "api", "app", "cmake", "include", "platform", "python", "random", "support",
               "vxl", "world"]


def project_version():
    text = (SOURCE / "CMakeLists.txt").read_text()
    return re.search(r"^project\(qormap VERSION ([0-9.]+)", text, re.M).group(1)


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
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
        (wheel,) = pathlib.Path(build, "dist").glob("*.whl")
        shutil.copy(wheel, wheel_directory)
        return wheel.name


def sdist_paths():
    for name in SDIST_FILES:
        path = SOURCE / name
        if path.is_dir():
            yield from (found for found in path.rglob("*")
                        if found.is_file() and "__pycache__" not in found.parts)
        else:
            yield path


def build_sdist(sdist_directory, config_settings=None):
    version = project_version()
    top = "qormap-%s" % version
    target = pathlib.Path(sdist_directory) / (top + ".tar.gz")
    # Fixed owners and stamps, as the wheel's: the same tree gives the same file.
    stamp = 315532800  # 1980-01-01, the wheel's

    def entry(name, size, mode):
        info = tarfile.TarInfo("%s/%s" % (top, name))
        info.size, info.mode, info.mtime = size, mode, stamp
        return info

    with open(target, "wb") as raw, gzip.GzipFile(fileobj=raw, mode="wb", mtime=0) as packed, \
            tarfile.open(fileobj=packed, mode="w", format=tarfile.PAX_FORMAT) as tar:
        for path in sorted(sdist_paths()):
            data = path.read_bytes()
            mode = 0o755 if os.access(path, os.X_OK) else 0o644
            tar.addfile(entry(path.relative_to(SOURCE).as_posix(), len(data), mode), io.BytesIO(data))
        info = make_wheel.metadata(version).encode()
        tar.addfile(entry("PKG-INFO", len(info), 0o644), io.BytesIO(info))
    return target.name
