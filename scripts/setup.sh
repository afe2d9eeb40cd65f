#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and any named on the command line
# (once; later runs are quick).
set -euo pipefail
packages=(cmake make g++ pkg-config zlib1g-dev libgtest-dev libgmock-dev googletest
          libbenchmark-dev libcli11-dev nlohmann-json3-dev clang libclang-rt-14-dev
          libcurl4-openssl-dev python3 python3-pyftpdlib "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
