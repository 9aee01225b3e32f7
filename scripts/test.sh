#!/usr/bin/env bash
# Builds everything and runs all tests: the native unit tests (with address
# and undefined-behaviour sanitizers, built once with g++ and once with
# clang), then the Windows build's tests under Wine in a throwaway prefix with
# its own Xvfb screen. Ends with one summary line "N passed, N failed", in
# which a test that was skipped or not run counts as failed; exits non-zero on
# any build or test failure.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
JOBS="$(nproc)"
PREFIX="$ROOT/build/test-prefix"
LOGS="$ROOT/build/logs"

bash scripts/setup.sh || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }
mkdir -p "$LOGS"
rm -f "$LOGS"/*.xml  # the JUnit reports of an earlier run

failed_builds=0
step() { echo; echo "=== $*"; }

# build DIR PRESET: configures DIR with its preset (CMakePresets.json) and
# builds it; a failure counts once.
build() {
  local dir="$1" preset="$2"
  if cmake --preset "$preset" >/dev/null && cmake --build "$dir" -j"$JOBS"; then return 0; fi
  failed_builds=$((failed_builds + 1))
  return 1
}

# junit_counts REPORT: "PASSED FAILED" from ctest's JUnit report; only a test
# that ran and passed counts as passed, one that failed, was skipped or was
# not run as failed. Fails, printing nothing, without a readable report.
junit_counts() {
  python3 - "$1" <<'PY'
import sys
import xml.etree.ElementTree as ET
try:
    cases = list(ET.parse(sys.argv[1]).getroot().iter("testcase"))
except (OSError, ET.ParseError):
    sys.exit(1)
passed = sum(1 for case in cases
             if case.get("status") == "run" and case.find("failure") is None and case.find("skipped") is None)
print(passed, len(cases) - passed)
PY
}

# run_ctest BUILT DIR LOG [CTEST_ARGS...]: the tests of a build folder, only
# when its build succeeded (what a failed build left there is not this
# tree's); ctest's JUnit report goes beside the log (LOG with .xml). A run
# that leaves no readable report counts as a failure.
run_ctest() {
  local built="$1" dir="$2" log="$3"
  shift 3
  if [ "$built" != 1 ]; then
    echo "the build in $dir failed: its tests were not run" | tee "$log"
    return
  fi
  (cd "$dir" && ctest --output-on-failure --output-junit "${log%.log}.xml" "$@") 2>&1 | tee "$log"
  junit_counts "${log%.log}.xml" >/dev/null || failed_builds=$((failed_builds + 1))
}

step "native build"
native_built=0
build build/native native && native_built=1

step "native tests"
run_ctest "$native_built" build/native "$LOGS/native-ctest.log" -j"$JOBS"

# The same native tests built with clang, under clang's sanitizers.
step "native build (clang)"
clang_built=0
build build/native-clang native-clang && clang_built=1

step "native tests (clang)"
run_ctest "$clang_built" build/native-clang "$LOGS/native-clang-ctest.log" -j"$JOBS"

step "fuzzing smoke run (30 s per target)"
bash tests/fuzz/run.sh 30 2>&1 | tee "$LOGS/fuzz.log"
fuzz_rc=${PIPESTATUS[0]}

step "Windows build"
win_built=0
build build/win64 win64 && win_built=1

step "Wine prefix"
trap 'tests/e2e/prefix.sh stop "$PREFIX" >/dev/null 2>&1 || true' EXIT
prefix_ok=0
if [ "$win_built" = 1 ]; then
  if tests/e2e/prefix.sh start "$PREFIX" --docmgr 28 --bin "$ROOT/build/win64/bin"; then
    prefix_ok=1
  else
    failed_builds=$((failed_builds + 1))
  fi
else
  echo "no Windows build: no prefix"
fi

step "Windows tests under Wine"
if [ "$prefix_ok" = 1 ]; then
  # shellcheck disable=SC1091
  source "$PREFIX/env.sh"
  # One at a time: the tests look at the windows on the shared screen.
  run_ctest 1 build/win64 "$LOGS/win64-ctest.log"
else
  echo "no Wine prefix: the Windows tests were not run" | tee "$LOGS/win64-ctest.log"
fi

# The release built twice, in two copies of the tree, with a made-up licence
# string: the same exe and package, and the string nowhere else.
step "release built twice (same bytes)"
if [ "$win_built" = 1 ]; then
  bash tests/release/reproducible.sh 2>&1 | tee "$LOGS/reproducible.log"
  [ "${PIPESTATUS[0]}" = 0 ] || failed_builds=$((failed_builds + 1))
else
  echo "no Windows build: the release was not built"
fi

count() {  # count LOG: "PASSED FAILED" of the ctest run logged there (its JUnit report)
  junit_counts "${1%.log}.xml" || echo "0 0"
}
# The fuzz run prints one summary line per target: "nothing found" or "FOUND".
fp="$(grep -c ' execs  nothing found$' "$LOGS/fuzz.log" || true)"
ff="$(grep -c ' execs  FOUND' "$LOGS/fuzz.log" || true)"
# A build failure, or a run that ended without naming a finding, counts once.
if [ "$fuzz_rc" -ne 0 ] && [ "$ff" -eq 0 ]; then failed_builds=$((failed_builds + 1)); fi
read -r np nf < <(count "$LOGS/native-ctest.log")
read -r cp cf < <(count "$LOGS/native-clang-ctest.log")
read -r wp wf < <(count "$LOGS/win64-ctest.log")
passed=$((np + cp + fp + wp))
failed=$((nf + cf + ff + wf + failed_builds))
echo
echo "native: $np passed, $nf failed; native (clang): $cp passed, $cf failed; fuzz targets: $fp passed, $ff failed; Windows under Wine: $wp passed, $wf failed; failed builds or set-up: $failed_builds"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
