#!/usr/bin/env bash
# Makes a throwaway Wine prefix with its own Xvfb screen for the tests.
#
#   prefix.sh start PREFIX_DIR [--dpi N] [--docmgr V] [--bin DIR]
#                                    create PREFIX_DIR anew (wineboot, 96 DPI
#                                    unless given, 1280x1024x24 screen) and
#                                    write PREFIX_DIR/env.sh to source
#   prefix.sh dpi PREFIX_DIR N       change the DPI of an existing prefix
#   prefix.sh docmgr PREFIX_DIR V [--bin DIR]
#                                    change the Document Manager of an
#                                    existing prefix
#   prefix.sh stop PREFIX_DIR        end its Wine processes and its screen
#
# V 28|29|noversion|dependencies|absent installs a build of the stand-in
# Document Manager (file version 28.1.0.0, 29.0.0.0, no version resource,
# 28.1.0.0 with a library of its own beside it) as
# c:\Program Files\Common Files\SOLIDWORKS Shared\swdocumentmgr.dll, with
# the other libraries of its build folder beside it, and registers it with
# regsvr32 /s; absent leaves neither the files nor the registration (those
# there before are unregistered and removed). Started without --docmgr a new
# prefix has none. The builds are taken from DIR/docmgrV, DIR being the
# program folder of a Windows build (<builddir>/bin): --bin DIR, else the
# variable KESTRUM_BIN.
#
# env.sh exports WINEPREFIX, DISPLAY, WINEDEBUG, WINEDLLOVERRIDES, WINE and
# WINESERVER. Every Wine call is bounded by a timeout.
set -euo pipefail

WINE_LOADER=/usr/lib/wine/wine64
WINE_SERVER=/usr/lib/wine/wineserver
[ -x "$WINE_LOADER" ] || WINE_LOADER="$(command -v wine64 || true)"
[ -x "$WINE_SERVER" ] || WINE_SERVER="$(command -v wineserver || true)"

usage() {
  echo "usage: prefix.sh start PREFIX_DIR [--dpi N] [--docmgr 28|29|noversion|dependencies|absent] [--bin DIR]" \
       "| dpi PREFIX_DIR N | docmgr PREFIX_DIR 28|29|noversion|dependencies|absent [--bin DIR]" \
       "| stop PREFIX_DIR" >&2
  exit 2
}

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

# reg_add ARGS...: "wine reg add ARGS /f", tried up to three times: a reg
# started while the server of the prefix is still coming up now and then
# fails. The last failure's output is shown.
reg_add() {
  local attempt output
  for attempt in 1 2 3; do
    if output="$(timeout 60 "$WINE_LOADER" reg add "$@" /f 2>&1 </dev/null)"; then return 0; fi
    [ "$attempt" = 3 ] || sleep 1
  done
  echo "prefix.sh: reg add $* failed: $output" >&2
  return 1
}

set_dpi() {
  local dpi="$1"
  # shellcheck disable=SC1091
  source "$PREFIX/env.sh"
  reg_add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" >/dev/null
  reg_add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" >/dev/null
  # Processes read the DPI when they start; a fresh server makes every later
  # process see the new value.
  timeout 30 "$WINE_SERVER" -k >/dev/null 2>&1 || true
  timeout 30 "$WINE_SERVER" -w >/dev/null 2>&1 || true
  keep_server
}

