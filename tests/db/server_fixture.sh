#!/usr/bin/env bash
# Starts or stops a database server of the tests' own on loopback, in a directory of its own:
#   server_fixture.sh pg|tds start|stop ENVFILE   (start writes the server's facts into ENVFILE, KEY=VALUE lines)
# pg: PostgreSQL on a free port, seeded with pg_seed.sql; tds: tds_server.py with a certificate made for the run.
set -euo pipefail
kind=${1:?pg or tds}
action=${2:?start or stop}
envfile=${3:?env file}
here=$(cd "$(dirname "$0")" && pwd)
fact() { sed -n "s/^$1=//p" "$envfile"; }

pgbin=""
for d in /usr/lib/postgresql/*/bin; do [ -x "$d/initdb" ] && pgbin=$d; done
# initdb refuses to run as root: the server then runs as the postgres account.
as_server() { if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }
fail_with() { cat "$1" >&2; exit 1; }

if [ -f "$envfile" ]; then
  dir=$(fact DIR)
  if [ "$kind" = pg ] && [ -d "$dir/data" ]; then
    as_server "$pgbin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  pid=$(fact PID)
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  [ -n "$dir" ] && rm -rf "$dir"
  rm -f "$envfile"
fi
[ "$action" = stop ] && exit 0

dir=$(mktemp -d "/tmp/quilvar-$kind.XXXXXX")
chmod 755 "$dir"
if [ "$kind" = pg ]; then
  [ -n "$pgbin" ] || { echo "PostgreSQL server binaries not found (install postgresql)" >&2; exit 1; }
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  password="Qv-$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')"
  printf '%s\n' "$password" >"$dir/pwfile"
  [ "$(id -u)" -eq 0 ] && chown -R postgres: "$dir"
  as_server "$pgbin/initdb" -D "$dir/data" -U quilvar --pwfile="$dir/pwfile" -E UTF8 --locale=C.UTF-8 \
    --auth-host=scram-sha-256 --auth-local=trust >"$dir/initdb.log" 2>&1 || fail_with "$dir/initdb.log"
  as_server "$pgbin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off" start >/dev/null || fail_with "$dir/server.log"
  psql() { as_server "$pgbin/psql" -h "$dir" -p "$port" -U quilvar -q -v ON_ERROR_STOP=1 "$@" >/dev/null; }
  psql -d postgres -c "CREATE DATABASE quilvar_test ENCODING 'UTF8' TEMPLATE template0"
  psql -d quilvar_test <"$here/pg_seed.sql"
  printf 'DIR=%s\nPGHOST=127.0.0.1\nPGPORT=%s\nPGUSER=quilvar\nPGPASSWORD=%s\nPGDATABASE=quilvar_test\n' \
    "$dir" "$port" "$password" >"$envfile"
else
  # SQL Server makes a certificate of its own when none is installed; so does this server.
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=localhost" -keyout "$dir/key.pem" \
    -out "$dir/cert.pem" >"$dir/openssl.log" 2>&1 || fail_with "$dir/openssl.log"
  setsid /usr/bin/python3 "$here/tds_server.py" "$dir/cert.pem" "$dir/key.pem" "$dir/ports" \
    </dev/null >"$dir/server.log" 2>&1 &
  pid=$!
  for _ in $(seq 100); do
    [ -f "$dir/ports" ] && break
    kill -0 "$pid" 2>/dev/null || fail_with "$dir/server.log"
    sleep 0.1
  done
  [ -f "$dir/ports" ] || { kill "$pid"; echo "the test SQL Server did not start" >&2; exit 1; }
  { echo "DIR=$dir"; echo "PID=$pid"; cat "$dir/ports"; } >"$envfile"
fi
echo "$kind test server: $(tr '\n' ' ' <"$envfile")"
