#!/usr/bin/env bash
# Regenerates everything under data/ (images, icons, font, music, waves) from tools/make-data/.
# Installs the generator's own Debian packages when they are missing. The output is
# deterministic: seeded noise, fixed Ogg serial numbers, no time stamps in the images.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(python3 python3-cairo python3-numpy imagemagick sox vorbis-tools fonts-roboto-unhinted)
missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  $sudo apt-get update -q
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -q \
    --no-install-recommends "${missing[@]}"
fi

# Debian's interpreter, which has python3-cairo and python3-numpy (not one from PATH).
python=/usr/bin/python3
export PYTHONDONTWRITEBYTECODE=1
generator=tools/make-data/make_data.py
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

mkdir -p data/images data/fonts data/music data/sound

echo "images"
"$python" "$generator" images data/images "$scratch"

echo "icons"
"$python" "$generator" icons data/icons

echo "font"
font=/usr/share/fonts/truetype/roboto/unhinted/RobotoCondensed-Bold.ttf
cp "$font" data/fonts/newscycle-bold.ttf
{
  echo "Roboto Condensed Bold, copied from Debian's package fonts-roboto-unhinted"
  echo "($(dpkg-query -W -f='${Version}' fonts-roboto-unhinted)) as newscycle-bold.ttf."
  echo
  cat /usr/share/doc/fonts-roboto-unhinted/copyright
  echo
  echo "----------------------------------------------------------------------------"
  echo
  cat /usr/share/common-licenses/Apache-2.0
} > data/fonts/LICENSE-RobotoCondensed.txt

# Each track: synthesised dry, given a room with sox, encoded with a fixed serial.
serial=7001
rm -f data/music/*.ogg
for track in $("$python" "$generator" tracks); do
  echo "music: $track"
  "$python" "$generator" music "$track" "$scratch/$track.wav"
  sox -R "$scratch/$track.wav" "$scratch/$track-room.wav" gain -4 reverb 45 50 90 100 15 gain -n -1
  oggenc -Q -q 1 -s "$serial" -t "$track" -a Tidewake -o "data/music/$track.ogg" "$scratch/$track-room.wav"
  serial=$((serial + 1))
done

echo "waves"
"$python" "$generator" waves "$scratch/waves.wav"
oggenc -Q -q 2 -s 7100 -t waves -a Tidewake -o data/sound/waves.ogg "$scratch/waves.wav"

du -sh data
