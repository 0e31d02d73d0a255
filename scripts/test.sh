#!/usr/bin/env bash
# Sets everything up, checks the source layout, builds with warnings as errors
# and runs the whole test suite, then builds and runs it once more under
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs the fuzz targets
# briefly. A failed step does not stop the later ones (only the tests need
# their build), so one run shows all that is wrong; any failure fails the
# script.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install-deps.sh"

failed=()
step() {
  local name="$1" start=$SECONDS
  shift
  echo "== $name" >&2
  if "$@"; then
    echo "== $name: passed ($((SECONDS - start)) s)" >&2
  else
    echo "== $name: FAILED ($((SECONDS - start)) s)" >&2
    failed+=("$name")
    return 1
  fi
}
run_tests() {
  (cd "${QM_BUILD_DIR:-$here/build}" &&
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j "$(nproc)")
}

step "format check" "$here/scripts/check-format.sh" || true
if step "build" "$here/scripts/build.sh"; then
  step "tests" run_tests || true
fi
step "sanitizer build and tests" "$here/scripts/test-sanitizers.sh" || true
# A short run of every fuzz target on its seeds (scripts/fuzz.sh for longer).
step "fuzz targets" "$here/scripts/fuzz.sh" 5 || true

if [ ${#failed[@]} -gt 0 ]; then
  printf '== failed: %s\n' "$(IFS=,; echo "${failed[*]}")" >&2
  exit 1
fi
echo "== all passed" >&2
