#!/usr/bin/env bash
# Installs what the Windows builds and their tests under Wine need, on top of scripts/setup.sh:
# the mingw-w64 cross compilers (32- and 64-bit), zlib built for them, the GoogleTest sources
# the cross builds compile, and Wine. Never wine32: this machine runs no 32-bit code, and with
# wine32 installed `wine` tries the 32-bit loader and fails. Later runs are quick.
set -euo pipefail
packages=(mingw-w64 libz-mingw-w64-dev googletest wine wine64)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
