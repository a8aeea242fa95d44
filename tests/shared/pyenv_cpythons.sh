#!/usr/bin/env bash
# Prints "MINOR PYTHON" for every CPython minor version that pyenv has and
# pyproject.toml's requires-python admits, the newest patch release of each,
# oldest first. Fails, naming it, when one of 3.OLDEST to 3.13 is missing;
# exits 77 when pyenv is not installed.
# Usage: pyenv_cpythons.sh SOURCE_DIR
set -euo pipefail
source=$1
oldest=$(sed -n 's/^requires-python = ">=3\.\([0-9][0-9]*\)"$/\1/p' "$source/pyproject.toml")
[ -n "$oldest" ] || { echo "no requires-python \">=3.N\" in pyproject.toml" >&2; exit 1; }
root=$(pyenv root 2>/dev/null || echo "${PYENV_ROOT:-$HOME/.pyenv}")
[ -d "$root/versions" ] || { echo "pyenv is not installed" >&2; exit 77; }

declare -A interpreters=()
for python in $(printf '%s\n' "$root"/versions/3.*/bin/python3 | sort -V); do
  [[ $python =~ /3\.([0-9]+)\.[0-9]+/bin/python3$ ]] && ((BASH_REMATCH[1] >= oldest)) &&
    interpreters[${BASH_REMATCH[1]}]=$python
done
for ((minor = oldest; minor <= 13; minor++)); do
  [ -n "${interpreters[$minor]-}" ] || { echo "pyenv has no CPython 3.$minor" >&2; exit 1; }
done
for minor in $(printf '%s\n' "${!interpreters[@]}" | sort -n); do
  echo "$minor ${interpreters[$minor]}"
done
