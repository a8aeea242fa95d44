#!/usr/bin/env bash
# A gallery of seeds carries the map page it was built with beside its own,
# and each card links to its map there, options and all.
#
# Usage: gallery_map_page_test.sh VXLTOOL PAGE
set -euo pipefail
vxltool=$1
page=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$vxltool" gallery --seeds 7-8 -b 20 -o "$out/gallery" >/dev/null
cmp "$page" "$out/gallery/qormap.html"
grep -qF 'qormap.html#s=8&amp;b=20&amp;p=400&amp;c=300' "$out/gallery/index.html" ||
  { echo "no card links to seed 8 in the map page" >&2; exit 1; }
