#!/usr/bin/env bash
# Installs the build into a fresh prefix and builds the C example against it
# as an outside C-only project would, with one kind of library: through
# find_package and through pkg-config (--static for the static library). Each
# program must write the seed-1 map.
# Usage: outside_program_test.sh BUILD_DIR SOURCE_DIR C_COMPILER shared|static
set -euo pipefail
build=$1 source=$2 cc=$3 kind=$4
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
# A C-only CMake project: configure, build, run.
cmake_project() { # NAME SOURCE_DIR TARGET [CMAKE_ARGUMENT...]
  local name=$1 dir=$2 target=$3
  shift 3
  cmake -S "$dir" -B "$work/$name" -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_C_COMPILER="$cc" \
    "$@" >/dev/null
  cmake --build "$work/$name" >/dev/null
  check "$name" "$work/$name/$target"
}

pcdir=$(dirname "$(find "$work/prefix" -name qormap.pc)")
if [ "$kind" = shared ]; then
  cmake_project find_package-shared "$source/examples/c" generate_map -DUSE_STATIC=OFF
  flags=$(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs qormap)
  # shellcheck disable=SC2086 # the flags are words
  "$cc" -o "$work/pkg-config" "$source/examples/c/generate_map.c" $flags
  LD_LIBRARY_PATH=$(PKG_CONFIG_PATH="$pcdir" pkg-config --variable=libdir qormap) \
    check pkg-config "$work/pkg-config"
  exit 0
fi

# The static library brings the C++ runtime and libm to a C link, also to a
# project whose own target is named m, as libm is.
cmake_project find_package-static "$source/examples/c" generate_map -DUSE_STATIC=ON
mkdir "$work/m-source"
cat >"$work/m-source/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.25)
project(m C)
find_package(qormap CONFIG REQUIRED)
add_executable(m "$source/examples/c/generate_map.c")
target_link_libraries(m PRIVATE qormap::qormap_static)
EOF
cmake_project target-named-m "$work/m-source" m
# A static program: the C++ runtime and libm come from Libs.private.
flags=$(PKG_CONFIG_PATH="$pcdir" pkg-config --static --cflags --libs qormap)
# shellcheck disable=SC2086
"$cc" -static -o "$work/pkg-config-static" "$source/examples/c/generate_map.c" $flags
check pkg-config-static "$work/pkg-config-static"
