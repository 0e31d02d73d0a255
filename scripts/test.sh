#!/usr/bin/env bash
# Sets everything up, checks the source layout, builds with warnings as errors
# and runs the whole test suite, then builds and runs it once more under
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs the fuzz targets
# briefly. A failed step does not stop the later ones (only the tests need
# their build), so one run shows all that is wrong; any failure fails the
# script.
#
# The normal build uses the preset $QM_PRESET ("default": build/, as
# scripts/build.sh), the sanitizer build and the fuzz targets the preset
# $QM_SANITIZE_PRESET ("sanitize": build-asan/); the CI names its own (.ci/run).
# The normal suite runs while the sanitizer build compiles: many of its cases
# wait on other processes, an X server or a timer, and the compiler takes the
# time they leave.
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
  if [ -n "${QM_BUILD_DIR:-}" ]; then
    (cd "$QM_BUILD_DIR" && ctest --output-on-failure --no-tests=error -j "$(nproc)")
  else
    (cd "$here" && ctest --preset "${QM_PRESET:-default}" -j "$(nproc)")
  fi
}

step "format check" "$here/scripts/check-format.sh" || true
tests_pid=""
tests_log="$(mktemp "${TMPDIR:-/tmp}/qm-tests.XXXXXX")"
trap 'rm -f "$tests_log"' EXIT
if step "build" "$here/scripts/build.sh"; then
  # In the background; its output is shown once the sanitizer step is done.
  (step "tests" run_tests) >"$tests_log" 2>&1 &
  tests_pid=$!
fi
step "sanitizer build and tests" "$here/scripts/test-sanitizers.sh" || true
if [ -n "$tests_pid" ]; then
  wait "$tests_pid" || failed+=("tests")
  cat "$tests_log" >&2
fi
# A short run of every fuzz target on its seeds (scripts/fuzz.sh for longer);
# the sanitizer build has compiled them already.
step "fuzz targets" "$here/scripts/fuzz.sh" 5 || true

if [ ${#failed[@]} -gt 0 ]; then
  printf '== failed: %s\n' "$(IFS=,; echo "${failed[*]}")" >&2
  exit 1
fi
echo "== all passed" >&2
