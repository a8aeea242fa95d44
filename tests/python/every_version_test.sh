#!/usr/bin/env bash
# Runs the module's tests under every CPython that pyproject.toml's
# requires-python admits (tests/shared/pyenv_cpythons.sh), each importing the
# one stable-ABI module. Without pyenv: skipped (77), saying so.
# Usage: every_version_test.sh MODULE_DIR SOURCE_DIR
set -euo pipefail
modules=$1 source=$2
status=0
list=$("$source/tests/shared/pyenv_cpythons.sh" "$source") || status=$?
if ((status == 77)); then
  echo "pyenv is not installed: no CPython but the build's was tested"
  exit 77
fi
((status == 0)) || exit "$status"
failed=0
while read -r _ python; do
  echo "== $("$python" --version)"
  PYTHONPATH=$modules "$python" -X dev "$source/tests/python/qormap_test.py" || failed=1
done <<<"$list"
exit "$failed"
