#!/usr/bin/env bash
# The project's one test command: set-up, both builds, then every test of the x86_64 build
# under Wine on a private Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
source tools/wine-env.sh
morvane_start_session
ctest --preset x64 "$@"
