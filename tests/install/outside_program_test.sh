#!/usr/bin/env bash
# Installs the build into a fresh prefix and builds the C example against it
# as an outside project would: through find_package (shared and static) and
# through pkg-config (shared and static), and the static library in a C-only
# project whose own target is named m, as libm is. Each program must write the
# seed-1 map.
# Usage: outside_program_test.sh BUILD_DIR SOURCE_DIR C_COMPILER
set -euo pipefail
build=$1 source=$2 cc=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# SHA-256 of the seed-1 map, from the golden table.
expected=$(awk '$3 == "-s" && $4 == "1" && NF == 4 {print $1}' "$source/tests/app/golden_maps.txt")

cmake --install "$build" --prefix "$work/prefix" >/dev/null

check() {
  local name=$1 program=$2
  "$program" 1 "$work/$name.vxl" >/dev/null
  local got
  got=$(sha256sum "$work/$name.vxl" | cut -d' ' -f1)
  if [ "$got" != "$expected" ]; then
    echo "$name: map $got, expected $expected" >&2
    exit 1
  fi
  echo "$name: ok"
}

for mode in shared static; do
  static=$([ $mode = static ] && echo ON || echo OFF)
  cmake -S "$source/examples/c" -B "$work/find-$mode" -DCMAKE_PREFIX_PATH="$work/prefix" \
    -DCMAKE_C_COMPILER="$cc" -DUSE_STATIC="$static" >/dev/null
  cmake --build "$work/find-$mode" >/dev/null
  check "find_package-$mode" "$work/find-$mode/generate_map"
done
mkdir "$work/m"
cat >"$work/m/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.25)
project(m C)
find_package(qormap CONFIG REQUIRED)
add_executable(m "$source/examples/c/generate_map.c")
target_link_libraries(m PRIVATE qormap::qormap_static)
EOF
cmake -S "$work/m" -B "$work/m/build" -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_C_COMPILER="$cc" >/dev/null
cmake --build "$work/m/build" >/dev/null
check target-named-m "$work/m/build/m"

pcdir=$(dirname "$(find "$work/prefix" -name qormap.pc)")
flags=$(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs qormap)
# shellcheck disable=SC2086 # the flags are words
"$cc" -o "$work/pkg-config" "$source/examples/c/generate_map.c" $flags
LD_LIBRARY_PATH=$(PKG_CONFIG_PATH="$pcdir" pkg-config --variable=libdir qormap) \
  check pkg-config "$work/pkg-config"
# A static program: the C++ runtime and libm come from Libs.private.
flags=$(PKG_CONFIG_PATH="$pcdir" pkg-config --static --cflags --libs qormap)
# shellcheck disable=SC2086
"$cc" -static -o "$work/pkg-config-static" "$source/examples/c/generate_map.c" $flags
check pkg-config-static "$work/pkg-config-static"
