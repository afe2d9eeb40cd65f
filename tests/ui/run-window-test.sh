#!/usr/bin/env bash
# The uninstall window under Wine on a virtual X display, driven by uninstall_driver: a small
# product is laid out in a fresh Wine prefix (files, shared-library counts, an INI entry, a
# registry key and its install record), the Windows uninstall.exe is put into the product's
# folder and run through its window; one shared file is kept (the question answered with
# Escape), the other goes (Yes). Afterwards the files, counts and keys are checked, and after a
# restart of the prefix the uninstaller itself must be gone.
#
# Use: tests/ui/run-window-test.sh <Windows build folder> [<folder for the screenshots>]
# The build folder holds apps/uninstall.exe and tests/uninstall_driver.exe (64-bit build).
# Needs wine (64-bit), xvfb-run, fonts-liberation (Arial's metrics) and fonts-wine (the frame).
set -euo pipefail

build=$(cd "${1:?usage: run-window-test.sh <Windows build folder> [<screenshot folder>]}" && pwd)
program="$build/apps/uninstall.exe"
driver="$build/tests/uninstall_driver.exe"
for file in "$program" "$driver"; do
    [ -f "$file" ] || { echo "run-window-test: $file is missing; build it first" >&2; exit 2; }
done
WINE=${WINE:-$(command -v wine64 || command -v wine)}
command -v xvfb-run >/dev/null || { echo "run-window-test: xvfb-run is missing" >&2; exit 2; }
fc-list 2>/dev/null | grep -q "Liberation Sans" ||
    echo "run-window-test: warning: no Liberation Sans (fonts-liberation); Arial text is wider" >&2

work=$(mktemp -d)
# TARN_UI_KEEP=1 keeps the prefix and the driver's output for a look afterwards.
trap 'WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true
      if [ "${TARN_UI_KEEP:-}" = 1 ]; then echo "Kept $work"; else rm -rf "$work"; fi' EXIT
