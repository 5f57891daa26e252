#!/usr/bin/env bash
# Builds, then runs every benchmark of the x86_64 build under Wine and prints its figures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh >/dev/null
source tools/wine-env.sh
morvane_start_session
for bench in build/x64/bench/*.exe; do
  echo "== $(basename "$bench")"
  wine "$bench"
done
