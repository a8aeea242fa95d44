#!/usr/bin/env bash
# Links a host program that has globals of the library's old names with the
# static library, as a game server would, and checks that it writes the seed-1
# map of the golden table.
# Usage: host_names_test.sh CXX_COMPILER SOURCE_DIR BINARY_DIR STATIC_LIBRARY
set -euo pipefail
cxx=$1 source=$2 binary=$3 library=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
expected=$(awk '$3 == "-s" && $4 == "1" && NF == 4 {print $1}' "$source/tests/app/golden_maps.txt")

"$cxx" -std=c++17 -I"$source/include" -I"$binary/include" -o "$work/host" \
  "$source/tests/api/clashing_host.cpp" "$library" -pthread
"$work/host" "$work/map.vxl"
got=$(sha256sum "$work/map.vxl" | cut -d' ' -f1)
if [ "$got" != "$expected" ]; then
  echo "map $got, expected $expected" >&2
  exit 1
fi
echo "ok"
