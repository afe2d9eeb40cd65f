#!/usr/bin/env bash
# Installs what the Windows builds and their tests under Wine need, on top of scripts/setup.sh:
# the mingw-w64 cross compilers (32- and 64-bit), zlib built for them, the GoogleTest sources
# the cross builds compile, Wine, and a virtual X display for the windows with the fonts they are
# drawn in (Liberation Sans has Arial's metrics; fonts-wine has the frame's Marlett). Never wine32: this machine runs no 32-bit code, and with
# wine32 installed `wine` tries the 32-bit loader and fails.
exec "$(dirname "$0")/setup.sh" mingw-w64 libz-mingw-w64-dev googletest wine wine64 xvfb xauth \
  fonts-liberation fonts-wine
