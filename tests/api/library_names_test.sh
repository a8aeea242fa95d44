#!/usr/bin/env bash
# Every global name the static library defines is the C interface's (qormap_*)
# or in namespace qormap, so that it links beside any host's own names. Weak
# copies of the C++ runtime's templates and inline functions (std::,
# __gnu_cxx::, placement new and delete) and the compilers' own helpers are
# shared by design.
# Usage: library_names_test.sh NM STATIC_LIBRARY
set -euo pipefail
nm=$1 library=$2
# Itanium-mangled names: after an optional typeinfo, vtable, guard or
# local-entity prefix and a nested name's qualifiers, the outermost scope.
scope='^_Z(T[VIST]|GVZ?|GR|Z)?N?[rVKRO]*'
own="^qormap_|${scope}6qormap"
shared="${scope}(S[tabsiod]|9__gnu_cxx)|^_Z(nw|na|dl|da)|^DW\\.ref\\.|^__clang_call_terminate\$"
stray=$("$nm" --defined-only --extern-only "$library" |
  awk -v own="$own" -v shared="$shared" \
    'NF == 3 && $3 !~ own && !($2 ~ /^[WVu]$/ && $3 ~ shared) {print $2, $3}' | sort -u)
if [ -n "$stray" ]; then
  echo "global names outside namespace qormap:" >&2
  c++filt <<<"$stray" >&2
  exit 1
fi
echo "ok"
