#!/usr/bin/env bash
# The whole-run scenario with the Windows build under Wine, in a fresh prefix: the record is
# written by Wine's own reg.exe into HKEY_LOCAL_MACHINE and the files under the prefix's drive C:.
# The uninstall window is driven by uninstall_driver.exe on a virtual X display (Start clicked,
# the questions answered as the scenario says); then Wine restarts, which carries out the delayed
# deletion of the uninstaller, and what is left must be exactly what the embedded machine's run
# leaves (expected.txt).
# Use: run-wine.sh UNINSTALL_EXE DRIVER_EXE [PICTURES]   (of the 64-bit Windows build; PICTURES:
# a folder for uninstall-window-before.png and uninstall-window.png, the window before Start and
# at the end of the run)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "$1")
driver=$(realpath "$2")
pictures=${3:-}
source "$here/../../support/wine-prefix.sh"
use_virtual_desktop

reg() { "$wine" reg add "$@" /f >/dev/null 2>&1; }
# reg.exe writes to a pipe in the OEM code page (437 for the prefix's US English).
query() { "$wine" reg query "$@" 2>/dev/null | iconv -f CP437 -t UTF-8; }
drive_c=$WINEPREFIX/drive_c
source "$here/drive.sh"
source "$here/product.sh"
source "$here/dump.sh"

lay_out
cp "$program" "$(host "$app\\uninstall.exe")"
args=(--program "$app\\uninstall.exe" --timeout 120)
for answer in "${answers[@]}"; do args+=(--answer "$answer"); done
if [ -n "$pictures" ]; then
  mkdir -p "$pictures"
  pictures=$(realpath "$pictures")
  args+=(--before "Z:${pictures//\//\\}\\uninstall-window-before.png")
  args+=(--after "Z:${pictures//\//\\}\\uninstall-window.png")
fi
# The prefix's processes end first, so that Wine's desktop starts anew on the display.
wineserver -w
display=()
[ -n "${DISPLAY:-}" ] || display=(xvfb-run -a -s "-screen 0 1024x768x24")
# The product name is split into words on purpose: they are the uninstaller's arguments.
# shellcheck disable=SC2086
"${display[@]}" "$wine" "$driver" "${args[@]}" -- $product
wineserver -w
# A restart: pending renames and deletions are carried out.
"$wine" wineboot -r >/dev/null 2>&1
wineserver -w
dump_state >"$work/after.txt"
diff -u "$here/$expected_file" "$work/after.txt"
echo "The Wine prefix is left as expected."
