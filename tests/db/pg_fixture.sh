#!/usr/bin/env bash
# Starts (or stops) a PostgreSQL server of the tests' own: a temporary directory, loopback only,
# a free port. "start ENVFILE" writes the connection facts into ENVFILE as KEY=VALUE lines;
# "stop ENVFILE" stops that server and removes its directory.
set -euo pipefail

action=${1:?start or stop}
envfile=${2:?env file}

pgbin=""
for dir in /usr/lib/postgresql/*/bin; do
  [ -x "$dir/initdb" ] && pgbin=$dir
done
[ -n "$pgbin" ] || { echo "PostgreSQL server binaries not found (install postgresql)" >&2; exit 1; }

# initdb refuses to run as root: the server then runs as the postgres account.
as_server() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

stop_server() {
  [ -f "$envfile" ] || return 0
  local dir
  dir=$(sed -n 's/^PGDIR=//p' "$envfile")
  if [ -n "$dir" ] && [ -d "$dir/data" ]; then
    as_server "$pgbin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  [ -n "$dir" ] && rm -rf "$dir"
  rm -f "$envfile"
}

if [ "$action" = stop ]; then
  stop_server
  exit 0
fi

stop_server
dir=$(mktemp -d /tmp/quilvar-pg.XXXXXX)
chmod 755 "$dir"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
password="Qv-$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')"
printf '%s\n' "$password" >"$dir/pwfile"
[ "$(id -u)" -eq 0 ] && chown -R postgres: "$dir"

as_server "$pgbin/initdb" -D "$dir/data" -U quilvar --pwfile="$dir/pwfile" -E UTF8 --locale=C.UTF-8 \
  --auth-host=scram-sha-256 --auth-local=trust >"$dir/initdb.log" 2>&1 ||
  { cat "$dir/initdb.log" >&2; exit 1; }
as_server "$pgbin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
  -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off" start >/dev/null ||
  { cat "$dir/server.log" >&2; exit 1; }
as_server "$pgbin/psql" -h "$dir" -p "$port" -U quilvar -d postgres -q -v ON_ERROR_STOP=1 \
  -c "CREATE DATABASE quilvar_test ENCODING 'UTF8' TEMPLATE template0" >/dev/null
as_server "$pgbin/psql" -h "$dir" -p "$port" -U quilvar -d quilvar_test -q -v ON_ERROR_STOP=1 \
  <"$(dirname "$0")/pg_seed.sql" >/dev/null

cat >"$envfile" <<ENV
PGDIR=$dir
PGHOST=127.0.0.1
PGPORT=$port
PGUSER=quilvar
PGPASSWORD=$password
PGDATABASE=quilvar_test
ENV
echo "PostgreSQL on 127.0.0.1:$port in $dir"
