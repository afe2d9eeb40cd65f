#!/usr/bin/env bash
# The main job on the embedded default machine: place a small installed product there (its files,
# shared-library counts, an INI entry, registry keys and its install record), put the uninstall
# program into the product's folder and run it, then restart the machine so that the uninstaller
# that could not delete itself goes too.
set -euo pipefail
tool=${TARNWELL_TOOL:-build/apps/tarnwell}
uninstall=${TARNWELL_UNINSTALL:-$(dirname "$tool")/uninstall}
"$tool" machine init >/dev/null
machine=$("$tool" machine where)
c="$machine/drive_c"
app="Program Files/Tarnwell Demo"
winapp='C:\Program Files\Tarnwell Demo'
record='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwell Demo'
shared='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs'
reg() { "$tool" reg add "$@" /f >/dev/null; }

echo "Placing the product \"Tarnwell Demo\" on $machine"
mkdir -p "$c/$app/Data" "$c/Program Files/Common Files/Tarnwell" "$c/WINDOWS/SYSTEM32"
echo "Tarnwell Demo" >"$c/$app/readme.txt"
echo "records" >"$c/$app/Data/records.dat"
echo "shared" >"$c/Program Files/Common Files/Tarnwell/tdshared.dll"
echo "last user" >"$c/WINDOWS/SYSTEM32/tdlast.dll"
printf '[Settings]\r\nColour=blue\r\nLanguage=en\r\n' >"$c/$app/demo.ini"
cp "$uninstall" "$c/$app/uninstall.exe"

reg "$record" /v DisplayName /d "Tarnwell Demo"
reg "$record" /v UninstallString /d "\"$winapp\\uninstall.exe\" Tarnwell Demo"
reg "$record\\Files" /v File1 /d "$winapp\\readme.txt"
reg "$record\\Files" /v File2 /d 'C:\Program Files\Common Files\Tarnwell\tdshared.dll'
reg "$record\\Files" /v File3 /d 'C:\WINDOWS\SYSTEM32\tdlast.dll'
reg "$record\\Files" /v Entries /d 3
reg "$record\\Files1" /v File1 /d "$winapp\\Data\\records.dat"
reg "$record\\Files1" /v Entries /d 1
reg "$shared" /v 'C:\Program Files\Common Files\Tarnwell\tdshared.dll' /t REG_DWORD /d 2
reg "$shared" /v 'C:\WINDOWS\SYSTEM32\tdlast.dll' /t REG_DWORD /d 1
reg "$record\\INIFiles\\1" /v FilePath /d "$winapp\\demo.ini"
reg "$record\\INIFiles\\1\\Entries\\Settings" /v Colour /d ""
reg 'HKLM\Software\Tarnwell Demo' /v Version /d 1.0
reg 'HKCU\Software\Tarnwell Demo\Settings' /v Window /d maximised
reg "$record\\RegistryKeys\\1" /v Key /d '\Software\Tarnwell Demo'
reg "$record\\RegistryKeys\\1" /v Root /t REG_DWORD /d 4
reg "$record\\RegistryKeys\\1\\Entries" /v Version /d ""
reg "$record\\RegistryKeys\\2" /v Key /d '\Software\Tarnwell Demo\Settings'
reg "$record\\RegistryKeys\\2" /v Root /t REG_DWORD /d 2
reg "$record\\RegistryKeys\\2\\Entries" /v Window /d ""

echo
echo "Running C:\\Program Files\\Tarnwell Demo\\uninstall.exe Tarnwell Demo (answering Yes):"
echo y | "$c/$app/uninstall.exe" Tarnwell Demo

echo
echo "Left behind:"
"$tool" reg query "$shared" /v 'C:\Program Files\Common Files\Tarnwell\tdshared.dll'
"$tool" reg query "$record" 2>/dev/null || echo "  the install record is gone"
echo "  $(ls "$c/$app" | tr '\n' ' ')(the uninstaller and the INI file's other entry)"
"$tool" machine restart >/dev/null
[ -e "$c/$app/uninstall.exe" ] || echo "After a restart of the machine the uninstaller is gone too."

# The install side: the example project built into a stand-alone setup.exe, installed quietly,
# listed, and removed again by its uninstall string.
echo
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
echo "Building examples/acme/acme.tfm into $out:"
"$tool" build "$(dirname "$0")/../examples/acme/acme.tfm" -o "$out" --standalone
echo
echo "Running $out/setup.exe *QUIET:"
TARNWELL_MACHINE="$machine" "$out/setup.exe" '*QUIET'
"$tool" list
echo
echo "Running the uninstall string (answering Yes):"
printf 'y\n%.0s' {1..20} |
  "$tool" machine run '"C:\Program Files\Acme Tools\uninstall.exe" Acme Tools'
"$tool" machine restart >/dev/null
[ -e "$c/Program Files/Acme Tools" ] || echo "After a restart Acme Tools is gone, its folder too."
