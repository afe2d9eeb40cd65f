#!/usr/bin/env bash
# Runs a test command as a user whose home and data folders are fresh and empty, with
# TARNWELL_MACHINE unset, and fails when anything was left in them: no test may reach the default
# machine folder ($XDG_DATA_HOME/tarnwell/machine, else ~/.local/share/tarnwell/machine).
# Use: no-default-machine.sh COMMAND [ARG...]
set -uo pipefail
user=$(mktemp -d)
trap 'rm -rf "$user"' EXIT
mkdir "$user/home" "$user/data"
env -u TARNWELL_MACHINE HOME="$user/home" XDG_DATA_HOME="$user/data" "$@"
status=$?
left=$(cd "$user" && find home data -mindepth 1 | head -20)
if [ -n "$left" ]; then
  echo "no-default-machine: $1 left files in the user's folders:"
  echo "$left"
  exit 1
fi
if [ "$status" -ne 0 ]; then
  echo "no-default-machine: $1 failed (status $status) with empty user folders"
  exit 1
fi
echo "no-default-machine: the user's folders stayed empty"
