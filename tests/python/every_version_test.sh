#!/usr/bin/env bash
# Runs the module's tests under every CPython that pyproject.toml's
# requires-python admits, each importing the one stable-ABI module. The
# interpreters are pyenv's: each minor version from the oldest admitted to
# 3.13 must be there; newer ones run too. Without pyenv: skipped (77), saying so.
# Usage: every_version_test.sh MODULE_DIR SOURCE_DIR
set -euo pipefail
modules=$1 source=$2
oldest=$(sed -n 's/^requires-python = ">=3\.\([0-9][0-9]*\)"$/\1/p' "$source/pyproject.toml")
[ -n "$oldest" ] || { echo "no requires-python \">=3.N\" in pyproject.toml" >&2; exit 1; }
root=$(pyenv root 2>/dev/null || echo "${PYENV_ROOT:-$HOME/.pyenv}")
[ -d "$root/versions" ] || { echo "pyenv is not installed: no CPython but the build's was tested"; exit 77; }

declare -A interpreters=() # minor version: the newest patch release's python3
for python in $(printf '%s\n' "$root"/versions/3.*/bin/python3 | sort -V); do
  [[ $python =~ /3\.([0-9]+)\.[0-9]+/bin/python3$ ]] && ((BASH_REMATCH[1] >= oldest)) &&
    interpreters[${BASH_REMATCH[1]}]=$python
done
for ((minor = oldest; minor <= 13; minor++)); do
  [ -n "${interpreters[$minor]-}" ] || { echo "pyenv has no CPython 3.$minor" >&2; exit 1; }
done
failed=0
for minor in $(printf '%s\n' "${!interpreters[@]}" | sort -n); do
  echo "== $("${interpreters[$minor]}" --version)"
  PYTHONPATH=$modules "${interpreters[$minor]}" -X dev "$source/tests/python/qormap_test.py" || failed=1
done
exit "$failed"
