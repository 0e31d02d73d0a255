#!/usr/bin/env bash
# Sets everything up and puts the stamp on the desktop with the editor beside
# it, both on the bundled demo catalogue: every change made in the editor
# shows on the stamp at once. Extra arguments go to quillmark-host.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
bin="${QM_BUILD_DIR:-$here/build}/bin"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: running on a virtual X display (xvfb-run)." >&2
  exec xvfb-run -a "$bin/quillmark-host" --open-editor "$@"
fi
exec "$bin/quillmark-host" --open-editor "$@"
