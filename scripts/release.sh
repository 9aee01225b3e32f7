#!/usr/bin/env bash
# Builds the release package of the Windows program:
#   build/release/KestrumHelper-<version>-win64.zip  (KestrumHelper.exe,
#   THIRD_PARTY_NOTICES.txt, DEPLOY.txt) and build/release/SHA256SUMS.
#
#   bash scripts/release.sh (--license-file FILE | --test-package)
#       [--sign CERT.pfx [--password-file FILE] (--timestamp URL | --no-timestamp)]
#
# The Document Manager licence string comes from FILE (UTF-8, one line; a
# final line break is ignored). It is built into the program, and shown,
# passed on a command line or written nowhere else: the release builds in a
# folder of its own, build/release-win64 (readable by its owner only), and
# the string reaches CMake through an initial-cache file in a private
# temporary folder that is removed again. --test-package builds without a
# string, for tests only (/T and /P fail on every machine); its package is
# named KestrumHelper-<version>-win64-unlicensed.zip.
#
# With --sign the program is signed (Authenticode, SHA-256, osslsigncode)
# before it is packed; the certificate's password is read from the password
# file, and the timestamp server --timestamp names is contacted. Signing
# without a timestamp takes --no-timestamp.
# The entries of the package are dated from the commit (SOURCE_DATE_EPOCH,
# taken from git unless it is set), so that two builds of one commit give the
# same bytes.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
OUT="$ROOT/build/release"
BUILD="$ROOT/build/release-win64"

usage() {
  echo "usage: bash scripts/release.sh (--license-file FILE | --test-package)" \
       "[--sign CERT.pfx [--password-file FILE] (--timestamp URL | --no-timestamp)]" >&2
  exit 2
}
refuse() {  # refuse MESSAGE: one line on standard error, and the end
  echo "release: $1" >&2
  exit 2
}
absolute() {  # absolute FILE: the path of an existing file, made absolute
  [ -f "$1" ] || refuse "$1 does not exist"
  echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
}

license_file="" test_package=0 cert="" password_file="" timestamp="" no_timestamp=0
while [ $# -gt 0 ]; do
  case "$1" in
    --license-file) [ $# -ge 2 ] || usage; license_file="$(absolute "$2")"; shift 2 ;;
    --test-package) test_package=1; shift ;;
    --sign) [ $# -ge 2 ] || usage; cert="$(absolute "$2")"; shift 2 ;;
    --password-file) [ $# -ge 2 ] || usage; password_file="$(absolute "$2")"; shift 2 ;;
    --timestamp) [ $# -ge 2 ] || usage; timestamp="$2"; shift 2 ;;
    --no-timestamp) no_timestamp=1; shift ;;
    *) usage ;;
  esac
done
if [ -z "$license_file" ] && [ "$test_package" = 0 ]; then
  refuse "no licence string: the Document Manager would refuse the program, and /T and /P would fail on every machine; give --license-file FILE, or --test-package for a package meant only for tests"
fi
if [ -n "$license_file" ] && [ "$test_package" = 1 ]; then
  refuse "--license-file and --test-package exclude each other"
fi
if [ -z "$cert" ] && { [ -n "$password_file" ] || [ -n "$timestamp" ] || [ "$no_timestamp" = 1 ]; }; then
  refuse "--password-file, --timestamp and --no-timestamp go with --sign"
fi
if [ -n "$timestamp" ] && [ "$no_timestamp" = 1 ]; then
  refuse "--timestamp and --no-timestamp exclude each other"
fi
if [ -n "$cert" ] && [ -z "$timestamp" ] && [ "$no_timestamp" = 0 ]; then
  refuse "--sign needs --timestamp URL: without a timestamp, Windows stops accepting the signature when the certificate expires; give --no-timestamp to sign without one all the same"
fi

