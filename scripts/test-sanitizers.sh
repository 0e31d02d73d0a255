#!/usr/bin/env bash
# Builds the whole suite once more with AddressSanitizer and
# UndefinedBehaviorSanitizer, the "sanitize" preset (or $QM_SANITIZE_PRESET),
# into build-asan/ (or $QM_SANITIZE_BUILD_DIR) and runs it there. Any report
# fails the run, also one from a program that a test started and whose error
# output the test throws away. The fuzz targets are built from the same
# objects (scripts/fuzz.sh).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${QM_SANITIZE_BUILD_DIR:-$here/build-asan}")"

# The preset builds with clang, where the normal build uses GCC: it compiles
# an instrumented Qt source in about two thirds of GCC's time, and a second
# compiler's warnings come with it. -O1 rather than -O0: the suite runs
# faster. Line tables only (-g1): the reports still name file and line, and the
# build takes a fifth less. No benchmarks: nothing here would run them.
QM_PRESET="${QM_SANITIZE_PRESET:-sanitize}" QM_BUILD_DIR="$build" "$here/scripts/build.sh"

# Every instrumented process writes its report to a file of its own
# (<tool>.<program>.<pid>): the editor and the tools that tests start often
# have their error output discarded. abort_on_error makes a report a crash,
# which no test can take for one of the exit codes it checks.
logs="$build/sanitizer-logs"
rm -rf "$logs"
mkdir -p "$logs"
common="abort_on_error=1:print_stacktrace=1:log_exe_name=1"
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:strict_string_checks=1:suppressions=$here/scripts/asan-suppressions.txt:$common:log_path=$logs/asan"
export UBSAN_OPTIONS="halt_on_error=1:$common:log_path=$logs/ubsan"
# Leaks inside system libraries only; our own leaks are never suppressed.
export LSAN_OPTIONS="suppressions=$here/scripts/lsan-suppressions.txt:print_suppressions=0"
# The environment ctest gives every case.
set -a
# shellcheck source=../tests/test.env
. "$here/tests/test.env"
set +a

# One process per test program, not per case as ctest runs them: starting an
# instrumented Qt program costs more than most cases, and the cases of one
# program pass together as they pass alone. The longest programs go first so
# that the cores stay busy to the end; a program that hangs is ended.
status=0
programs=()
for p in test_host test_link test_app test_host_e2e; do
  [ -x "$build/bin/$p" ] && programs+=("$build/bin/$p")
done
for p in "$build"/bin/test_*; do
  case " ${programs[*]} " in *" $p "*) ;; *) [ -x "$p" ] && programs+=("$p") ;; esac
done
if [ ${#programs[@]} -eq 0 ]; then
  echo "no test programs in $build/bin" >&2
  exit 1
fi
run_program() {
  local log="$1.log"
  if ! (cd "$(dirname "$1")" && timeout 1200 "$1" --gtest_brief=1 >"$log" 2>&1); then
    echo "==== FAILED: ${1##*/}" >&2
    cat "$log" >&2
    return 1
  fi
  echo "== ${1##*/}: $(grep -E '^\[  PASSED  \]' "$log" || echo passed)" >&2
}
export -f run_program
printf '%s\n' "${programs[@]}" | xargs -P "$(nproc)" -I{} bash -c 'run_program "$1"' _ {} ||
  status=1

shopt -s nullglob
reports=("$logs"/*)
if [ ${#reports[@]} -gt 0 ]; then
  echo "Sanitizer reports (${#reports[@]}), also kept in $logs:" >&2
  for r in "${reports[@]}"; do
    echo "==== ${r##*/}" >&2
    cat "$r" >&2
  done
  status=1
fi
exit "$status"
