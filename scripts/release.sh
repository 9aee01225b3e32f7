#!/usr/bin/env bash
# Builds the release package of the Windows program:
#   build/release/KestrumHelper-<version>-win64.zip  (KestrumHelper.exe,
#   THIRD_PARTY_NOTICES.txt, DEPLOY.txt) and build/release/SHA256SUMS.
#
#   bash scripts/release.sh [--sign CERT.pfx [--password-file FILE] [--timestamp URL]]
#
# With --sign the program is signed (Authenticode, SHA-256, osslsigncode)
# before it is packed; the certificate's password is read from the password
# file, and a timestamp server is contacted only when --timestamp names one.
# The entries of the package are dated from the commit (SOURCE_DATE_EPOCH,
# taken from git unless it is set), so that two builds of one commit give the
# same bytes.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
OUT="$ROOT/build/release"
BUILD="$ROOT/build/win64"

usage() {
  echo "usage: bash scripts/release.sh [--sign CERT.pfx [--password-file FILE] [--timestamp URL]]" >&2
  exit 2
}
absolute() {  # absolute FILE: the path of an existing file, made absolute
  [ -f "$1" ] || { echo "release: $1 does not exist" >&2; exit 2; }
  echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
}

cert="" password_file="" timestamp=""
while [ $# -gt 0 ]; do
  case "$1" in
    --sign) [ $# -ge 2 ] || usage; cert="$(absolute "$2")"; shift 2 ;;
    --password-file) [ $# -ge 2 ] || usage; password_file="$(absolute "$2")"; shift 2 ;;
    --timestamp) [ $# -ge 2 ] || usage; timestamp="$2"; shift 2 ;;
    *) usage ;;
  esac
done
if [ -z "$cert" ] && { [ -n "$password_file" ] || [ -n "$timestamp" ]; }; then
  echo "release: --password-file and --timestamp go with --sign" >&2
  exit 2
fi

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null)" || {
    echo "release: no git commit to date the package from; set SOURCE_DATE_EPOCH" >&2
    exit 1
  }
fi
export SOURCE_DATE_EPOCH

bash scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target KestrumHelper kestrum_release_texts

cpack_args=(--config "$BUILD/CPackConfig.cmake" -B "$OUT")
if [ -n "$cert" ]; then
  cpack_args+=(-D "KESTRUM_SIGN_CERT=$cert")
  [ -z "$password_file" ] || cpack_args+=(-D "KESTRUM_SIGN_PASSWORD_FILE=$password_file")
  [ -z "$timestamp" ] || cpack_args+=(-D "KESTRUM_SIGN_TIMESTAMP=$timestamp")
fi
mkdir -p "$OUT"
rm -f "$OUT"/KestrumHelper-*-win64.zip "$OUT/SHA256SUMS"
cpack "${cpack_args[@]}" >/dev/null
(cd "$OUT" && sha256sum KestrumHelper-*-win64.zip >SHA256SUMS)

package="$(cd "$OUT" && ls KestrumHelper-*-win64.zip)"
echo "release: $OUT/$package"
echo "release: $OUT/SHA256SUMS: $(cat "$OUT/SHA256SUMS")"
if [ -n "$cert" ]; then
  echo "release: KestrumHelper.exe is signed with $cert${timestamp:+, timestamped by $timestamp}"
else
  echo "release: KestrumHelper.exe is NOT signed (no --sign given)"
fi
