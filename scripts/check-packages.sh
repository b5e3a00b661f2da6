#!/usr/bin/env bash
# Makes the Debian packages tidewake and tidewake-server from a built tree
# (scripts/check-packages.sh [TREE], default build; they land in TREE/packages) and checks
# them: unpacked into a scratch root, the desktop entry names a program that starts in
# its Path with every data file the client reads, the icons, the desktop entry and the
# AppStream metainfo are valid, the server's manual page covers its options and its
# systemd unit is sound, and lintian reports no error.
set -euo pipefail
cd "$(dirname "$0")/.."
tree=${1:-build}

rm -rf "$tree/packages"
(cd "$tree" && cpack -G DEB > cpack.log 2>&1) || { cat "$tree/cpack.log"; exit 1; }
client=$(echo "$tree"/packages/tidewake_*.deb)
server=$(echo "$tree"/packages/tidewake-server_*.deb)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg -x "$client" "$root"
dpkg -x "$server" "$root"

failures=0
fail() {
  echo "check-packages: $*"
  failures=$((failures + 1))
}

desktop=$root/usr/share/applications/tidewake.desktop
desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
program=$root$(sed -n 's/^Exec=//p' "$desktop")
folder=$root$(sed -n 's/^Path=//p' "$desktop")
[ -x "$program" ] || fail "the desktop entry's program $program is missing"
while read -r file; do
  cmp -s "data/$file" "$folder/data/$file" || fail "data/$file is missing from $folder"
done < <(cd data && find images fonts music sound -type f)
for size in 48 128 256; do
  icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/tidewake.png
  file -b "$icon" 2>/dev/null | grep -q "PNG image data, $size x $size" || fail "no $size-pixel icon"
done
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "the metainfo is not valid"

# The client starts in the desktop entry's folder and finds all it loads there (a missing
# picture would be asked of the tile server and reported). It still runs after 3 seconds.
output=$(cd "$folder" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy SDL_RENDER_DRIVER=software \
  XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/share timeout 3 "$program" 2>&1) && status=0 || status=$?
[ "$status" -eq 124 ] || fail "the client ended with status $status: $output"
[ -z "$output" ] || fail "the client reported: $output"

usage=$("$root/usr/bin/tidewake-server" --help) || fail "tidewake-server --help failed"
manual=$(zcat "$root/usr/share/man/man1/tidewake-server.1.gz" | sed 's/\\-/-/g')
for option in $(grep -o -- '--[a-z-]*' <<< "$usage" | sort -u); do
  grep -q -- "$option" <<< "$manual" || fail "the manual page lacks $option"
done

# The service, checked with the program's path in the scratch root: no unknown or wrong
# settings, and hardening that keeps systemd's exposure level at most 2.0.
unit=$scratch/tidewake-server.service
sed "s#=/usr/bin/#=$root/usr/bin/#" "$root/usr/lib/systemd/system/tidewake-server.service" > "$unit" ||
  fail "no systemd unit"
messages=$(systemd-analyze verify --man=no "$unit" 2>&1) || fail "systemd-analyze verify failed"
[ -z "$messages" ] || fail "the systemd unit: $messages"
systemd-analyze security --offline=yes --threshold=20 "$unit" > /dev/null || fail "the service is exposed above 2.0"

lintian --fail-on error "$client" "$server" || fail "lintian found errors"

if [ "$failures" -ne 0 ]; then
  echo "check-packages: $failures failed"
  exit 1
fi
echo "check-packages: $(basename "$client") and $(basename "$server") passed"
