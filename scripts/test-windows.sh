#!/usr/bin/env bash
# Runs the tests of a 64-bit Windows build under Wine, in a fresh prefix in a temporary folder and
# on a virtual X display (the uninstall window and the message boxes need one). Scripts among the
# tests that need another prefix (another Windows version, a whole run) make their own.
# Use: test-windows.sh BUILD [JOBS]
set -euo pipefail
build=$(realpath "$1")
jobs=${2:-2}
source "$(dirname "$0")/../tests/support/wine-prefix.sh"
xvfb-run -a -s "-screen 0 1024x768x24" \
  ctest --test-dir "$build" -j"$jobs" --output-on-failure
