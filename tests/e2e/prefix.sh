#!/usr/bin/env bash
# Makes a throwaway Wine prefix with its own Xvfb screen for the tests.
#
#   prefix.sh PREFIX_DIR [--dpi N]   create PREFIX_DIR anew (wineboot, 96 DPI
#                                    unless given, 1280x1024x24 screen) and
#                                    write PREFIX_DIR/env.sh to source
#   prefix.sh --dpi N PREFIX_DIR     change the DPI of an existing prefix
#   prefix.sh --stop PREFIX_DIR      end its Wine processes and its screen
#
# env.sh exports WINEPREFIX, DISPLAY, WINEDEBUG, WINEDLLOVERRIDES, WINE and
# WINESERVER. Every Wine call is bounded by a timeout.
set -euo pipefail

WINE_LOADER=/usr/lib/wine/wine64
WINE_SERVER=/usr/lib/wine/wineserver
[ -x "$WINE_LOADER" ] || WINE_LOADER="$(command -v wine64 || true)"
[ -x "$WINE_SERVER" ] || WINE_SERVER="$(command -v wineserver || true)"

usage() { echo "usage: prefix.sh PREFIX_DIR [--dpi N] | --dpi N PREFIX_DIR | --stop PREFIX_DIR" >&2; exit 2; }

stop_prefix() {
  local dir="$1"
  [ -d "$dir" ] || return 0
  if [ -f "$dir/env.sh" ]; then
    # shellcheck disable=SC1091
    (source "$dir/env.sh"; timeout 20 "$WINE_SERVER" -k >/dev/null 2>&1 || true)
  fi
  if [ -f "$dir/xvfb.pid" ]; then
    kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
    rm -f "$dir/xvfb.pid"
  fi
}

set_dpi() {
  local dpi="$1"
  # shellcheck disable=SC1091
  source "$PREFIX/env.sh"
  timeout 60 "$WINE_LOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  timeout 60 "$WINE_LOADER" reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  # Processes read the DPI when they start; a fresh server makes every later
  # process see the new value.
  timeout 30 "$WINE_SERVER" -k >/dev/null 2>&1 || true
  timeout 30 "$WINE_SERVER" -w >/dev/null 2>&1 || true
}

DPI=96
MODE=create
PREFIX=""
while [ $# -gt 0 ]; do
  case "$1" in
    --dpi) DPI="$2"; [ "$MODE" = create ] && [ -z "$PREFIX" ] && MODE=dpi; shift 2 ;;
    --stop) MODE=stop; shift ;;
    -*) usage ;;
    *) PREFIX="$1"; shift ;;
  esac
done
[ -n "$PREFIX" ] || usage
mkdir -p "$(dirname "$PREFIX")"
PREFIX="$(cd "$(dirname "$PREFIX")" && pwd)/$(basename "$PREFIX")"

case "$MODE" in
  stop) stop_prefix "$PREFIX"; exit 0 ;;
  dpi) set_dpi "$DPI"; exit 0 ;;
esac

stop_prefix "$PREFIX"
rm -rf "$PREFIX"
mkdir -p "$PREFIX"

# A screen of our own, on a display number Xvfb picks itself.
exec 3>"$PREFIX/xvfb.display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -ac >/dev/null 2>&1 &
echo $! >"$PREFIX/xvfb.pid"
exec 3>&-
for _ in $(seq 100); do
  [ -s "$PREFIX/xvfb.display" ] && break
  sleep 0.1
done
[ -s "$PREFIX/xvfb.display" ] || { echo "prefix.sh: Xvfb did not start" >&2; exit 1; }
DISPLAY_NUM="$(tr -d '[:space:]' <"$PREFIX/xvfb.display")"

cat >"$PREFIX/env.sh" <<ENV
export WINEPREFIX="$PREFIX/wine"
export DISPLAY=":$DISPLAY_NUM"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
export WINE="$WINE_LOADER"
export WINESERVER="$WINE_SERVER"
ENV

# shellcheck disable=SC1091
source "$PREFIX/env.sh"
timeout 180 "$WINE_LOADER" wineboot -i >/dev/null 2>&1
timeout 60 "$WINE_SERVER" -w >/dev/null 2>&1 || true
# Debian's Wine has no Tahoma; a condensed sans of similar width stands in.
timeout 60 "$WINE_LOADER" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Tahoma /t REG_SZ \
  /d 'DejaVu Sans Condensed' /f >/dev/null 2>&1
set_dpi "$DPI"
echo "prefix.sh: $PREFIX ready on display :$DISPLAY_NUM at $DPI DPI"
