#!/usr/bin/env bash
# Runs the HTML checker over every page template and information page of the
# data tree, in one Java run. The preview template is checked the way the
# program shows it, with its three placeholders filled in.
#   check_html.sh SOURCE_DIR SCRATCH_DIR
set -euo pipefail
src=$1
scratch=$2
jar=$src/node_modules/vnu-jar/build/dist/vnu.jar
if ! command -v java >/dev/null || [ ! -f "$jar" ]; then
  echo "HTML checker not installed (java and npm ci): skipped"
  exit 77
fi
res=$src/resources
rm -rf "$scratch" && mkdir -p "$scratch"
sed -e "s|##DRAFT##|Helle Kacheln|g" -e "s|##IMAGE##|$res/IMAGES/1001.jpg|g" \
    -e "s|\.\./IMAGES/tback\.png|$res/IMAGES/tback.png|g" "$res/DE/draft.html" > "$scratch/temp.html"
mapfile -t files < <(find "$res/DRAFTS" "$res/DE" -name '*.html' ! -name draft.html | sort)
files+=("$scratch/temp.html")
echo "checking ${#files[@]} pages"
# The checker does not know yet that a page may wait for one of its own
# elements before it paints (<link rel="expect" blocking="render">).
java -jar "$jar" --errors-only --format gnu \
  --filterpattern '.*“blocking” attribute must have a “rel” attribute whose value is “stylesheet”.*' "${files[@]}"
echo "all ${#files[@]} pages valid"
