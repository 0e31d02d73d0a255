#!/usr/bin/env bash
# Sets everything up and opens the editor on the bundled demo catalogue.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
bin="${QM_BUILD_DIR:-$here/build}/bin"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: running the editor on a virtual X display (xvfb-run)." >&2
  exec xvfb-run -a "$bin/QuillmarkOpt" "$@"
fi
exec "$bin/QuillmarkOpt" "$@"