# The server and Wine's own background processes stay for the prefix's life:
# started anew by a test's program, they would inherit its output handles.
keep_server() {
  # shellcheck disable=SC1091
  source "$PREFIX/env.sh"
  timeout 10 "$WINE_SERVER" -p >/dev/null 2>&1 || true
  timeout 60 "$WINE_LOADER" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

# The stand-in Document Manager at its fixed path, registered; "absent" for none.
DOCMGR_DIR_IN_PREFIX="drive_c/Program Files/Common Files/SOLIDWORKS Shared"
DOCMGR_WIN_PATH='c:\Program Files\Common Files\SOLIDWORKS Shared\swdocumentmgr.dll'
install_docmgr() {
  local variant="$1" dll="$PREFIX/wine/$DOCMGR_DIR_IN_PREFIX/swdocumentmgr.dll" source
  # shellcheck disable=SC1091
  source "$PREFIX/env.sh"
  if [ -f "$dll" ]; then
    timeout 60 "$WINE_LOADER" regsvr32 /u /s "$DOCMGR_WIN_PATH" >/dev/null 2>&1 || true
  fi
  rm -f "$(dirname "$dll")"/*.dll
  [ "$variant" = absent ] && return 0
  source="$BIN_DIR/docmgr$variant/swdocumentmgr.dll"
  [ -f "$source" ] || { echo "prefix.sh: no stand-in Document Manager at $source" >&2; exit 1; }
  mkdir -p "$(dirname "$dll")"
  cp "$(dirname "$source")"/*.dll "$(dirname "$dll")/"
  if ! timeout 60 "$WINE_LOADER" regsvr32 /s "$DOCMGR_WIN_PATH" >/dev/null 2>&1; then
    echo "prefix.sh: regsvr32 of $DOCMGR_WIN_PATH failed" >&2
    exit 1
  fi
}

docmgr_variant() {
  case "$1" in 28|29|noversion|dependencies|absent) DOCMGR="$1" ;; *) usage ;; esac
}

DPI=96
DPI_GIVEN=""
DOCMGR=""
BIN_DIR="${KESTRUM_BIN:-}"
[ $# -ge 2 ] || usage
MODE="$1"
PREFIX="$2"
shift 2
case "$MODE" in
  start) ;;
  stop) [ $# -eq 0 ] || usage ;;
  dpi) [ $# -eq 1 ] || usage; DPI="$1"; DPI_GIVEN=1; shift ;;
  docmgr) [ $# -ge 1 ] || usage; docmgr_variant "$1"; shift ;;
  *) usage ;;
esac
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case "$MODE:$1" in
    start:--dpi) DPI="$2"; DPI_GIVEN=1 ;;
    start:--docmgr) docmgr_variant "$2" ;;
    start:--bin | docmgr:--bin) BIN_DIR="$2" ;;
    *) usage ;;
  esac
  shift 2
done
case "$DPI" in '' | *[!0-9]*) usage ;; esac
[ -n "$PREFIX" ] || usage
if [ -n "$DOCMGR" ] && [ "$DOCMGR" != absent ]; then
  [ -n "$BIN_DIR" ] || { echo "prefix.sh: Document Manager $DOCMGR needs --bin DIR or KESTRUM_BIN" >&2; exit 2; }
  BIN_DIR="$(cd "$BIN_DIR" && pwd)"
fi
mkdir -p "$(dirname "$PREFIX")"
PREFIX="$(cd "$(dirname "$PREFIX")" && pwd)/$(basename "$PREFIX")"

case "$MODE" in
  stop) stop_prefix "$PREFIX"; exit 0 ;;
  dpi | docmgr)
    [ -f "$PREFIX/env.sh" ] || { echo "prefix.sh: no prefix at $PREFIX" >&2; exit 1; }
    [ -z "$DPI_GIVEN" ] || set_dpi "$DPI"
    [ -z "$DOCMGR" ] || install_docmgr "$DOCMGR"
    exit 0 ;;
esac

stop_prefix "$PREFIX"
rm -rf "$PREFIX"
mkdir -p "$PREFIX"
# A start that fails leaves no screen and no Wine server behind.
trap 'status=$?; [ "$status" -eq 0 ] || stop_prefix "$PREFIX"' EXIT

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
reg_add 'HKCU\Software\Wine\Fonts\Replacements' /v Tahoma /t REG_SZ /d 'DejaVu Sans Condensed' >/dev/null
# No window manager runs on this screen: Wine places and unmaps every window
# itself instead of waiting up to 2 s for a manager that never answers.
reg_add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N >/dev/null
set_dpi "$DPI"
[ -z "$DOCMGR" ] || install_docmgr "$DOCMGR"
echo "prefix.sh: $PREFIX ready on display :$DISPLAY_NUM at $DPI DPI${DOCMGR:+, Document Manager $DOCMGR}"
