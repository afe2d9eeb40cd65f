# Sourced by the scripts that run Windows programs under Wine: a fresh prefix in a temporary
# folder, quiet and without the Mono and Gecko installers, removed with its server on exit.
# Sets: work (the temporary folder), wine (the loader), WINEPREFIX.
work=$(mktemp -d)
cleanup_prefix() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup_prefix EXIT
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || command -v wine)
"$wine" wineboot -i >/dev/null 2>&1
wineserver -w

# For programs with windows: one virtual desktop (Wine then draws the frames itself, so pictures
# show the caption) and the fonts Debian's Wine does not find where it looks (Marlett draws the
# frame's buttons). The display itself comes from the caller (xvfb-run).
use_virtual_desktop() {
  local font
  for font in /usr/share/wine/fonts/marlett.ttf /usr/share/wine/fonts/tahoma*.ttf; do
    [ -f "$font" ] && cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
  done
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
}
