#!/usr/bin/env bash
# Start-up benchmark: KestrumHelper.exe with no arguments against a minimal
# GUI program built with the same toolchain, in the same Wine prefix, over
# repeated alternating runs. Prints the median times and their ratio.
#   bench/startup.sh [RUNS]     (default 21; builds nothing: run the tests first)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
RUNS="${1:-21}"
BIN="$ROOT/build/win64/bin"
PREFIX="$ROOT/build/bench-prefix"
for exe in KestrumHelper.exe minimal_gui.exe; do
  [ -f "$BIN/$exe" ] || { echo "bench: $BIN/$exe missing; build the Windows side first" >&2; exit 1; }
done

"$ROOT/tests/e2e/prefix.sh" "$PREFIX" >/dev/null
trap '"$ROOT/tests/e2e/prefix.sh" --stop "$PREFIX"' EXIT
# shellcheck disable=SC1091
source "$PREFIX/env.sh"
# Keep the server running between the runs, as it is on a desktop.
timeout 10 "$WINESERVER" -p >/dev/null 2>&1 || true

python3 - "$RUNS" "$BIN" <<'PY'
import os, statistics, subprocess, sys, time
runs, bin_dir = int(sys.argv[1]), sys.argv[2]
wine = os.environ["WINE"]
programs = {"helper": os.path.join(bin_dir, "KestrumHelper.exe"),
            "reference": os.path.join(bin_dir, "minimal_gui.exe")}

def once(path):
    started = time.perf_counter()
    code = subprocess.run(["timeout", "60", wine, path], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode
    if code != 0:
        sys.exit("bench: %s exited with %d" % (path, code))
    return time.perf_counter() - started

for path in programs.values():  # warm-up: caches, server, fonts
    once(path)
times = {name: [] for name in programs}
for _ in range(runs):
    for name, path in programs.items():
        times[name].append(once(path))
median = {name: statistics.median(values) for name, values in times.items()}
for name in programs:
    print("%-9s median %.1f ms (min %.1f, max %.1f, %d runs)" % (
        name, median[name] * 1000, min(times[name]) * 1000, max(times[name]) * 1000, runs))
print("median ratio helper/reference: %.2f" % (median["helper"] / median["reference"]))
PY
