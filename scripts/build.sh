#!/usr/bin/env bash
# Configures and builds with a preset of CMakePresets.json: "default" (build/,
# RelWithDebInfo, warnings as errors) unless $QM_PRESET names another. The
# build folder is the preset's unless $QM_BUILD_DIR names one; $QM_BUILD_TYPE
# overrides the build type, $QM_BUILD_TARGET builds one target only. Extra
# arguments go to the configure step.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
[ -z "${QM_BUILD_DIR:-}" ] || QM_BUILD_DIR="$(realpath -m "$QM_BUILD_DIR")"
cd "$here"
preset="${QM_PRESET:-default}"
configure=(--preset "$preset")
build=(--preset "$preset")
if [ -n "${QM_BUILD_DIR:-}" ]; then
  configure+=(-B "$QM_BUILD_DIR")
  build=("$QM_BUILD_DIR")
fi
[ -z "${QM_BUILD_TYPE:-}" ] || configure+=("-DCMAKE_BUILD_TYPE=$QM_BUILD_TYPE")
[ -z "${QM_BUILD_TARGET:-}" ] || build+=(--target "$QM_BUILD_TARGET")
cmake "${configure[@]}" "$@" >/dev/null
cmake --build "${build[@]}" -j "$(nproc)"
