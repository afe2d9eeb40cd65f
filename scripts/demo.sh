#!/usr/bin/env bash
# The main job on the embedded default machine: create it, show what it holds, leave a restart-
# time job and a delayed delete for it, and restart it.
set -euo pipefail
tool=${TARNWELL_TOOL:-build/apps/tarnwell}
"$tool" machine init
"$tool" reg query "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion"
"$tool" reg add "HKLM\\Software\\Tarnwell Demo" /v Greeting /t REG_SZ /d "Hello from Tarnwell" /f
"$tool" reg add "HKLM\\Software\\Tarnwell Demo" /v Runs /t REG_DWORD /d 1 /f
"$tool" reg query "HKLM\\Software\\Tarnwell Demo"
"$tool" reg delete "HKLM\\Software\\Tarnwell Demo" /f
"$tool" machine restart
echo "The machine lives in $("$tool" machine where)"
