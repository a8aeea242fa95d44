#!/usr/bin/env bash
# Ctrl-C ends a Windows program with its temporary file removed. Run on the
# building machine: wine turns a SIGINT into the console's Ctrl-C event.
# Usage: interrupt_under_wine.sh PROBE.exe
set -euo pipefail
probe=$1
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

WINEDEBUG=-all wine "$probe" "$folder/map.vxl" >"$folder/log" 2>&1 &
temporary=
for _ in $(seq 600); do
  temporary=$(compgen -G "$folder/.map.vxl.tmp-*" || true)
  [[ -n "$temporary" ]] && break
  sleep 0.1
done
[[ -n "$temporary" ]] || { echo "the probe made no temporary file: $(cat "$folder/log")" >&2; exit 1; }

# The program itself, not the shell script that started wine.
pid=$(pgrep -f "^[^ ]*interrupt_probe.exe $folder/map.vxl" | head -n 1)
[[ -n "$pid" ]] || { echo "the probe is not running" >&2; exit 1; }
kill -INT "$pid"
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  kill -KILL "$pid"
  echo "Ctrl-C did not end the probe" >&2
  exit 1
fi
left=$(find "$folder" -mindepth 1 -maxdepth 1 ! -name log -printf '%f\n')
[[ -z "$left" ]] || { echo "left behind: $left" >&2; exit 1; }
echo "the temporary file $(basename "$temporary") was removed on Ctrl-C"
