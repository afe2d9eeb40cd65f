#!/usr/bin/env bash
# The whole-run scenario on a fresh embedded machine: lays the product out with the tool's reg,
# runs the uninstall program from the product's folder answering the questions on its standard
# input, restarts the machine and compares what is left with expected.txt.
# Use: [SCENARIO=german] run-portable.sh TARNWELL UNINSTALL [--print]
#   (--print: print the state, compare nothing; SCENARIO: see product.sh)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tool=$1
program=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TARNWELL_MACHINE=$work/machine
"$tool" machine init >/dev/null

reg() { "$tool" reg add "$@" /f >/dev/null; }
query() { "$tool" reg query "$@" 2>/dev/null; }
drive_c=$TARNWELL_MACHINE/drive_c
source "$here/drive.sh"
source "$here/product.sh"
source "$here/dump.sh"

lay_out
cp "$program" "$(host "$app\\uninstall.exe")"
input=""
for answer in "${answers[@]}"; do
  [ "${answer#*=}" = yes ] && input+=$'y\n' || input+=$'n\n'
done
status=0
# The product name is split into words on purpose: they are the uninstaller's arguments.
# shellcheck disable=SC2086
printf '%s' "$input" | "$(host "$app\\uninstall.exe")" $product >"$work/out.txt" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
  cat "$work/out.txt"
  echo "uninstall ended with status $status" >&2
  exit 1
fi
"$tool" machine restart >/dev/null
dump_state >"$work/after.txt"
if [ "${3:-}" = --print ]; then
  cat "$work/after.txt"
  exit 0
fi
diff -u "$here/$expected_file" "$work/after.txt"
echo "The embedded machine is left as expected."
