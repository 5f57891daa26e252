#!/usr/bin/env bash
# Runs a Windows program of ours under Wine in the project's environment.
# CTest uses it as the emulator for the x86_64 build.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
exec wine "$@"
