#!/usr/bin/env bash
# Builds the whole suite once more with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ (or $QM_SANITIZE_BUILD_DIR) and
# runs it there. Any report fails the run, also one from a program that a test
# started and whose error output the test throws away.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${QM_SANITIZE_BUILD_DIR:-$here/build-asan}"

# -O1 rather than -O0: GCC's object-size check needs optimisation, and the
# suite runs faster. Line tables only (-g1): the reports still name file and
# line, and the build takes a fifth less. No benchmarks: nothing here would
# run them.
QM_BUILD_DIR="$build" QM_BUILD_TYPE=Debug "$here/scripts/build.sh" \
  -DQM_SANITIZE=ON -DQM_BUILD_BENCH=OFF "-DCMAKE_CXX_FLAGS_DEBUG=-g1 -O1"

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

status=0
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error \
  -j "$(nproc)") || status=$?

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
