#!/usr/bin/env bash
# A throwaway PostgreSQL 15 cluster for the team record's tests: on a Unix socket in DIR (no TCP
# port), the superuser "postgres" and the login role quantelo_test_client trusted on that socket,
# the login role quantelo_test_password asking for a password that no one has. Run as root (as CI
# is), the server runs as the system user postgres, which the package creates, and DIR belongs
# to it. stop removes DIR whatever state the cluster is in; pause stops the server and keeps its
# data, resume starts it again, as a server goes down and comes back.
# The tests need no crash safety and run faster without a sync at each commit; "durable" keeps
# PostgreSQL's own settings (fsync, synchronous_commit), for figures as a real server gives them.
# Usage: pg_cluster.sh start|resume DIR [durable] | stop|pause DIR
set -euo pipefail

readonly action=$1 dir=$2 durability=${3:-}
readonly bin=/usr/lib/postgresql/15/bin

case $durability in
  '') readonly sync_settings='-c fsync=off' ;;
  durable) readonly sync_settings='' ;;
  *) echo "pg_cluster.sh: unknown option $durability (durable or nothing)" >&2; exit 2 ;;
esac

as_server() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

run_server() {
  as_server "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-c listen_addresses='' -k $dir $sync_settings -c max_connections=60" start >/dev/null ||
    { cat "$dir/server.log" >&2; exit 1; }
}

stop() {
  if [ -f "$dir/data/postmaster.pid" ]; then
    as_server "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null || true
  fi
  rm -rf "$dir"
}

case $action in
  start)
    [ -x "$bin/initdb" ] || { echo "pg_cluster.sh: $bin/initdb is missing (package postgresql-15)" >&2; exit 1; }
    # A cluster left by a run that was killed is stopped first.
    stop
    mkdir -m 700 "$dir"
    [ "$(id -u)" -ne 0 ] || chown postgres: "$dir"
    as_server "$bin/initdb" -D "$dir/data" -U postgres --auth-local=trust --auth-host=reject \
      -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
    # Before the line that trusts everyone on the socket: this role must give a password.
    sed -i '0,/^local/s//local all quantelo_test_password scram-sha-256\nlocal/' "$dir/data/pg_hba.conf"
    run_server
    "$bin/psql" -h "$dir" -U postgres -d postgres -qAt -v ON_ERROR_STOP=1 \
      -c "CREATE ROLE quantelo_test_client LOGIN" \
      -c "CREATE ROLE quantelo_test_password LOGIN PASSWORD 'not known to anyone'" >/dev/null
    echo "PostgreSQL $("$bin/postgres" --version | awk '{print $3}') on $dir"
    ;;
  stop)
    stop
    ;;
  pause)
    as_server "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
    ;;
  resume)
    run_server
    ;;
  *)
    echo "usage: pg_cluster.sh start|resume DIR [durable] | stop|pause DIR" >&2
    exit 2
    ;;
esac
