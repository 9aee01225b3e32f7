#!/usr/bin/env bash
# Builds the libFuzzer targets in build/fuzz (clang, address and undefined
# behaviour sanitizers) and runs each for SECONDS (default 30) on a fresh copy
# of its seed corpus under build/fuzz/run/<target>/. Prints one line per
# target with its executions and whether it found anything; a finding (crash,
# failed property, leak, timeout) leaves its input in build/fuzz/run/<target>/
# and makes the script exit with 1. A failed build exits with 2.
#   usage: tests/fuzz/run.sh [SECONDS]
set -uo pipefail
SECONDS_PER_TARGET="${1:-30}"
case "$SECONDS_PER_TARGET" in
  '' | *[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;;
esac
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
BUILD="$ROOT/build/fuzz"
TARGETS=(command_line property_file preview_name jpeg_writer)

echo "=== fuzz build ($BUILD)"
if ! { cmake -S "$HERE" -B "$BUILD" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null &&
       cmake --build "$BUILD" -j2 >"$BUILD/build.log" 2>&1; }; then
  cat "$BUILD/build.log" 2>/dev/null
  echo "fuzz build failed"
  exit 2
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
findings=0
summary=()
for target in "${TARGETS[@]}"; do
  work="$BUILD/run/$target"
  rm -rf "$work"
  mkdir -p "$work/corpus"
  cp "$HERE/corpus/$target"/* "$work/corpus/"
  echo "=== $target: ${SECONDS_PER_TARGET} s"
  "$BUILD/${target}_fuzz" -max_total_time="$SECONDS_PER_TARGET" -timeout=25 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work/corpus" >"$work/fuzz.log" 2>&1
  rc=$?
  execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log" | tail -1)"
  artifacts="$(find "$work" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
                 -o -name 'oom-*' -o -name 'slow-unit-*' \) | sort)"
  if [ "$rc" -ne 0 ] || [ -n "$artifacts" ]; then
    findings=$((findings + 1))
    result="FOUND (exit $rc): ${artifacts:-no input saved}"
    grep -E 'property failed|ERROR: |SUMMARY: |runtime error' "$work/fuzz.log" | head -5
    echo "log: $work/fuzz.log"
  else
    result="nothing found"
  fi
  summary+=("$(printf '%-14s %12s execs  %s' "$target" "${execs:-?}" "$result")")
done

echo "=== fuzz summary (${SECONDS_PER_TARGET} s per target)"
printf '%s\n' "${summary[@]}"
[ "$findings" -eq 0 ]
