#!/usr/bin/env bash
# Builds Morvane for both architectures and packs each into a zip for users:
#   build/packages/Morvane-2.00-x64.zip and build/packages/Morvane-2.00-x86.zip
# Each holds a folder "Morvane" with the executable, the help file and the Japanese read-me.
# With --no-build it packs what the last build left (the test run uses this).
set -euo pipefail
cd "$(dirname "$0")/.."
version=2.00
out=build/packages

if [ "${1:-}" != "--no-build" ]; then
  bash tools/setup.sh
  for arch in x64 x86; do
    cmake --preset "$arch" >/dev/null
    cmake --build --preset "$arch" --target Morvane
  done
fi

declare -A strip_tool=([x64]=x86_64-w64-mingw32-strip [x86]=i686-w64-mingw32-strip)
mkdir -p "$out"
for arch in x64 x86; do
  built=build/$arch/src/app
  for file in Morvane.exe Morvane.chm; do
    [ -f "$built/$file" ] || { echo "package: $built/$file is missing; build first" >&2; exit 1; }
  done
  stage=$(mktemp -d)
  mkdir "$stage/Morvane"
  cp "$built/Morvane.exe" "$built/Morvane.chm" "$stage/Morvane/"
  # The build keeps its symbols for debugging; users get the executable without them (a third of the size).
  "${strip_tool[$arch]}" "$stage/Morvane/Morvane.exe"
  # Notepad reads a UTF-8 file with a byte-order mark correctly on every Windows, Japanese or not.
  { printf '\xef\xbb\xbf'; sed 's/$/\r/' res/Readme.txt; } > "$stage/Morvane/Readme.txt"
  zip_file=$(realpath -m "$out/Morvane-$version-$arch.zip")
  rm -f "$zip_file"
  (cd "$stage" && zip -q -X -r "$zip_file" Morvane)
  rm -rf "$stage"

  listed=$(zip -sf "$zip_file")
  for file in Morvane/Morvane.exe Morvane/Morvane.chm Morvane/Readme.txt; do
    grep -qx "  $file" <<<"$listed" || { echo "package: $file is not in $zip_file" >&2; exit 1; }
  done
  echo "package: $zip_file ($(stat -c %s "$zip_file") bytes)"
done
