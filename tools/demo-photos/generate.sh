#!/usr/bin/env bash
# Makes the demo photos under demo/photos/ once: paints the scenes, sorts them
# into their album folders and writes camera data (EXIF) and captions (IPTC)
# into each, as photos.tsv lists them. The result is committed; run this again
# only to change the demo set.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="$here/../../demo/photos"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

g++ -O2 -std=c++20 "$here/scenes.cpp" -lfreeimage -o "$work/scenes"
"$work/scenes" "$work" >/dev/null

rm -rf "$out"
while IFS=$'\t' read -r file folder title caption make model taken exposure fnumber iso focal orientation; do
  [[ -z "$file" || "$file" == \#* ]] && continue
  mkdir -p "$out/$folder"
  target="$out/$folder/$file"
  mv "$work/$file" "$target"
  exiftool -q -overwrite_original -charset iptc=UTF8 \
    -EXIF:Make="$make" -EXIF:Model="$model" -EXIF:DateTimeOriginal="$taken" -EXIF:CreateDate="$taken" \
    -EXIF:ModifyDate="$taken" -EXIF:ExposureTime="$exposure" -EXIF:FNumber="$fnumber" -EXIF:ISO="$iso" \
    -EXIF:FocalLength="$focal" -EXIF:Orientation#="$orientation" \
    -IPTC:CodedCharacterSet=UTF8 -IPTC:ObjectName="$title" -IPTC:Caption-Abstract="$caption" \
    "$target"
done < "$here/photos.tsv"
du -sh "$out"
