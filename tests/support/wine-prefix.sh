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
