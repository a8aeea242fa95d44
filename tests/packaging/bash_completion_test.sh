#!/usr/bin/env bash
# Completes command lines as bash would with the completion files in DIR, in a
# folder holding a map, a picture, a text file and a subfolder.
# Usage: bash_completion_test.sh DIR   (status 77: bash-completion is not installed)
set -euo pipefail
dir=$(realpath "$1")
framework=/usr/share/bash-completion/bash_completion
[ -r "$framework" ] || exit 77
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
touch a.vxl b.png c.txt
mkdir sub

# The command line up to the cursor | the candidates offered, sorted.
cases=(
  "qormap -|-b -c -d -h -o -p -s"
  "qormap -s 1 -o |a.vxl sub"
  "qormap -p |"
  "vxltool |--help --version check diff gallery info render"
  "vxltool r|render"
  "vxltool check a.vxl |a.vxl sub"
  "vxltool info -|--help --json"
  "vxltool diff -|--help"
  "vxltool render --view |iso top"
  "vxltool render -o |b.png sub"
  "vxltool render --view iso -|--help --output --view -o"
  "vxltool gallery -o |sub"
  "vxltool gallery --seeds |"
  "vxltool gallery --|--help --keep-maps --output --seeds"
)
failed=0
for case in "${cases[@]}"; do
  line=${case%%|*} expected=${case#*|}
  got=$(bash -c '
    source "$1" && source "$2/$3"
    read -ra COMP_WORDS <<<"$4"
    [[ $4 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMP_LINE=$4 COMP_POINT=${#4}
    "_$3"
    printf "%s\n" "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd " "' \
    _ "$framework" "$dir" "${line%% *}" "$line")
  if [ "$got" != "$expected" ]; then
    echo "'$line': offered '$got', expected '$expected'" >&2
    failed=1
  fi
done
exit $failed
