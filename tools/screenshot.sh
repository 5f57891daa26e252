#!/usr/bin/env bash
# Starts Morvane on a private display, waits for it to draw, and saves the whole screen.
#   tools/screenshot.sh OUT.png [program arguments]
# MORVANE_SHOT_DELAY sets the wait in seconds (default 4).
set -euo pipefail
out=$(realpath -m "$1")
shift
cd "$(dirname "$0")/.."
bash tools/build.sh >/dev/null
source tools/wine-env.sh
morvane_start_session
wine build/x64/src/app/Morvane.exe "$@" &
sleep "${MORVANE_SHOT_DELAY:-4}"
import -window root "$out"
echo "screenshot: $out"
