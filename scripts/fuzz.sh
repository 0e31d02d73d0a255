#!/usr/bin/env bash
# Builds the fuzz targets (libFuzzer, clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) in the sanitizer build, build-asan/ (the
# "sanitize" preset, or $QM_SANITIZE_PRESET; the folder $QM_FUZZ_BUILD_DIR or
# $QM_SANITIZE_BUILD_DIR), and runs each on a copy of its seed corpus. The
# suite's sanitizer run shares those objects, so after scripts/test-sanitizers.sh
# only the targets' own small sources are left to build.
#   scripts/fuzz.sh            each target for 10 seconds
#   scripts/fuzz.sh 60         each for 60 seconds
#   scripts/fuzz.sh runs=1000000 [target...]   a fixed number of executions
# A finding (crash, sanitizer report, broken invariant, leak) fails the script
# and leaves the input that caused it in the work folder it names.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
preset="${QM_SANITIZE_PRESET:-sanitize}"
build="${QM_FUZZ_BUILD_DIR:-${QM_SANITIZE_BUILD_DIR:-}}"
limit="${1:-10}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_profile fuzz_param_line fuzz_catalogue fuzz_frames fuzz_host_messages fuzz_stamp_text fuzz_png)

QM_PRESET="$preset" QM_BUILD_DIR="$build" QM_BUILD_TARGET=fuzz_targets "$here/scripts/build.sh"
[ -n "$build" ] || build="$here/build-asan"

case "$limit" in
  runs=*) budget=(-runs="${limit#runs=}") ;;
  *) budget=(-max_total_time="$limit") ;;
esac
work="$(mktemp -d "${TMPDIR:-/tmp}/qm-fuzz.XXXXXX")"
set -a
# shellcheck source=../tests/test.env
. "$here/tests/test.env"
set +a
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$here/scripts/lsan-suppressions.txt:print_suppressions=0"
# One target per core at a time: each is a single process, and a short run
# is over in half the time.
fuzz_one() {
  local t="$1"
  mkdir -p "$work/$t"
  cp -r "$here/tests/fuzz/seeds/$t/." "$work/$t/" 2>/dev/null || true
  if ! (cd "$work" && "$build/bin/$t" "${budget[@]}" -print_final_stats=1 \
        -artifact_prefix="$work/$t-" "$work/$t" 2>"$work/$t.log"); then
    echo "== $t: FINDING (input and log in $work)" >&2
    tail -n 40 "$work/$t.log" >&2
    return 1
  fi
  echo "== $t: $(grep -E "stat::number_of_executed_units" "$work/$t.log" || echo ran)" >&2
}
export -f fuzz_one
export here build work
export budget_args="${budget[*]}"
status=0
printf '%s\n' "${targets[@]}" | xargs -P "$(nproc)" -I{} bash -c \
  'budget=($budget_args); fuzz_one "$1"' _ {} || status=1
[ "$status" -ne 0 ] || rm -rf "$work"
exit "$status"
