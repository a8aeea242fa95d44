"""Packs the built module into a wheel and prints the wheel's path.

    make_wheel.py --module FILE --out DIR [--platform TAG] VERSION
    make_wheel.py --module FILE --out DIR --platform linux_ARCH --manylinux 2.Y --readelf READELF VERSION

The module is built on the stable ABI of the oldest CPython that
pyproject.toml's requires-python admits (cp39-abi3). The platform is this
interpreter's unless given. With --manylinux the wheel is
manylinux_2_X_ARCH, X the newest glibc symbol version the module needs
(PEP 600), and a module that needs a glibc newer than 2.Y, or anything a
manylinux system need not have, is refused.

Standard library only, so that a wheel can be made, and `pip install .` can
build one, on a machine with nothing but Debian's python3.
"""

import argparse
import base64
import hashlib
import pathlib
import re
import subprocess
import sys
import sysconfig
import zipfile

NAME = "qormap"
SOURCE = pathlib.Path(__file__).resolve().parent.parent
# Fixed stamps, so the same module always gives the same wheel.
ZIP_TIME = (1980, 1, 1, 0, 0, 0)

# What a manylinux system provides (PEP 600, from PEP 599's list): the C
# library's parts and libgcc_s, whose symbols up to GCC_4.7.0 every manylinux
# policy since manylinux2014 admits. The C++ runtime is linked in.
MANYLINUX_LIBRARIES = {"libc.so.6", "libm.so.6", "libpthread.so.0", "libdl.so.2", "librt.so.1",
                       "libgcc_s.so.1", "ld-linux-x86-64.so.2", "ld-linux-aarch64.so.1"}
NEWEST_GCC = (4, 7, 0)


def project(key):
    """A `key = "value"` line of pyproject.toml's [project] table."""
    text = (SOURCE / "pyproject.toml").read_text()
    return re.search(r'^%s = (?:\{text = )?"(.+?)"\}?$' % re.escape(key), text, re.M).group(1)


def python_tag():
    """cp3N for requires-python ">=3.N": the module's stable ABI is that version's."""
    return "cp3%s" % re.fullmatch(r">=3\.(\d+)", project("requires-python")).group(1)


def metadata(version):
    """The core metadata, for the wheel's METADATA and the sdist's PKG-INFO."""
    return (
        "Metadata-Version: 2.1\nName: %s\nVersion: %s\nSummary: %s\nLicense: %s\n"
        "Requires-Python: %s\n"
        % (NAME, version, project("description"), project("license"), project("requires-python"))
    )


def version_tuple(text):
    return tuple(int(part) for part in text.split("."))


def manylinux_glibc(module, readelf, newest):
    """The newest glibc (2, X) the module's symbols need; exits with one line
    saying why if it needs more than `newest` or what a manylinux system need
    not have."""
    def read(*options):
        return subprocess.run([readelf, "-W", *options, str(module)], check=True,
                              capture_output=True, text=True).stdout

    libraries = [library for library in
                 re.findall(r"\(NEEDED\)\s+Shared library: \[(.+?)\]", read("--dynamic"))
                 if library not in MANYLINUX_LIBRARIES]
    too_new, foreign, undefined = {}, {}, []
    # Never below manylinux2014's 2.17: older systems are not claimed.
    glibc = (2, 17)
    for line in read("--dyn-syms").splitlines():
        fields = line.split()
        if len(fields) < 8 or fields[6] != "UND":
            continue
        # A version is needed to load the module even when its only symbols are weak.
        symbol, _, needed = fields[7].partition("@")
        glibc_version = re.fullmatch(r"GLIBC_(2\.[\d.]+)", needed)
        gcc_version = re.fullmatch(r"GCC_([\d.]+)", needed)
        if glibc_version:
            glibc = max(glibc, version_tuple(glibc_version.group(1))[:2])
            if version_tuple(glibc_version.group(1)) > newest:
                too_new.setdefault(needed, symbol)
        elif gcc_version and version_tuple(gcc_version.group(1)) <= NEWEST_GCC:
            pass
        elif needed:
            foreign.setdefault(needed, symbol)
        elif fields[4] != "WEAK" and not symbol.startswith(("Py", "_Py")):
            undefined.append(symbol)

    def listed(versions):
        return ", ".join("%s (%s)" % item for item in sorted(versions.items()))

    faults = []
    if libraries:
        faults.append("links %s, which a manylinux system need not have" % ", ".join(libraries))
    if too_new:
        faults.append("needs %s, newer than glibc %d.%d" % ((listed(too_new),) + newest))
    if foreign:
        faults.append("needs %s: link that library in" % ", ".join(sorted(foreign)))
    if undefined:
        faults.append("needs %s, which no library it links defines" % ", ".join(sorted(undefined)))
    if faults:
        sys.exit("make_wheel.py: %s %s" % (module.name, "; ".join(faults)))
    return glibc


def record_line(path, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return "%s,sha256=%s,%d" % (path, digest, len(data))


def write_wheel(module, out, version, platform):
    tag = "%s-abi3-%s" % (python_tag(), platform)
    info = "%s-%s.dist-info" % (NAME, version)
    files = {
        module.name: module.read_bytes(),
        info + "/METADATA": metadata(version).encode(),
        info + "/WHEEL": (
            "Wheel-Version: 1.0\nGenerator: qormap make_wheel.py\nRoot-Is-Purelib: false\n"
            "Tag: %s\n" % tag
        ).encode(),
        info + "/LICENSE": (SOURCE / "LICENSE").read_bytes(),
    }
    record = [record_line(path, data) for path, data in files.items()]
    files[info + "/RECORD"] = ("\n".join(record + [info + "/RECORD,,"]) + "\n").encode()
    # One wheel in the folder: the build's latest.
    for old in out.glob("%s-*.whl" % NAME):
        old.unlink()
    target = out / ("%s-%s-%s.whl" % (NAME, version, tag))
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
    parser.add_argument("--module", type=pathlib.Path, required=True)
    parser.add_argument("--out", type=pathlib.Path, required=True)
    parser.add_argument("--platform", default=sysconfig.get_platform().replace("-", "_").replace(".", "_"))
    parser.add_argument("--manylinux", type=version_tuple)
    parser.add_argument("--readelf", default="readelf")
    arguments = parser.parse_args()
    platform = arguments.platform
    if arguments.manylinux:
        if not platform.startswith("linux_"):
            parser.error("--manylinux needs a linux_ARCH platform, not %s" % platform)
        glibc = manylinux_glibc(arguments.module, arguments.readelf, arguments.manylinux)
        platform = "manylinux_%d_%d_%s" % (glibc + (platform[len("linux_"):],))
    arguments.out.mkdir(parents=True, exist_ok=True)
    print(write_wheel(arguments.module, arguments.out, arguments.version, platform))


if __name__ == "__main__":
    main()
