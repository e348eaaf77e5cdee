#!/usr/bin/env bash
# Installs the build into a folder of its own and runs the installed program
# from another folder: it prints its switches, draws the bundled example
# unattended, speaks English at a first start, and its help pages, language
# file, desktop entry and MIME type are there; the entry passes
# desktop-file-validate (when installed).
set -euo pipefail
build="$1"
source_dir="$2"
cmake="${3:-cmake}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$cmake" --install "$build" --prefix "$work/prefix" > /dev/null
mkdir -p "$work/elsewhere"
cd "$work/elsewhere"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"
"$work/prefix/bin/gridova" --help | grep -q "usage: gridova"
cp "$source_dir/examples/wells.dat" .
"$work/prefix/bin/gridova" -m color_isolines -g map.png -h wells.dat
test -s map.png
head -c 8 map.png | od -An -c | grep -q "P   N   G"
for f in share/gridova/help/index.html share/applications/gridova.desktop \
         share/icons/hicolor/scalable/apps/gridova.svg share/mime/packages/gridova.xml \
         share/man/man1/gridova.1 share/gridova/English.lng; do
  test -s "$work/prefix/$f" || { echo "missing: $f" >&2; exit 1; }
done
grep -q 'glob pattern="\*.gdv"' "$work/prefix/share/mime/packages/gridova.xml"
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$work/prefix/share/applications/gridova.desktop"
fi
# A first start takes the installed English texts.
said="$("$work/prefix/bin/gridova" -i none.lev -m isolines -h wells.dat 2>&1 || true)"
grep -q "Cannot open file" <<< "$said"
echo "installed program runs"
