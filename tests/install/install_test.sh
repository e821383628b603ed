#!/usr/bin/env bash
# install_test.sh BUILD_DIR PHOTOS: installs BUILD_DIR into a scratch prefix,
# moves the prefix (an install must not depend on where it was made) and
# checks the installed programs and desktop files.
set -eu  # no pipefail: grep -q ends its pipe early on purpose
build=$1 photos=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
for tool in desktop-file-validate appstreamcli update-mime-database xmllint help2man; do
  command -v $tool >/dev/null || { echo "$tool is missing (scripts/setup installs it): skipped"; exit 77; }
done

cmake --install "$build" --prefix "$scratch/first" >/dev/null
mv "$scratch/first" "$scratch/usr"
prefix=$scratch/usr
id=org.picovand.PicoVand

for f in bin/picovand-cli bin/picovand share/picovand/CONFIG/1001.config share/picovand/DE/draft.html \
         share/picovand/CTRL share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/mime/packages/$id.xml share/bash-completion/completions/picovand-cli \
         share/man/man1/picovand.1.gz share/man/man1/picovand-cli.1.gz share/doc/picovand/copyright; do
  [ -e "$prefix/$f" ] || fail "$f is not installed"
done
[ ! -e "$prefix/lib/picovand" ] || fail "programs or data installed into lib/picovand"
[ ! -e "$prefix/bin/resources" ] || fail "a data tree beside the installed programs"

# Each hicolor size holds a picture of that size.
for size in 16 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x$size/apps/$id.png
  dims=$(od -An -tu1 -j16 -N8 "$icon" 2>/dev/null | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
  [ "$dims" = "${size}x$size" ] || fail "icon $icon is $dims, not ${size}x$size"
done

# The validators of the desktop: no errors, no warnings.
out=$(desktop-file-validate "$prefix/share/applications/$id.desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
grep -q '^Name\[de\]=' "$prefix/share/applications/$id.desktop" || fail "no German name"
grep -q '^Comment\[de\]=' "$prefix/share/applications/$id.desktop" || fail "no German comment"
grep -qx 'StartupWMClass=Pico Vand' "$prefix/share/applications/$id.desktop" || fail "StartupWMClass is not the window's class"
out=$(appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$id.metainfo.xml" 2>&1) \
  || fail "appstreamcli validate: $out"
for shot in "$(dirname "$0")"/../../docs/screenshots/*.png; do
  grep -q "/$(basename "$shot")</image>" "$prefix/share/metainfo/$id.metainfo.xml" || fail "screenshot $shot not in the metainfo"
done
out=$(xmllint --noout "$prefix/share/mime/packages/$id.xml" 2>&1) || fail "xmllint: $out"
cp -r "$prefix/share/mime" "$scratch/mime"
out=$(XDG_DATA_HOME=$scratch update-mime-database "$scratch/mime" 2>&1) || fail "update-mime-database: $out"
[ -z "$out" ] || fail "update-mime-database: $out"
grep -q 'application/x-picovand-project:\*\.pvproj' "$scratch/mime/globs2" || fail ".pvproj is not a known file type"
grep -q 'application/x-picovand-project' "$prefix/share/applications/$id.desktop" || fail "the menu entry does not open projects"

# A user's first commands; nothing of the build tree and no real home.
export HOME=$scratch/home XDG_CONFIG_HOME= XDG_DATA_HOME= XDG_CACHE_HOME= XDG_STATE_HOME= XDG_DOCUMENTS_DIR=
mkdir "$HOME"
cli=$prefix/bin/picovand-cli
"$cli" presets | grep -q '^ *1001 ' || fail "the installed picovand-cli lists no preset 1001"
"$cli" control-sets | grep -q '^ *101 ' || fail "the installed picovand-cli lists no control set 101"
"$cli" --help | grep -q -- '--preset' || fail "picovand-cli --help"
"$cli" --version | grep -q '^PicoVand [0-9]' || fail "picovand-cli --version"
"$prefix/bin/picovand" --help | grep -q 'picovand \[PROJECT.pvproj\]' || fail "picovand --help"
"$prefix/bin/picovand" --version | grep -q '^PicoVand [0-9]' || fail "picovand --version"
left=$(cd "$HOME" && find . -mindepth 1)
[ -z "$left" ] || fail "read-only commands created $left"

if [ -d "$photos" ]; then
  mkdir "$scratch/projects"
  "$cli" build --preset 1001 --output "$scratch/projects/Reise" "$photos"/exif_nikon_d300_progressive.jpeg \
    >"$scratch/build.log" 2>&1 || fail "the installed picovand-cli did not build: $(cat "$scratch/build.log")"
  [ -f "$scratch/projects/Reise/pcv00000.htm" ] || fail "no start page"
  # The preset's graphics come from share/picovand/.
  for f in "$prefix"/share/picovand/DRAFTS/1001/pcv_image_folder/*; do
    [ -e "$scratch/projects/Reise/images/_pcv_1001/$(basename "$f")" ] ||
      [ -n "$(find "$scratch/projects/Reise" -name "$(basename "$f")")" ] || fail "$(basename "$f") not copied from share/"
  done
else
  echo "shared test photos not found at $photos: gallery build skipped"
fi

# Manual pages: every option of --help is in its page.
for program in picovand-cli picovand; do
  page=$prefix/share/man/man1/$program.1.gz
  text=$(MANWIDTH=200 man -l "$page" 2>/dev/null | sed 's/‐/-/g')
  for option in $("$prefix/bin/$program" --help | grep -o -- '--[a-z][a-z0-9-]*' | sort -u); do
    grep -q -- "$option" <<<"$text" || fail "$program.1 lacks $option"
  done
done

# Completion: commands, options, preset numbers, choices.
complete_words() {
  PATH=$prefix/bin:$PATH bash -c '
    source "$1"; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
    _picovand_cli; printf "%s\n" "${COMPREPLY[@]}"' _ "$prefix/share/bash-completion/completions/picovand-cli" "$@"
}
complete_words picovand-cli "" | grep -qx build || fail "completion offers no command build"
complete_words picovand-cli "" | grep -qx control-sets || fail "completion offers no command control-sets"
complete_words picovand-cli build --pre | grep -qx -- --preset || fail "completion offers no --preset"
complete_words picovand-cli build --preset "" | grep -qx 1001 || fail "completion offers no preset 1001"
complete_words picovand-cli build --preset 70 | grep -qx 7001 || fail "completion offers no preset 7001 for 70"
complete_words picovand-cli build --preset 70 | grep -qx 1001 && fail "completion offers 1001 for 70"
complete_words picovand-cli build --control-set "" | grep -qx 101 || fail "completion offers no control set 101"
complete_words picovand-cli build --filter b | grep -qx bicubic || fail "completion offers no filter bicubic"

[ $failures -eq 0 ] || exit 1
echo "installed tree checked"