# The licence string, read into this shell only: neither echoed nor handed
# to a program as an argument.
license=""
if [ -n "$license_file" ]; then
  iconv -f UTF-8 -t UTF-8 <"$license_file" >/dev/null 2>&1 || refuse "the licence file $license_file is not UTF-8 text"
  [ "$(tr -d '\000' <"$license_file" | wc -c)" = "$(wc -c <"$license_file")" ] ||
    refuse "the licence file $license_file holds a NUL byte"
  license="$(cat -- "$license_file"; echo .)"
  license="${license%.}"
  license="${license%$'\n'}"
  license="${license%$'\r'}"
  [ -n "$license" ] || refuse "the licence file $license_file is empty"
  case "$license" in
    *$'\n'* | *$'\r'*) refuse "the licence file $license_file holds more than one line" ;;
  esac
fi
characters() {  # characters TEXT: the number of characters (not bytes) of UTF-8 text
  local LC_ALL=C.UTF-8
  echo "${#1}"
}

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null)" || {
    echo "release: no git commit to date the package from; set SOURCE_DATE_EPOCH" >&2
    exit 1
  }
fi
export SOURCE_DATE_EPOCH

bash scripts/setup.sh

# The build setting KESTRUM_DOCMGR_LICENSE, set (or emptied, for a test
# package) through an initial-cache file that only this user can read. The
# value stands in a bracket argument, which CMake takes as it is; its
# brackets get as many "=" as it takes for the value not to end them.
mkdir -p "$BUILD"
chmod 700 "$BUILD"
private="$(mktemp -d "${TMPDIR:-/tmp}/kestrum-release.XXXXXX")"
# Removed at the end, however the script ends: the private folder, and
# CPack's staged files (the program among them) beside the package.
trap 'rm -rf "$private" "$OUT/_CPack_Packages"' EXIT
equals=""
while [[ "$license" == *"]$equals]"* ]]; do equals="$equals="; done
(
  umask 077
  printf 'set(KESTRUM_DOCMGR_LICENSE [%s[%s]%s] CACHE STRING "License string handed to the Document Manager" FORCE)\n' \
    "$equals" "$license" "$equals" >"$private/license.cmake"
)
cmake --preset win64 -B "$BUILD" -C "$private/license.cmake" >/dev/null
rm -rf "$private"
if [ -n "$license" ]; then
  echo "licence string: set ($(characters "$license") characters)"
else
  echo "licence string: none (--test-package): /T and /P fail on every machine, the package is for tests only"
fi
license=""

cmake --build "$BUILD" -j"$(nproc)" --target KestrumHelper kestrum_release_texts

cpack_args=(--config "$BUILD/CPackConfig.cmake" -B "$OUT")
if [ -n "$cert" ]; then
  cpack_args+=(-D "KESTRUM_SIGN_CERT=$cert")
  [ -z "$password_file" ] || cpack_args+=(-D "KESTRUM_SIGN_PASSWORD_FILE=$password_file")
  [ -z "$timestamp" ] || cpack_args+=(-D "KESTRUM_SIGN_TIMESTAMP=$timestamp")
fi
mkdir -p "$OUT"
rm -rf "$OUT"/KestrumHelper-*-win64*.zip "$OUT/SHA256SUMS" "$OUT/_CPack_Packages"
cpack "${cpack_args[@]}" >/dev/null
(cd "$OUT" && sha256sum KestrumHelper-*-win64*.zip >SHA256SUMS)

package="$(cd "$OUT" && ls KestrumHelper-*-win64*.zip)"
echo "release: $OUT/$package"
echo "release: $OUT/SHA256SUMS: $(cat "$OUT/SHA256SUMS")"
if [ -z "$cert" ]; then
  echo "release: KestrumHelper.exe is NOT signed (no --sign given)"
elif [ -n "$timestamp" ]; then
  echo "release: KestrumHelper.exe is signed with $cert, timestamped by $timestamp"
else
  echo "release: KestrumHelper.exe is signed with $cert, NOT timestamped (--no-timestamp): the signature ends with the certificate"
fi
