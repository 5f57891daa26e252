#!/usr/bin/env bash
# Starts Morvane on a private display, waits for it to draw, and saves the whole screen.
#   tools/screenshot.sh OUT.png [program arguments]
# MORVANE_SHOT_DELAY sets the wait in seconds (default 4); MORVANE_SHOT_PROGRAM another program
# of the x64 build to start instead (e.g. src/toolbars/ToolbarDemo.exe).
set -euo pipefail
out=$(realpath -m "$1")
shift
cd "$(dirname "$0")/.."
bash tools/build.sh >/dev/null
source tools/wine-env.sh
morvane_start_session
wine "build/x64/${MORVANE_SHOT_PROGRAM:-src/app/Morvane.exe}" "$@" &
sleep "${MORVANE_SHOT_DELAY:-4}"
import -window root "$out"
echo "screenshot: $out"
