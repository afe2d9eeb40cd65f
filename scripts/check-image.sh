#!/usr/bin/env bash
# Checks that each program is a Windows image of the given kind: pei-i386 (32-bit, PE32) or
# pei-x86-64 (64-bit, PE32+).
# Use: check-image.sh KIND PROGRAM...
set -euo pipefail
kind=$1
shift
for program in "$@"; do
  # The 64-bit mingw objdump reads both kinds of image.
  if ! x86_64-w64-mingw32-objdump -f "$program" 2>/dev/null | grep -q "file format $kind\$"; then
    echo "$program is not a $kind image" >&2
    exit 1
  fi
  echo "$program: $kind"
done
