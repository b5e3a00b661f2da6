#!/usr/bin/env bash
# Measures the client at rest under Xvfb with SDL's software renderer: how long after the
# process starts its first picture reaches the screen, and how much of a core the idle
# login screen then takes over 10 seconds (from /proc/PID/stat).
#   scripts/measure-idle.sh [client program, default build/tidewake]
# Run from the source tree (the client reads data/ there). The first frame is seen by
# wait-picture.c (built here with cc), which starts the client and grabs the middle of
# the screen every millisecond until it differs from the grab taken before the start.
set -euo pipefail
cd "$(dirname "$0")/.."
client=${1:-build/tidewake}
seconds=10

work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
client_pid=
# The client is wait-picture's child, not this shell's: its end is awaited through /proc.
cleanup() {
  if [ -n "$client_pid" ] && kill -TERM "$client_pid" 2>/dev/null; then
    for _ in $(seq 1 100); do
      [ -d "/proc/$client_pid" ] || break
      sleep 0.05
    done
  fi
  kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  sleep 0.05
done
export DISPLAY=:$(cat "$work/display")
cc -O2 -o "$work/wait-picture" scripts/wait-picture.c -lX11

read -r client_pid first < <(SDL_RENDER_DRIVER=software SDL_AUDIODRIVER=dummy XDG_DATA_HOME="$work" \
  XDG_CONFIG_HOME="$work" "$work/wait-picture" "$client" 2>"$work/client.log" || true)
[ -n "$first" ] || { echo "No picture within 30 s:"; cat "$work/client.log"; exit 1; }
echo "first frame: ${first} ms after start"
[ -n "${SHOT:-}" ] && xwd -root -silent | convert xwd:- "$SHOT"

# Ticks spent in user and system mode; the name in field 2 may hold spaces.
cpu_ticks() { sed 's/.*) //' "/proc/$client_pid/stat" | awk '{ print $12 + $13 }'; }
sleep 2
ticks=$(cpu_ticks)
sleep "$seconds"
used=$(( $(cpu_ticks) - ticks ))
awk -v used="$used" -v hz="$(getconf CLK_TCK)" -v s="$seconds" \
  'BEGIN { printf "idle login screen: %.1f%% of a core over %d s\n", 100 * used / hz / s, s }'
