#!/usr/bin/env bash
# Runs KestrumHelper.exe under Wine on the bundled example: "/T" on a sample
# SOLIDWORKS part made at run time with dmfixture (the stand-in Document
# Manager's tool) from a small picture of four coloured quarters. The program
# writes the preview beside the document as build/demo/Sample.sldprtKS (a
# JPEG) and ends by itself; the demo prints its exit code and the JPEG's size,
# and converts it to build/demo/preview.png for viewing.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
PREFIX="$ROOT/build/demo-prefix"
OUT="$ROOT/build/demo"

bash scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build build/win64 -j"$(nproc)" --target KestrumHelper dmfixture docmgr28 >/dev/null
BIN="$ROOT/build/win64/bin"

trap 'tests/e2e/prefix.sh stop "$PREFIX" >/dev/null 2>&1 || true' EXIT
tests/e2e/prefix.sh start "$PREFIX" --docmgr 28 --bin "$BIN"
# shellcheck disable=SC1091
source "$PREFIX/env.sh"
rm -rf "$OUT"
mkdir -p "$OUT"
{ read -r SAMPLE_WIN; read -r PICTURE_WIN; } < <(python3 tests/e2e/kestrum_e2e.py "$OUT/Sample.SLDPRT" "$OUT/sample.bmp")

python3 - "$OUT/sample.bmp" <<'PY'
import sys
sys.path.insert(0, "tests/e2e")
import preview_images
with open(sys.argv[1], "wb") as f:
    f.write(preview_images.bmp(160, 120))
PY
timeout 60 "$WINE" "$BIN/dmfixture.exe" create "$SAMPLE_WIN" \
  --preview "$PICTURE_WIN"
echo "demo: sample document $OUT/Sample.SLDPRT ($(timeout 60 "$WINE" "$BIN/dmfixture.exe" info "$SAMPLE_WIN" | tr -d '\r'))"

echo "demo: KestrumHelper.exe /T $SAMPLE_WIN"
code=0
timeout 90 "$WINE" "$BIN/KestrumHelper.exe" /T "$SAMPLE_WIN" || code=$?
echo "demo: KestrumHelper.exe ended with exit code $code"
PREVIEW="$OUT/Sample.sldprtKS"
[ -f "$PREVIEW" ] || { echo "demo: no preview file was written" >&2; exit 1; }
djpeg -ppm "$PREVIEW" | pnmtopng >"$OUT/preview.png"
read -r width height < <(djpeg -ppm "$PREVIEW" | head -c 20 | sed -n 2p)
echo "demo: preview $PREVIEW: $(stat -c %s "$PREVIEW") bytes of JPEG, $width x $height pixels; as PNG: $OUT/preview.png"
