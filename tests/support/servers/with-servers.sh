#!/usr/bin/env bash
# Runs a command with the loopback test servers up, for test programs that cannot start them
# themselves (the Windows tests under Wine): the HTTP and FTP servers serve one fresh folder, and
# the command finds them through TARN_TEST_HTTP_URL and TARN_TEST_FTP_URL. Without pyftpdlib only
# the HTTP server runs (the FTP cases then skip).
# Use: with-servers.sh COMMAND [ARG...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
python=${TARN_PYTHON:-/usr/bin/python3}
[ -x "$python" ] || python=python3
folder=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$folder"
}
trap cleanup EXIT

# Starts a server script and sets port to its port, or to nothing when it did not become ready
# within 5 s.
start() {
  local script=$1 out="$folder/.$1.out" word rest
  shift
  port=""
  "$python" "$here/$script" "$@" >"$out" 2>"$folder/.$script.err" </dev/null &
  pids+=($!)
  for _ in $(seq 50); do
    if read -r word rest <"$out" 2>/dev/null && [ -n "${word:-}" ]; then
      case $word in
        READY) port=$rest ;;
        *) echo "with-servers: $script: $word $rest" >&2 ;;
      esac
      return 0
    fi
    sleep 0.1
  done
  echo "with-servers: $script did not start: $(cat "$folder/.$script.err")" >&2
}

mkdir "$folder/served"
start http_server.py "$folder/served" --populate
[ -n "$port" ] || exit 1
export TARN_TEST_HTTP_URL="http://127.0.0.1:$port"
start ftp_server.py "$folder/served"
[ -n "$port" ] && export TARN_TEST_FTP_URL="ftp://127.0.0.1:$port"
"$@"
