#!/usr/bin/env bash
# Runs the tests of a 64-bit Windows build under Wine, in a fresh prefix in a temporary folder and
# on a virtual X display (the uninstall window and the message boxes need one). Scripts among the
# tests that need another prefix (another Windows version, a whole run) make their own.
# Use: test-windows.sh BUILD [JOBS]
set -euo pipefail
build=$(realpath "$1")
jobs=${2:-2}
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
wine=$(command -v wine64 || command -v wine)
"$wine" wineboot -i >/dev/null 2>&1
wineserver -w
xvfb-run -a -s "-screen 0 1024x768x24" \
  ctest --test-dir "$build" -j"$jobs" --output-on-failure
