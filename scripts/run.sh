#!/usr/bin/env bash
# Installs what is missing, builds, starts the companion server on 127.0.0.1:7080 and runs
# the client against it from this folder (the client reads data/ here). The server keeps
# its accounts and races in ${XDG_DATA_HOME:-~/.local/share}/tidewake-server and stops
# when the client ends.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build

port=7080
server_data=${XDG_DATA_HOME:-$HOME/.local/share}/tidewake-server
mkdir -p "$server_data"
build/server/tidewake-server --port "$port" --data "$server_data" &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null || true' EXIT

# The server's first start prepares its coastline data (about half a minute) before it
# listens; later starts take a second.
echo "Waiting for the race server on port $port..."
for _ in $(seq 1 1800); do
  if curl -s -o /dev/null "http://127.0.0.1:$port/races?action=1"; then
    break
  fi
  kill -0 $server 2>/dev/null || { echo "The race server did not start."; exit 1; }
  sleep 0.1
done
build/tidewake