shots=${2:-$work/shots}
mkdir -p "$shots"
shots=$(cd "$shots" && pwd)

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
wine() { "$WINE" "$@"; }
reg() { wine reg add "$@" /f >/dev/null; }
windows() { local path=${1//\//\\}; echo "Z:$path"; } # a Linux path as Wine's drive Z sees it
# drive NAME ARGUMENTS...: the driver on a fresh virtual display; its output in $work/NAME.out,
# its status in $driven. The prefix's processes must all have ended first, so that the desktop
# starts with this display.
drive() {
    local name=$1
    shift
    wineserver -w
    set +e
    timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" "$WINE" "$work/uninstall_driver.exe" "$@" \
        >"$work/$name.out" 2>"$work/$name.err"
    driven=$?
    set -e
    sed 's/\r$//' "$work/$name.out"
    # Wine and the X server say goodbye on standard error; the driver's own lines are kept.
    grep -v '^X connection\|^XIO\|requests (' "$work/$name.err" >&2 || true
    wineserver -w
}

echo "Preparing a fresh Wine prefix in $WINEPREFIX"
wine wineboot -i >/dev/null 2>&1
# Wine draws the frame's buttons with its own Marlett font, which Debian ships apart
# (fonts-wine) where this Wine does not look for it: the prefix's font folder is searched.
for font in /usr/share/wine/fonts/marlett.ttf /usr/share/wine/fonts/tahoma*.ttf; do
    [ -f "$font" ] && cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done
# One virtual desktop: Wine draws the frames itself, so the pictures show the caption.
reg 'HKCU\Software\Wine\Explorer' /v Desktop /d Default
reg 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768

product="Tarnwell Window Test"
c="$WINEPREFIX/drive_c"
app="$c/Program Files/$product"
winapp="C:\\Program Files\\$product"
record="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product"
shared='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs'
common="$c/Program Files/Common Files/Tarnwell"
wincommon='C:\Program Files\Common Files\Tarnwell'
system="$c/windows/system32"

echo "Placing the product \"$product\""
mkdir -p "$app/Data" "$common"
echo "$product" >"$app/readme.txt"
echo "records" >"$app/Data/records.dat"
echo "kept" >"$common/twkeep.dll"
echo "still used" >"$common/twshared.dll"
echo "gone" >"$system/twgone.dll"
printf '[Settings]\r\nColour=blue\r\nLanguage=en\r\n' >"$app/window.ini"
cp "$program" "$app/uninstall.exe"

reg "$record" /v DisplayName /d "$product"
reg "$record" /v UninstallString /d "\"$winapp\\uninstall.exe\" $product"
reg "$record\\Files" /v File1 /d "$winapp\\readme.txt"
reg "$record\\Files" /v File2 /d "$wincommon\\twkeep.dll"
reg "$record\\Files" /v File3 /d 'C:\windows\system32\twgone.dll'
reg "$record\\Files" /v File4 /d "$wincommon\\twshared.dll"
reg "$record\\Files" /v Entries /d 4
reg "$record\\Files1" /v File1 /d "$winapp\\Data\\records.dat"
reg "$record\\Files1" /v Entries /d 1
reg "$shared" /v "$wincommon\\twkeep.dll" /t REG_DWORD /d 1
reg "$shared" /v 'C:\windows\system32\twgone.dll' /t REG_DWORD /d 1
reg "$shared" /v "$wincommon\\twshared.dll" /t REG_DWORD /d 2
reg "$record\\INIFiles\\1" /v FilePath /d "$winapp\\window.ini"
reg "$record\\INIFiles\\1\\Entries\\Settings" /v Colour /d ""
reg "HKLM\\Software\\$product" /v Version /d 1.0
reg "$record\\RegistryKeys\\1" /v Key /d "\\Software\\$product"
reg "$record\\RegistryKeys\\1" /v Root /t REG_DWORD /d 4
reg "$record\\RegistryKeys\\1\\Entries" /v Version /d ""

echo "Running the uninstall window through the driver"
cp "$driver" "$work/uninstall_driver.exe"
# The product name goes as separate words, as Add/Remove Programs passes it.
# shellcheck disable=SC2086
drive driver --program "$winapp\\uninstall.exe" \
    --answer "twkeep.dll=escape" --answer "twgone.dll=yes" \
    --before "$(windows "$shots/uninstall-window-before.png")" \
    --after "$(windows "$shots/uninstall-window-after.png")" \
    --timeout 120 -- $product
status=$driven

failures=0
check() { # description, then a command that must succeed
    local what=$1
    shift
    if "$@"; then echo "  ok: $what"; else echo "  FAILED: $what" >&2; failures=$((failures + 1)); fi
}
absent() { [ ! -e "$1" ]; }
has_key() { wine reg query "$@" >/dev/null 2>&1; }
no_key() { ! has_key "$@"; }
no_line() { ! grep -q "$1" "$2"; }
count_is() { wine reg query "$shared" /v "$1" 2>/dev/null | tr -d '\r' | grep -qi "REG_DWORD *0x$2\$"; }
png() { [ "$(head -c 8 "$1" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]; }

echo "Checking what is left"
check "the driver saw two questions" [ "$(grep -c '^Confirm: ' "$work/driver.out")" = 2 ]
check "readme.txt is gone" absent "$app/readme.txt"
check "the emptied Data folder is gone" absent "$app/Data"
check "twgone.dll (answered Yes) is gone" absent "$system/twgone.dll"
check "twgone.dll's count is gone" no_key "$shared" /v 'C:\windows\system32\twgone.dll'
check "twkeep.dll (answered Escape) stays" [ -e "$common/twkeep.dll" ]
check "twkeep.dll's count stays 1" count_is "$wincommon\\twkeep.dll" 1
check "twshared.dll, still used elsewhere, stays" [ -e "$common/twshared.dll" ]
check "twshared.dll's count went from 2 to 1" count_is "$wincommon\\twshared.dll" 1
check "the recorded INI entry is gone" no_line '^Colour=' "$app/window.ini"
check "the other INI entry stays" grep -q '^Language=en' "$app/window.ini"
check "the product's registry key is gone" no_key "HKLM\\Software\\$product"
check "the install record is gone" no_key "$record"
wine wineboot -r >/dev/null 2>&1 # a restart: work left for it is done now
wineserver -w
check "after a restart the uninstaller is gone" absent "$app/uninstall.exe"
check "a picture before Start" png "$shots/uninstall-window-before.png"
check "a picture of the finished window" png "$shots/uninstall-window-after.png"

# A record the files phase cannot read stops the run: the error box, then Close ends the program.
stopped="Tarnwell Stopped Test"
stoppedRecord="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$stopped"
mkdir -p "$c/$stopped"
cp "$program" "$c/$stopped/uninstall.exe"
echo "kept" >"$c/$stopped/notes.txt"
reg "$stoppedRecord\\Files" /v File1 /t REG_DWORD /d 7
reg "$stoppedRecord\\Files" /v File2 /d "C:\\$stopped\\notes.txt"
echo "Running a record that stops the run"
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

echo "Pictures: $shots/uninstall-window-before.png, $shots/uninstall-window-after.png," \
    "$shots/uninstall-window-stopped.png"
if [ "$status" != 0 ] || [ "$failures" != 0 ]; then
    echo "run-window-test: FAILED (driver status $status, $failures checks failed)" >&2
    exit 1
fi
echo "run-window-test: passed"
