#!/usr/bin/env bash
# Starts (or stops) the tests' own SQL Server (tds_server.py) on free loopback ports, with a
# self-signed certificate made for the run. "start ENVFILE" writes the ports into ENVFILE as
# KEY=VALUE lines (plain, login, forced, browser); "stop ENVFILE" stops it and removes its directory.
set -euo pipefail

action=${1:?start or stop}
envfile=${2:?env file}
here=$(cd "$(dirname "$0")" && pwd)

stop_server() {
  [ -f "$envfile" ] || return 0
  local dir pid
  dir=$(sed -n 's/^TDSDIR=//p' "$envfile")
  pid=$(sed -n 's/^TDSPID=//p' "$envfile")
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  [ -n "$dir" ] && rm -rf "$dir"
  rm -f "$envfile"
}

if [ "$action" = stop ]; then
  stop_server
  exit 0
fi

stop_server
dir=$(mktemp -d /tmp/quilvar-tds.XXXXXX)
# SQL Server makes a certificate of its own when none is installed; so does this server.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=localhost" \
  -keyout "$dir/key.pem" -out "$dir/cert.pem" >"$dir/openssl.log" 2>&1 ||
  { cat "$dir/openssl.log" >&2; exit 1; }
setsid /usr/bin/python3 "$here/tds_server.py" "$dir/cert.pem" "$dir/key.pem" "$dir/ports" \
  </dev/null >"$dir/server.log" 2>&1 &
pid=$!
for _ in $(seq 100); do
  [ -f "$dir/ports" ] && break
  kill -0 "$pid" 2>/dev/null || { cat "$dir/server.log" >&2; exit 1; }
  sleep 0.1
done
[ -f "$dir/ports" ] || { echo "the test SQL Server did not start" >&2; kill "$pid"; exit 1; }

{
  echo "TDSDIR=$dir"
  echo "TDSPID=$pid"
  cat "$dir/ports"
} >"$envfile"
echo "test SQL Server on 127.0.0.1: $(tr '\n' ' ' <"$dir/ports")"
