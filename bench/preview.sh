#!/usr/bin/env bash
# "/T" benchmark: KestrumHelper.exe /T on a stand-in document whose preview is
# a 1024 x 768 bitmap, against the minimal GUI program, in the same Wine
# prefix (stand-in Document Manager 28), over repeated alternating runs.
# Prints the median times and their ratio. A third program, "/T" on a document
# without a preview, runs the same window and document steps without picture
# and encoding, so that the difference between the two "/T" runs is the cost
# of the picture itself.
#   bench/preview.sh [RUNS [BIN [PREFIX]]]
#       RUNS 21 by default; BIN the program folder of a Windows build
#       (build/win64/bin); PREFIX the throwaway prefix (build/bench-prefix).
# Builds nothing: build the Windows side (or run the tests) first.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
RUNS="${1:-21}"
BIN="$(cd "${2:-$ROOT/build/win64/bin}" && pwd)"
PREFIX="${3:-$ROOT/build/bench-prefix}"
for exe in KestrumHelper.exe minimal_gui.exe dmfixture.exe docmgr28/swdocumentmgr.dll; do
  [ -f "$BIN/$exe" ] || { echo "bench: $BIN/$exe missing; build the Windows side first" >&2; exit 1; }
done
command -v djpeg >/dev/null || { echo "bench: djpeg missing (libjpeg-turbo-progs)" >&2; exit 1; }

WORK="$(mktemp -d /tmp/kestrum-bench-preview.XXXXXX)"
"$ROOT/tests/e2e/prefix.sh" "$PREFIX" --docmgr 28 --bin "$BIN" >/dev/null
trap '"$ROOT/tests/e2e/prefix.sh" --stop "$PREFIX"; rm -rf "$WORK"' EXIT
# shellcheck disable=SC1091
source "$PREFIX/env.sh"
# Keep the server running between the runs, as it is on a desktop.
timeout 10 "$WINESERVER" -p >/dev/null 2>&1 || true

python3 - "$RUNS" "$BIN" "$WORK" "$ROOT/tests/e2e" <<'PY'
import os, statistics, subprocess, sys, time
runs, bin_dir, work, e2e = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
sys.path.insert(0, e2e)
import preview_images as img
wine = os.environ["WINE"]

def win(path):
    return "Z:" + path.replace("/", "\\")

picture = os.path.join(work, "preview.bmp")
document = os.path.join(work, "Bench.sldprt")
with open(picture, "wb") as f:
    f.write(img.bmp(1024, 768))
empty = os.path.join(work, "Empty.sldprt")
subprocess.run(["timeout", "60", wine, os.path.join(bin_dir, "dmfixture.exe"), "create", win(document),
                "--preview", win(picture)], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
subprocess.run(["timeout", "60", wine, os.path.join(bin_dir, "dmfixture.exe"), "create", win(empty)],
               check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
helper = os.path.join(bin_dir, "KestrumHelper.exe")
programs = {"helper /T": [helper, "/T", win(document)],
            "reference": [os.path.join(bin_dir, "minimal_gui.exe")],
            "/T none": [helper, "/T", win(empty)]}

def once(args):
    started = time.perf_counter()
    code = subprocess.run(["timeout", "60", wine] + args, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode
    if code != 0:
        sys.exit("bench: %s exited with %d" % (args[0], code))
    return time.perf_counter() - started

for args in programs.values():  # warm-up: caches, server, fonts
    once(args)
preview = os.path.join(work, "Bench.sldprtKS")
width, height, _ = img.decode_jpeg(preview)
print("preview   %d x %d pixels, %d bytes of JPEG" % (width, height, os.path.getsize(preview)))
times = {name: [] for name in programs}
for _ in range(runs):
    for name, args in programs.items():
        times[name].append(once(args))
median = {name: statistics.median(values) for name, values in times.items()}
for name in programs:
    print("%-9s median %.1f ms (min %.1f, max %.1f, %d runs)" % (
        name, median[name] * 1000, min(times[name]) * 1000, max(times[name]) * 1000, runs))
print("median ratio helper /T / reference: %.2f" % (median["helper /T"] / median["reference"]))
print("picture and encoding (helper /T - /T none): %.1f ms" % ((median["helper /T"] - median["/T none"]) * 1000))
PY
