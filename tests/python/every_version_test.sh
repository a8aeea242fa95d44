#!/usr/bin/env bash
# Runs the module's tests under every CPython that pyproject.toml's
# requires-python admits, each importing the one module built on the stable
# ABI. The interpreters are pyenv's: each minor version from the oldest
# admitted to the newest known here must be there, and any newer one is run
# too. Without pyenv it says so and skips (status 77).
# Usage: every_version_test.sh MODULE_DIR SOURCE_DIR
set -euo pipefail
modules=$1 source=$2
newest_known=13

oldest=$(sed -n 's/^requires-python = ">=3\.\([0-9][0-9]*\)"$/\1/p' "$source/pyproject.toml")
[ -n "$oldest" ] || { echo "no requires-python \">=3.N\" in pyproject.toml" >&2; exit 1; }
root=${PYENV_ROOT:-$HOME/.pyenv}
if command -v pyenv >/dev/null; then
  root=$(pyenv root)
fi
if [ ! -d "$root/versions" ]; then
  echo "pyenv is not installed: the module was tested with the build's Python alone"
  exit 77
fi

# The newest patch release of each CPython 3.N that pyenv has, N >= oldest.
declare -A interpreters=()
for python in "$root"/versions/3.*/bin/python3; do
  [ -x "$python" ] || continue
  version=$(basename "$(dirname "$(dirname "$python")")")
  [[ $version =~ ^3\.([0-9]+)\.[0-9]+$ ]] || continue # not a CPython release
  minor=${BASH_REMATCH[1]}
  ((minor >= oldest)) || continue
  interpreters[$minor]=$(printf '%s\n' "${interpreters[$minor]-}" "$python" | sort -V | tail -n 1)
done
for ((minor = oldest; minor <= newest_known; minor++)); do
  [ -n "${interpreters[$minor]-}" ] || { echo "pyenv has no CPython 3.$minor" >&2; exit 1; }
done

failed=0
for minor in $(printf '%s\n' "${!interpreters[@]}" | sort -n); do
  python=${interpreters[$minor]}
  echo "== $("$python" --version)"
  PYTHONPATH=$modules "$python" -X dev "$source/tests/python/qormap_test.py" || failed=1
done
exit "$failed"
