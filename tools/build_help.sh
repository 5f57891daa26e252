#!/usr/bin/env bash
# Compiles the help pages of res/help into the HTML Help file.
#   tools/build_help.sh SOURCE_FOLDER OUTPUT.chm
# The pages are kept in UTF-8. The help file's language is Japanese, and the help viewer reads the
# contents, the index and the window title in its code page (932), so every source is converted to
# Shift-JIS first, its charset declaration with it. A character that Shift-JIS cannot hold stops
# the build, as does a link to a page that is not in the project.
set -euo pipefail
src=$(realpath "$1")
out=$(realpath -m "$2")
command -v chmcmd >/dev/null || { echo "build_help: chmcmd is missing (Debian package fp-utils; tools/setup.sh installs it)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for file in "$src"/*; do
  sed 's/charset=UTF-8/charset=Shift_JIS/' "$file" | iconv -f UTF-8 -t CP932 > "$work/$(basename "$file")"
done
(cd "$work" && chmcmd Morvane.hhp > compile.log 2>&1) || { cat "$work/compile.log" >&2; exit 1; }
if grep -Eiq 'error|warning|not found|missing|find' "$work/compile.log"; then
  cat "$work/compile.log" >&2
  exit 1
fi
mkdir -p "$(dirname "$out")"
mv "$work/Morvane.chm" "$out"
