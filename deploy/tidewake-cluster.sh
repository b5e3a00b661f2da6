#!/usr/bin/env bash
# Starts, on one machine, a trial of the server on several instances: PostgreSQL in a
# folder of its own, N tidewake-server instances on it and nginx in front of them; or
# stops such a set again.
#
#   deploy/tidewake-cluster.sh start DIR [--instances N] [--port P] [--server PROGRAM] [-- OPTIONS...]
#   deploy/tidewake-cluster.sh stop DIR
#
# nginx listens on P (default 7080), the instances on P+1 ... P+N (default N = 2), and
# PostgreSQL on a socket in DIR/run only. OPTIONS go to every instance (e.g. --boats 1000).
# Under DIR: pg/ (the database cluster and its log), instance-I/ (data folder, log, pid),
# nginx.conf with its log. The first instance builds the land polygons when its folder has
# none (half a minute); the others link to its files. Run as root, PostgreSQL runs as the
# postgres user.
set -euo pipefail

usage() {
  sed -n '5,6p' "$0" | sed 's/^# *//' >&2
  exit 2
}

[ $# -ge 2 ] || usage
command=$1
dir=$(realpath -m "$2")
shift 2
instances=2
port=7080
server=$(dirname "$0")/../build/server/tidewake-server
options=()
while [ $# -gt 0 ]; do
  case $1 in
    --instances) instances=$2; shift 2 ;;
    --port) port=$2; shift 2 ;;
    --server) server=$2; shift 2 ;;
    --) shift; options=("$@"); break ;;
    *) usage ;;
  esac
done

pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
as_postgres() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

wait_for() {
  local url=$1 log=$2
  for _ in $(seq 1 1200); do
    curl -fs -o /dev/null "$url" && return 0
    sleep 0.2
  done
  echo "tidewake-cluster: nothing answers at $url; see $log" >&2
  return 1
}

stop() {
  [ -f "$dir/nginx.conf" ] && nginx -c "$dir/nginx.conf" -s quit 2>/dev/null || true
  for pidfile in "$dir"/instance-*/pid; do
    [ -f "$pidfile" ] || continue
    kill "$(cat "$pidfile")" 2>/dev/null || true
    rm -f "$pidfile"
  done
  [ -f "$dir/pg/data/postmaster.pid" ] && as_postgres "$pgbin/pg_ctl" -D "$dir/pg/data" -m fast -w stop > /dev/null || true
  echo "tidewake-cluster: stopped"
}

start() {
  [ -n "$pgbin" ] || { echo "tidewake-cluster: PostgreSQL is not installed (apt-get install postgresql)" >&2; exit 1; }
  mkdir -p "$dir/pg" "$dir/run"
  # PostgreSQL must reach its folders through DIR.
  [ "$(id -u)" -ne 0 ] || { chmod a+x "$dir"; chown postgres "$dir/pg" "$dir/run"; }
  if [ ! -f "$dir/pg/data/PG_VERSION" ]; then
    as_postgres "$pgbin/initdb" -D "$dir/pg/data" -A trust -U tidewake > "$dir/pg/initdb.log"
    printf "listen_addresses = ''\nunix_socket_directories = '%s'\nmax_connections = 200\n" "$dir/run" >> "$dir/pg/data/postgresql.conf"
  fi
  as_postgres "$pgbin/pg_ctl" -D "$dir/pg/data" -l "$dir/pg/log" -w start > /dev/null
  database="postgresql://tidewake@/postgres?host=$dir/run"

  upstreams=""
  for i in $(seq 1 "$instances"); do
    data=$dir/instance-$i
    mkdir -p "$data"
    if [ "$i" -gt 1 ]; then
      for coast in "$dir"/instance-1/coast-?.bin; do
        [ -e "$data/$(basename "$coast")" ] || ln -s "$coast" "$data/"
      done
    fi
    "$server" --data "$data" --port $((port + i)) --database "$database" "${options[@]}" > "$data/log" 2>&1 &
    echo $! > "$data/pid"
    # The first one alone, so that it builds the land polygons the others link to.
    [ "$i" -gt 1 ] || wait_for "http://127.0.0.1:$((port + 1))/races?action=1" "$data/log"
    upstreams+="    server 127.0.0.1:$((port + i));"$'\n'
  done
  for i in $(seq 2 "$instances"); do
    wait_for "http://127.0.0.1:$((port + i))/races?action=1" "$dir/instance-$i/log"
  done

  # The repository's configuration with this set's ports, and files kept in DIR.
  {
    echo "daemon on; pid $dir/nginx.pid; error_log $dir/nginx-error.log;"
    [ "$(id -u)" -ne 0 ] || echo "user root;"
    echo "events { worker_connections 4096; }"
    echo "http { access_log off; client_body_temp_path $dir/nginx-body; proxy_temp_path $dir/nginx-proxy;"
    awk -v upstreams="$upstreams" -v port="$port" '
      /^upstream/ { print; printf "%s", upstreams; skip = 1; next }
      skip && /server 127/ { next }
      /listen 7080;/ { sub("7080", "127.0.0.1:" port) }
      /^#/ { next }
      { skip = skip && !/keepalive/; print }' "$(dirname "$0")/nginx.conf"
    echo "}"
  } > "$dir/nginx.conf"
  nginx -c "$dir/nginx.conf"
  wait_for "http://127.0.0.1:$port/races?action=1" "$dir/nginx-error.log"

  echo "tidewake-cluster: nginx on http://127.0.0.1:$port/, instances on ports $((port + 1))-$((port + instances)),"
  echo "  PostgreSQL at $database; stop with: $0 stop $dir"
}

case $command in
  start) start ;;
  stop) stop ;;
  *) usage ;;
esac
