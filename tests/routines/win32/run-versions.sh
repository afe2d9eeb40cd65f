#!/usr/bin/env bash
# Runs the routines' Windows tests under Wine pretending to be Windows 98, XP and NT 4.0 in turn
# (one fresh prefix), then restarts Wine and checks that the file the tests scheduled for deletion
# at the restart is gone: through WININIT.INI on Windows 98 (renamed WININIT.BAK when done), through
# the delayed move list on the NT versions.
# Use: run-versions.sh TEST_ROUTINES_EXE
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/../../support/wine-prefix.sh"
windows=$WINEPREFIX/drive_c/windows
failed=0
for version in win98 winxp nt40; do
  echo "== $version"
  "$wine" reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
  probe="C:\\tarn-probe-$version.txt"
  if ! TARN_WINDOWS_VERSION=$version TARN_REBOOT_PROBE=$probe "$wine" "$program"; then
    failed=1
    continue
  fi
  wineserver -w
  [ -e "$WINEPREFIX/drive_c/tarn-probe-$version.txt" ] || { echo "the probe went early"; failed=1; }
  "$wine" wineboot -r >/dev/null 2>&1
  wineserver -w
  if [ -e "$WINEPREFIX/drive_c/tarn-probe-$version.txt" ]; then
    echo "$version: the file scheduled for deletion is still there after the restart"
    failed=1
  fi
  if [ "$version" = win98 ]; then
    if ls "$windows" | grep -qix 'wininit.ini' || ! ls "$windows" | grep -qix 'wininit.bak'; then
      echo "$version: WININIT.INI was not carried out at the restart"
      failed=1
    fi
  fi
done
exit $failed
