#!/usr/bin/env bash
# Configures and builds into build/ (or $QM_BUILD_DIR) with Ninja.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${QM_BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${QM_BUILD_TYPE:-RelWithDebInfo}" \
  -DQM_WERROR=ON "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
