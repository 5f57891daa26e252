#!/usr/bin/env bash
# Starts Morvane on a private display, waits for it to draw, and saves the whole screen.
#   tools/screenshot.sh OUT.png [program arguments]
# MORVANE_SHOT_DELAY sets the wait in seconds (default 4); MORVANE_SHOT_PROGRAM=ShellDemo shows the
# shell browsing components alone instead of Morvane.
set -euo pipefail
out=$(realpath -m "$1")
shift
cd "$(dirname "$0")/.."
bash tools/build.sh >/dev/null
source tools/wine-env.sh
morvane_start_session
case "${MORVANE_SHOT_PROGRAM:-Morvane}" in
  ShellDemo) program=build/x64/src/shellctl/ShellDemo.exe ;;
  *) program=build/x64/src/app/Morvane.exe ;;
esac
wine "$program" "$@" &
sleep "${MORVANE_SHOT_DELAY:-4}"
import -window root "$out"
echo "screenshot: $out"
