#!/usr/bin/env bash
# Installs what is missing, then configures and builds both architectures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
for arch in x64 x86; do
  cmake --preset "$arch" >/dev/null
  cmake --build --preset "$arch"
done
