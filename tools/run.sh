#!/usr/bin/env bash
# The project's one run command: set-up, build, then start Morvane.exe under Wine.
# Arguments are handed to the program. Without a display, a private Xvfb is started.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
source tools/wine-env.sh
trap morvane_stop_all EXIT
if [ -z "${DISPLAY:-}" ]; then
  morvane_start_display
  echo "run: no display was set; Morvane runs on the private display $DISPLAY (tools/screenshot.sh shows it)"
fi
morvane_start_wine
wine build/x64/src/app/Morvane.exe "$@"
