"""The golden map table, tests/app/golden_maps.txt, for the Python tests."""

import pathlib
from typing import NamedTuple

TABLE = pathlib.Path(__file__).resolve().parents[1] / "app" / "golden_maps.txt"

# The command's value options and the keyword each is in Python.
KEYWORDS = {"-s": "seed", "-b": "bumpiness", "-p": "pillars", "-c": "connectors"}


class GoldenMap(NamedTuple):
    arguments: str  # as written in the table, e.g. "-s 1 -p 0"
    sha256: str
    size: int
    keywords: dict  # the same arguments for qormap.generate


def _keywords(words):
    keywords = {}
    words = iter(words)
    for word in words:
        if word == "-d":
            keywords["debug"] = True
        elif word in KEYWORDS:
            keywords[KEYWORDS[word]] = int(next(words))
        else:
            raise ValueError(f"{TABLE}: no keyword for {word!r}")
    return keywords


def golden_maps():
    """Every line of the table, in order."""
    maps = []
    for line in TABLE.read_text().splitlines():
        if line.strip() and not line.startswith("#"):
            sha256, size, *words = line.split()
            maps.append(GoldenMap(" ".join(words), sha256, int(size), _keywords(words)))
    return maps


def golden_map(arguments):
    """The line recorded for `arguments`, e.g. golden_map("-s 1 -p 0")."""
    return next(entry for entry in golden_maps() if entry.arguments == arguments)
