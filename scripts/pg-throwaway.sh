#!/usr/bin/env bash
# Sourced: starts a throwaway PostgreSQL server in a temporary folder, listening on a free
# port of 127.0.0.1 only, and exports VARO_TEST_PG (a libpq connection string) and
# VARO_TEST_PG_DATA. Run as root, the server runs as the unprivileged user "postgres"
# (or "nobody"). Stop it with pg_throwaway_stop.
pg_bin_dir() {
  local d
  for d in /usr/lib/postgresql/*/bin; do
    [ -x "$d/initdb" ] && { echo "$d"; return 0; }
  done
  command -v initdb >/dev/null && { dirname "$(command -v initdb)"; return 0; }
  return 1
}
pg_free_port() {
  local p
  for p in $(seq "${1:-55432}" 55931); do
    (echo >/dev/tcp/127.0.0.1/$p) 2>/dev/null || { echo "$p"; return 0; }
  done
  return 1
}
pg_throwaway_start() {
  local bin port user run try
  bin="$(pg_bin_dir)" || { echo "PostgreSQL server binaries not found" >&2; return 1; }
  PG_TMP="$(mktemp -d /tmp/varo-pg.XXXXXX)"
  chmod 755 "$PG_TMP"
  run=()
  if [ "$(id -u)" -eq 0 ]; then
    # The server refuses to run as root.
    user=postgres
    id "$user" >/dev/null 2>&1 || user=nobody
    chown "$user" "$PG_TMP"
    run=(runuser -u "$user" --)
  else
    user="$(id -un)"
  fi
  "${run[@]}" "$bin/initdb" -D "$PG_TMP/data" -U varo -A trust --no-sync -E UTF8 >"$PG_TMP/initdb.log" 2>&1 ||
    { cat "$PG_TMP/initdb.log" >&2; return 1; }
  # Another server (another user's throwaway one) may take the port between the probe and
  # the start: try the next free ones.
  port=$((55432 + RANDOM % 400))
  for try in 1 2 3 4 5 6 7 8; do
    port="$(pg_free_port "$port")" || break
    if "${run[@]}" "$bin/pg_ctl" -D "$PG_TMP/data" -l "$PG_TMP/server.log" -w -t 60 \
      -o "-c listen_addresses=127.0.0.1 -p $port -k $PG_TMP -c fsync=off -c max_connections=100" start >/dev/null; then
      PG_RUN=("${run[@]}")
      PG_BIN="$bin"
      export VARO_TEST_PG="host=127.0.0.1 port=$port user=varo dbname=postgres"
      export VARO_TEST_PG_DATA="$PG_TMP/data"
      export VARO_TEST_PG_BIN="$bin"
      export VARO_TEST_PG_RUNAS="${run[*]}"
      return 0
    fi
    port=$((port + 1))
  done
  cat "$PG_TMP/server.log" >&2
  return 1
}
# Runs a command as the user owning a throwaway server (root cannot run the server tools).
pg_run_as() {
  local user="$1"; shift
  if [ "$(id -u)" -eq 0 ] && [ "$user" != root ]; then
    runuser -u "$user" -- "$@"
  else
    "$@"
  fi
}
pg_throwaway_stop() {
  if [ -n "${PG_TMP:-}" ]; then
    "${PG_RUN[@]}" "$PG_BIN/pg_ctl" -D "$PG_TMP/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$PG_TMP"
    PG_TMP=""
  fi
}
