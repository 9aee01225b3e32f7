#!/usr/bin/env bash
# Builds everything and runs all tests: the native unit tests (with address
# and undefined-behaviour sanitizers, built once with g++ and once with
# clang), then the Windows build's tests under Wine in a throwaway prefix with
# its own Xvfb screen. Ends with one summary line "N passed, N failed"; exits
# non-zero on any build or test failure.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
JOBS="$(nproc)"
PREFIX="$ROOT/build/test-prefix"
LOGS="$ROOT/build/logs"

bash scripts/setup.sh || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }
mkdir -p "$LOGS"

failed_builds=0
step() { echo; echo "=== $*"; }

step "native build"
if ! { cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug -DKESTRUM_SANITIZE=ON >/dev/null &&
       cmake --build build/native -j"$JOBS"; }; then
  failed_builds=$((failed_builds + 1))
fi

step "native tests"
(cd build/native && ctest --output-on-failure -j"$JOBS") 2>&1 | tee "$LOGS/native-ctest.log"

# The same native tests built with clang, under clang's sanitizers.
step "native build (clang)"
if ! { cmake -S . -B build/native-clang -DCMAKE_BUILD_TYPE=Debug -DKESTRUM_SANITIZE=ON \
         -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null &&
       cmake --build build/native-clang -j"$JOBS"; }; then
  failed_builds=$((failed_builds + 1))
fi

step "native tests (clang)"
(cd build/native-clang && ctest --output-on-failure -j"$JOBS") 2>&1 | tee "$LOGS/native-clang-ctest.log"

step "fuzzing smoke run (30 s per target)"
bash tests/fuzz/run.sh 30 2>&1 | tee "$LOGS/fuzz.log"
fuzz_rc=${PIPESTATUS[0]}

step "Windows build"
if ! { cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
         -DCMAKE_BUILD_TYPE=Release >/dev/null &&
       cmake --build build/win64 -j"$JOBS"; }; then
  failed_builds=$((failed_builds + 1))
fi

step "Wine prefix"
trap 'tests/e2e/prefix.sh --stop "$PREFIX" >/dev/null 2>&1 || true' EXIT
prefix_ok=1
tests/e2e/prefix.sh "$PREFIX" --docmgr 28 --bin "$ROOT/build/win64/bin" || prefix_ok=0

step "Windows tests under Wine"
if [ "$prefix_ok" = 1 ]; then
  # shellcheck disable=SC1091
  source "$PREFIX/env.sh"
  # One at a time: the tests look at the windows on the shared screen.
  (cd build/win64 && ctest --output-on-failure) 2>&1 | tee "$LOGS/win64-ctest.log"
else
  echo "no Wine prefix" | tee "$LOGS/win64-ctest.log"
  failed_builds=$((failed_builds + 1))
fi

count() {  # count LOG FIELD: numbers from ctest's "N% tests passed, F tests failed out of T"
  local line
  line="$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1)"
  if [ -z "$line" ]; then echo "0 0"; return; fi
  local failed total
  failed="$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')"
  total="$(echo "$line" | sed -E 's/.* failed out of ([0-9]+).*/\1/')"
  echo "$((total - failed)) $failed"
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
