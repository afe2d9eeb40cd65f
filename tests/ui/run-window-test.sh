#!/usr/bin/env bash
# The uninstall window's runs that do not finish, under Wine on a virtual X display, driven by
# uninstall_driver: a record the files phase cannot read stops the run (the error box names the
# value, Close ends the program, the record keeps what was not done), and a start without a
# product name is refused (its error box, Start disabled, Close). The finished run is the whole-run
# scenario (tests/uninstall/scenario/run-wine.sh).
#
# Use: tests/ui/run-window-test.sh <Windows build folder> [<folder for the pictures>]
# The build folder holds apps/uninstall.exe and tests/uninstall_driver.exe (64-bit build).
# Needs wine (64-bit), xvfb-run, fonts-liberation (Arial's metrics) and fonts-wine (the frame).
set -euo pipefail

build=$(cd "${1:?usage: run-window-test.sh <Windows build folder> [<picture folder>]}" && pwd)
program="$build/apps/uninstall.exe"
driver="$build/tests/uninstall_driver.exe"
for file in "$program" "$driver"; do
    [ -f "$file" ] || { echo "run-window-test: $file is missing; build it first" >&2; exit 2; }
done
command -v xvfb-run >/dev/null || { echo "run-window-test: xvfb-run is missing" >&2; exit 2; }
fc-list 2>/dev/null | grep -q "Liberation Sans" ||
    echo "run-window-test: warning: no Liberation Sans (fonts-liberation); Arial text is wider" >&2

source "$(dirname "$0")/../support/wine-prefix.sh"
use_virtual_desktop
shots=${2:-$work/shots}
mkdir -p "$shots"
shots=$(cd "$shots" && pwd)
unset DISPLAY
reg() { "$wine" reg add "$@" /f >/dev/null 2>&1; }
has_key() { "$wine" reg query "$@" >/dev/null 2>&1; }
windows() { local path=${1//\//\\}; echo "Z:$path"; } # a Linux path as Wine's drive Z sees it
# drive NAME ARGUMENTS...: the driver on a fresh virtual display; its output in $work/NAME.out,
# its status in $driven. The prefix's processes must all have ended first, so that the desktop
# starts with this display.
drive() {
    local name=$1
    shift
    wineserver -w
    set +e
    timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" "$wine" "$work/uninstall_driver.exe" "$@" \
        >"$work/$name.out" 2>"$work/$name.err"
    driven=$?
    set -e
    sed 's/\r$//' "$work/$name.out"
    # Wine and the X server say goodbye on standard error; the driver's own lines are kept.
    grep -v '^X connection\|^XIO\|requests (' "$work/$name.err" >&2 || true
    wineserver -w
}
failures=0
check() { # description, then a command that must succeed
    local what=$1
    shift
    if "$@"; then echo "  ok: $what"; else echo "  FAILED: $what" >&2; failures=$((failures + 1)); fi
}
cp "$driver" "$work/uninstall_driver.exe"
c="$WINEPREFIX/drive_c"

# A record the files phase cannot read stops the run: the error box, then Close ends the program.
stopped="Tarnwell Stopped Test"
stoppedRecord="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$stopped"
mkdir -p "$c/$stopped"
cp "$program" "$c/$stopped/uninstall.exe"
echo "kept" >"$c/$stopped/notes.txt"
reg "$stoppedRecord\\Files" /v File1 /t REG_DWORD /d 7
reg "$stoppedRecord\\Files" /v File2 /d "C:\\$stopped\\notes.txt"
echo "Running a record that stops the run"
# The product name is split into words on purpose: they are the uninstaller's arguments.
# shellcheck disable=SC2086
drive stopped --program "C:\\$stopped\\uninstall.exe" --expect-stopped \
    --after "$(windows "$shots/uninstall-window-stopped.png")" --timeout 120 -- $stopped
check "the driver saw the run stop" [ "$driven" = 0 ]
check "the error box named the value" grep -q "^Error: .*File1" "$work/stopped.out"
check "the file after the failure stays" [ -e "$c/$stopped/notes.txt" ]
check "the stopped product keeps its record" has_key "$stoppedRecord\\Files" /v File2
check "the stopped uninstaller stays" [ -e "$c/$stopped/uninstall.exe" ]

# Without a product name the program refuses: its error box, Start disabled, Close ends it.
echo "Running the uninstaller without a product name"
drive refused --program "C:\\$stopped\\uninstall.exe" --timeout 120 --
check "the driver saw the start refused" [ "$driven" = 0 ]
check "the refused start leaves the record" has_key "$stoppedRecord\\Files" /v File2

echo "Picture: $shots/uninstall-window-stopped.png"
if [ "$failures" != 0 ]; then
    echo "run-window-test: FAILED ($failures checks failed)" >&2
    exit 1
fi
echo "run-window-test: passed"
