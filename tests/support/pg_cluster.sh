#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the tests, its data and its Unix socket in the folder given:
#   pg_cluster.sh start DIR    creates and starts it, with the roles the tests use
#   pg_cluster.sh stop DIR     stops it
# The superuser postgres logs in without a password; importer (password Sesame-42) with one. As
# root the server runs as nobody, as it refuses root. Exits 2 when PostgreSQL is not installed.
set -euo pipefail
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ ! -x "$bin/initdb" ]; then
  echo "PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb)"
  exit 2
fi
dir=$2
as=()
if [ "$(id -u)" -eq 0 ]; then
  chown nobody "$dir"
  as=(runuser -u nobody --)
fi
case $1 in
  start)
    "${as[@]}" "$bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 --no-sync \
      >"$dir/initdb.log"
    printf 'local all postgres trust\nlocal all all scram-sha-256\n' >"$dir/data/pg_hba.conf"
    "${as[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -s start -o \
      "-c listen_addresses='' -c unix_socket_directories='$dir' -c fsync=off"
    "$bin/psql" -h "$dir" -U postgres -d postgres -q -v ON_ERROR_STOP=1 \
      -c "CREATE ROLE importer LOGIN PASSWORD 'Sesame-42'"
    ;;
  stop)
    "${as[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate -w -s stop
    ;;
esac
