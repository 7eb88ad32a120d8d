#!/bin/bash
# Builds the editor and runs every test twice: a normal build, then one with
# AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer; then every
# fuzz target for a short bounded time over its saved corpus.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
JOBS="$(nproc)"

bash "$ROOT/scripts/install-deps.sh"

run_suite() {
  local build="$1"; shift
  cmake -S "$ROOT" -B "$build" "$@" >/dev/null
  cmake --build "$build" -j"$JOBS"
  (cd "$build" && ctest --output-on-failure -j"$JOBS")
}

echo "== Normal build =="
run_suite "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== Sanitizer build =="
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0"
run_suite "$ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug -DSORN_SANITIZE=ON -DSORN_BUILD_BENCHMARKS=OFF

echo "== Fuzzing =="
# The saved corpora replay in seconds; the rest of each run looks for new inputs.
bash "$ROOT/scripts/fuzz.sh" "${SORN_FUZZ_SECONDS:-25}"

echo "All tests passed in both builds; every fuzz target ran clean."
