#!/usr/bin/env bash
# Runs KestrumHelper.exe under Wine on the bundled example: the "/R" notice,
# centred over a stand-in main product window. Takes a screenshot of it
# (build/demo/status-window.png) and waits for the program to end by itself
# (36 s), then prints its exit code.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
PREFIX="$ROOT/build/demo-prefix"
OUT="$ROOT/build/demo"

bash scripts/setup.sh
cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win64 -j"$(nproc)" --target KestrumHelper mainwindow >/dev/null
BIN="$ROOT/build/win64/bin"

tests/e2e/prefix.sh "$PREFIX"
trap 'kill "${MAIN_PID:-0}" 2>/dev/null || true; tests/e2e/prefix.sh --stop "$PREFIX" >/dev/null 2>&1 || true' EXIT
# shellcheck disable=SC1091
source "$PREFIX/env.sh"
mkdir -p "$OUT"

timeout 120 "$WINE" "$BIN/mainwindow.exe" --title "Projekt - KesTrum 2024" --rect 240 212 800 600 >"$OUT/mainwindow.log" 2>/dev/null &
MAIN_PID=$!
for _ in $(seq 100); do grep -q ready "$OUT/mainwindow.log" 2>/dev/null && break; sleep 0.1; done

echo "demo: KestrumHelper.exe /R (the notice stays 36 seconds)"
started=$(date +%s)
timeout 90 "$WINE" "$BIN/KestrumHelper.exe" /R &
HELPER_PID=$!
sleep 4
xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$OUT/status-window.png"
echo "demo: screenshot in $OUT/status-window.png"
code=0
wait "$HELPER_PID" || code=$?
echo "demo: KestrumHelper.exe ended after $(( $(date +%s) - started )) s with exit code $code"
