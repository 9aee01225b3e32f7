#!/usr/bin/env bash
# Soak: N sequential "/T" runs and N "/P" runs of the real program under Wine,
# in a prefix of its own with the stand-in Document Manager 28. Each run must
# end by itself with exit code 0 and leave its result: "/T" a JPEG preview of
# the same bytes every time, "/P" the run's number in the document's property
# "Lauf". At the end no program of the runs may be left: no Wine process that
# was not there before the runs, and no window of the program or error box.
#
#   tests/soak/run.sh [N]        N runs of each (default 300)
#
# KESTRUM_BIN: the program folder of a Windows build (default build/win64/bin);
# KESTRUM_SOAK_PREFIX: where the prefix is made (default build/soak-prefix).
# Not part of the test run; prints its figures and exits 1 on any failure.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
RUNS="${1:-300}"
BIN="$(cd "${KESTRUM_BIN:-$ROOT/build/win64/bin}" && pwd)" || exit 2
PREFIX="${KESTRUM_SOAK_PREFIX:-$ROOT/build/soak-prefix}"
case "$RUNS" in '' | *[!0-9]*) echo "usage: run.sh [N]" >&2; exit 2 ;; esac
for tool in KestrumHelper.exe dmfixture.exe winprobe.exe docmgr28/swdocumentmgr.dll; do
  [ -f "$BIN/$tool" ] || { echo "run.sh: $BIN/$tool missing: build the Windows targets first" >&2; exit 2; }
done

WORK="$(mktemp -d "${TMPDIR:-/tmp}/kestrum-soak-XXXXXX")"
trap '"$ROOT/tests/e2e/prefix.sh" stop "$PREFIX"; rm -rf "$WORK"' EXIT
"$ROOT/tests/e2e/prefix.sh" start "$PREFIX" --docmgr 28 --bin "$BIN" || exit 1
# shellcheck disable=SC1091
source "$PREFIX/env.sh"

run() { timeout --kill-after=5 60 "$WINE" "$@" </dev/null >/dev/null 2>&1; }
now() { date +%s.%N; }
# Seconds between two times of now(), to 0.01.
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }
# True when the seconds lie in [low, high).
within() { awk -v s="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(s >= lo && s < hi) }'; }

# Wine processes of this prefix (Windows programs and the server), one
# command line a line.
wine_processes() {
  local pid
  for pid in /proc/[0-9]*; do
    if { tr '\0' '\n' <"$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      { tr '\0' ' ' <"$pid/cmdline"; } 2>/dev/null; echo
    fi
  done | awk '{ sub(/ +$/, "") } tolower($1) ~ /\.exe$/ || $1 ~ /wineserver/' | sort
}
# Windows the runs may leave: the program's status window, visible message boxes.
leftover_windows() {
  timeout 30 "$WINE" "$BIN/winprobe.exe" list 2>/dev/null |
    awk -F'\t' '$3 == "TfrmMain" || ($3 == "#32770" && $7 == "1")'
}

DOC="$WORK/Soak Teil.SLDPRT"
PREVIEW="$WORK/Soak Teil.sldprtKS"
PROPS="$WORK/props.txt"
# The Windows names of the files, taken once: the runs' times leave them out.
{ read -r DOC_WIN; read -r PROPS_WIN; read -r PICTURE_WIN; } < <(
  python3 "$ROOT/tests/e2e/kestrum_e2e.py" "$DOC" "$PROPS" "$WORK/preview.bmp")
python3 -c "import sys; sys.path.insert(0, sys.argv[1]); import preview_images as i
open(sys.argv[2], 'wb').write(i.bmp(96, 48))" "$ROOT/tests/e2e" "$WORK/preview.bmp" || exit 1
run "$BIN/dmfixture.exe" create "$DOC_WIN" --preview "$PICTURE_WIN" --prop Lauf 30 0 ||
  { echo "run.sh: dmfixture create failed" >&2; exit 1; }
# One run first, so that the processes Wine keeps for the prefix's life are up.
run "$BIN/KestrumHelper.exe" /T "$DOC_WIN"
sleep 1
before="$(wine_processes)"
jfif="ffd8ffe000104a46494600010100000100010000"

failures=0
fail() { failures=$((failures + 1)); echo "FAIL $*"; }

started="$(now)"
size=""
for i in $(seq 1 "$RUNS"); do
  rm -f "$PREVIEW"
  t0="$(now)"
  run "$BIN/KestrumHelper.exe" /T "$DOC_WIN"
  rc=$?
  took="$(seconds "$t0" "$(now)")"
  if [ "$rc" != 0 ]; then fail "/T run $i: exit code $rc after ${took}s"; continue; fi
  within "$took" 0 30 || fail "/T run $i: took ${took}s, not ended at once"
  if [ ! -s "$PREVIEW" ]; then fail "/T run $i: no preview"; continue; fi
  [ "$(head -c 20 "$PREVIEW" | od -An -tx1 | tr -d ' \n')" = "$jfif" ] || fail "/T run $i: no JFIF start"
  [ "$(tail -c 2 "$PREVIEW" | od -An -tx1 | tr -d ' \n')" = "ffd9" ] || fail "/T run $i: no end of image"
  : "${size:=$(stat -c %s "$PREVIEW")}"
  [ "$(stat -c %s "$PREVIEW")" = "$size" ] || fail "/T run $i: $(stat -c %s "$PREVIEW") bytes, not $size"
done
preview_done="$(now)"

for i in $(seq 1 "$RUNS"); do
  printf 'Lauf\r\n%d\r\n' "$i" >"$PROPS"
  t0="$(now)"
  run "$BIN/KestrumHelper.exe" /P "$DOC_WIN" "$PROPS_WIN"
  rc=$?
  took="$(seconds "$t0" "$(now)")"
  if [ "$rc" != 0 ]; then fail "/P run $i: exit code $rc after ${took}s"; continue; fi
  # The result stays 1.5 s; a failure would keep the program 36 s.
  within "$took" 1.5 30 || fail "/P run $i: took ${took}s"
  got="$(timeout 60 "$WINE" "$BIN/dmfixture.exe" props "$DOC_WIN" 2>/dev/null </dev/null)"
  [ "$got" = "$(printf 'Lauf\t30\t%d' "$i")" ] || fail "/P run $i: properties $(printf %q "$got")"
done
done_at="$(now)"

sleep 2
after="$(wine_processes)"
# Wine's desktop process comes and goes with the windows; it is Wine's own.
new_processes="$(comm -13 <(echo "$before") <(echo "$after") | grep -vxF 'C:\windows\system32\explorer.exe /desktop')"
windows="$(leftover_windows)"
[ -z "$new_processes" ] || fail "processes left: $new_processes"
[ -z "$windows" ] || fail "windows left: $windows"

echo "soak: $RUNS runs of /T in $(seconds "$started" "$preview_done") s," \
  "$RUNS runs of /P in $(seconds "$preview_done" "$done_at") s, total $(seconds "$started" "$done_at") s"
echo "soak: preview $size bytes; Wine processes before $(echo "$before" | grep -c .)," \
  "after $(echo "$after" | grep -c .); new processes $(echo "$new_processes" | grep -c .);" \
  "windows left $(echo "$windows" | grep -c .)"
echo "soak: Wine processes at the end:"
while read -r line; do echo "  $line"; done <<<"$after"
echo "soak: $failures failures"
[ "$failures" = 0 ]
