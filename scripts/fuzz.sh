#!/bin/bash
# Builds the libFuzzer targets with clang++ in a build folder of their own
# (build-fuzz) and runs each for the given number of seconds (default 60)
# over its saved corpus (fuzz/corpus/<target>) and the inputs of past
# findings (fuzz/regressions/<target>). Fails on any finding: a crash, a
# sanitizer report, a leak, a broken property, a hang or a runaway allocation;
# the input is then kept in build-fuzz/findings/.
#   scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${SORN_FUZZ_BUILD:-$ROOT/build-fuzz}"
SECONDS_EACH="${1:-60}"
shift || true
TARGETS=("$@")
if [ ${#TARGETS[@]} -eq 0 ]; then
  TARGETS=(fuzz_tool_box_text fuzz_settings_files fuzz_scene_scan fuzz_scene_post_process fuzz_archive_check)
fi

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSORN_BUILD_FUZZERS=ON -DSORN_BUILD_TESTS=OFF -DSORN_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target fuzzers

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0"

mkdir -p "$BUILD/findings"
# The targets write every input to a file: in memory where the machine has it.
SCRATCH_BASE=/dev/shm
[ -d /dev/shm ] && [ -w /dev/shm ] || SCRATCH_BASE="${TMPDIR:-/tmp}"
passed=0
failed=0
for target in "${TARGETS[@]}"; do
  work="$(mktemp -d -p "$SCRATCH_BASE" sorn-fuzz-run-XXXXXX)"
  mkdir "$work/new" "$work/scratch"
  export SORN_FUZZ_SCRATCH="$work/scratch"
  dict=()
  [ -f "$ROOT/fuzz/$target.dict" ] && dict=(-dict="$ROOT/fuzz/$target.dict")
  inputs=("$ROOT/fuzz/corpus/$target")
  [ -d "$ROOT/fuzz/regressions/$target" ] && inputs+=("$ROOT/fuzz/regressions/$target")
  log="$BUILD/findings/$target.log"
  echo "== $target: $SECONDS_EACH s =="
  # New inputs go to the folder first in the list; the saved corpus is only read.
  if (cd "$work" && "$BUILD/fuzz/$target" -max_total_time="$SECONDS_EACH" -timeout=25 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$BUILD/findings/$target-" "${dict[@]}" \
        "$work/new" "${inputs[@]}") >"$log" 2>&1; then
    passed=$((passed + 1))
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$log" | tr '\n' ' '
    grep -E '^Done ' "$log" || true
  else
    failed=$((failed + 1))
    echo "FINDING in $target (log: $log):"
    grep -E 'ERROR|runtime error|property broken|SUMMARY|Test unit written' "$log" | head -20 || true
  fi
  rm -rf "$work"
done
echo "Fuzzing: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
