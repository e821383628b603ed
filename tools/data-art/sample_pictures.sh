#!/usr/bin/env bash
# Makes the sample picture of every gallery preset, resources/IMAGES/<n>.jpg:
# the preset's gallery built by picovand-cli from the demo photos and its
# start page shot in headless Chromium at 1280 x 900, stored 640 pixels wide.
# The photos go in without albums, so that the start page shows pictures.
#   tools/data-art/sample_pictures.sh [PRESET...]
# Needs a built build/bin/picovand-cli, chromium and ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cli=$root/build/bin/picovand-cli
photos=$root/demo/photos
res=$root/resources
[ -x "$cli" ] || { echo "build picovand-cli first" >&2; exit 1; }
[ -d "$photos" ] || { echo "no demo photos in $photos" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

presets=("$@")
if [ ${#presets[@]} -eq 0 ]; then
  for f in "$res"/CONFIG/[14567]???.config; do
    n=$(basename "$f" .config)
    [ $((n % 1000)) -ne 0 ] && presets+=("$n")
  done
fi

for n in "${presets[@]}"; do
  mkdir -p "$work/$n"
  out="$work/$n/Sommer 2024"
  "$cli" build --preset "$n" --output "$out" --import "$photos" --recursive \
    --captions iptc,comment,exif >/dev/null
  chromium --headless --no-sandbox --disable-gpu --disable-background-networking --disable-component-update \
    --no-first-run --hide-scrollbars --virtual-time-budget=3000 --window-size=1280,900 \
    --screenshot="$work/$n.png" "file://$out/pcv00000.htm" >/dev/null 2>&1
  convert "$work/$n.png" -resize 640x -strip -quality 82 -sampling-factor 4:2:0 "$res/IMAGES/$n.jpg"
  echo "$n: $(identify -format '%wx%h %b' "$res/IMAGES/$n.jpg")"
done
