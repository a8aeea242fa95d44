"""Packs the built module into a wheel for the interpreter that runs this.

    make_wheel.py --name VERSION                     print the wheel's file name
    make_wheel.py --module FILE --out DIR VERSION    write DIR/<that name>

Standard library only, so that a wheel can be made, and `pip install .` can
build one, on a machine with nothing but Debian's python3.
"""

import argparse
import base64
import hashlib
import pathlib
import re
import sys
import sysconfig
import zipfile

NAME = "qormap"
SUMMARY = "Maps for a voxel game (512 x 512 x 64, VXL), generated in memory from a seed"
# Fixed stamps, so the same module always gives the same wheel.
ZIP_TIME = (1980, 1, 1, 0, 0, 0)


def tag():
    """The interpreter, ABI and platform tag of a compiled CPython module."""
    python = "cp%d%d" % sys.version_info[:2]
    platform = sysconfig.get_platform().replace("-", "_").replace(".", "_")
    return "%s-%s-%s" % (python, python, platform)


def requires_python():
    """pyproject.toml's requires-python, the CPython versions the tests run on."""
    pyproject = pathlib.Path(__file__).resolve().parent.parent / "pyproject.toml"
    return re.search(r'^requires-python = "(.+)"$', pyproject.read_text(), re.M).group(1)


def wheel_name(version):
    return "%s-%s-%s.whl" % (NAME, version, tag())


def record_line(path, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return "%s,sha256=%s,%d" % (path, digest, len(data))


def write_wheel(module, out, version):
    info = "%s-%s.dist-info" % (NAME, version)
    files = {
        module.name: module.read_bytes(),
        info + "/METADATA": (
            "Metadata-Version: 2.1\nName: %s\nVersion: %s\nSummary: %s\n"
            "Requires-Python: %s,==%d.%d.*\n"
            % ((NAME, version, SUMMARY, requires_python()) + sys.version_info[:2])
        ).encode(),
        info + "/WHEEL": (
            "Wheel-Version: 1.0\nGenerator: qormap make_wheel.py\nRoot-Is-Purelib: false\n"
            "Tag: %s\n" % tag()
        ).encode(),
    }
    record = [record_line(path, data) for path, data in files.items()]
    files[info + "/RECORD"] = ("\n".join(record + [info + "/RECORD,,"]) + "\n").encode()
    target = out / wheel_name(version)
    with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as wheel:
        for path, data in files.items():
            entry = zipfile.ZipInfo(path, ZIP_TIME)
            entry.external_attr = (0o755 if path == module.name else 0o644) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            wheel.writestr(entry, data)
    return target


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("version")
    parser.add_argument("--name", action="store_true")
    parser.add_argument("--module", type=pathlib.Path)
    parser.add_argument("--out", type=pathlib.Path)
    arguments = parser.parse_args()
    if arguments.name:
        print(wheel_name(arguments.version))
    else:
        write_wheel(arguments.module, arguments.out, arguments.version)


if __name__ == "__main__":
    main()
