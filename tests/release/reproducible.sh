#!/usr/bin/env bash
# Two builds of one commit give the same bytes: builds the release
# (scripts/release.sh) in two temporary copies of the tree, without ccache,
# with a made-up licence string as real releases carry one, and compares the
# SHA-256 of KestrumHelper.exe and of the package. Prints both and the time
# it took. The tree itself and its build folders are left alone.
#
# The first build runs under strace: the made-up string must stand on no
# command line (nor in any program's environment), not in the script's
# output, not in the temporary folder the script used, and in no file of the
# copy but the release build folder (build/release-win64) and the package.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$ROOT"
started=$SECONDS
command -v strace >/dev/null || { echo "reproducible: strace is not installed (bash scripts/setup.sh)"; exit 1; }

SOURCE_DATE_EPOCH="$(git log -1 --format=%ct)"
export SOURCE_DATE_EPOCH

WORK="$(mktemp -d /tmp/kestrum-release-copy.XXXXXX)"
trap 'rm -rf "$WORK"' EXIT
# Made up anew for each run, with the characters that need escaping in CMake
# and C++ and one outside ASCII.
license="Testfirma:swdocmgr_general-$(od -An -tx8 -N8 /dev/urandom | tr -d ' \n')-\\;\"]=]\$(x)\${y}ä"
printf '%s\n' "$license" >"$WORK/license.txt"
characters="$(python3 -c 'import sys; print(len(open(sys.argv[1], encoding="utf-8").read().rstrip("\n")))' \
  "$WORK/license.txt")"

failed=0
fail() {
  echo "reproducible: $1"
  failed=1
}
build() {  # build NAME [WRAPPER...]: the release built in the copy WORK/NAME
  local copy="$WORK/$1"
  shift
  mkdir -p "$copy/tree" "$copy/tmp"
  bash tests/release/copy-tree.sh "$copy/tree"
  TMPDIR="$copy/tmp" CCACHE_DISABLE=1 "$@" bash "$copy/tree/scripts/release.sh" --license-file "$WORK/license.txt" \
    >"$copy/release.log" 2>&1 || {
    cat "$copy/release.log"
    echo "reproducible: the release build in the copy $1 failed"
    exit 1
  }
}
build first strace -f -qq -v -xx -s 1000000 -e trace=execve -o "$WORK/first/execve.log"
build second

grep -qx "licence string: set ($characters characters)" "$WORK/first/release.log" ||
  fail "release.sh did not print \"licence string: set ($characters characters)\""
python3 tests/release/find_text.py "$WORK/license.txt" "$WORK/first/release.log" >/dev/null ||
  fail "the licence string is in the output of release.sh"
python3 tests/release/find_text.py "$WORK/license.txt" "$WORK/first/execve.log" >/dev/null ||
  fail "the licence string stands on a command line (or in an environment)"
[ -z "$(ls -A "$WORK/first/tmp")" ] || fail "release.sh left files in its temporary folder: $(ls -A "$WORK/first/tmp")"
outside="$(python3 tests/release/find_text.py "$WORK/license.txt" "$WORK/first/tree" \
  --skip "$WORK/first/tree/build/release-win64" --skip "$WORK/first/tree/build/release" || true)"
[ -z "$outside" ] || fail "the licence string is in files outside the release build: $outside"
python3 tests/release/find_text.py "$WORK/license.txt" "$WORK/first/tree/build/release-win64/bin/KestrumHelper.exe" \
  >/dev/null && fail "the licence string is not in the program"

compare() {  # compare NAME FIRST SECOND
  local first second
  first="$(sha256sum "$2" | cut -d' ' -f1)"
  second="$(sha256sum "$3" | cut -d' ' -f1)"
  echo "reproducible: $1: $first (first copy), $second (second copy)"
  if [ "$first" != "$second" ]; then
    fail "$1 differs between the two builds"
  fi
}
release="build/release-win64/bin/KestrumHelper.exe"
package="$(cd "$WORK/first/tree/build/release" && ls KestrumHelper-*-win64.zip)"
compare KestrumHelper.exe "$WORK/first/tree/$release" "$WORK/second/tree/$release"
compare "$package" "$WORK/first/tree/build/release/$package" "$WORK/second/tree/build/release/$package"
echo "reproducible: package contents:"
unzip -Z -l "$WORK/first/tree/build/release/$package" | sed 's/^/  /'
echo "reproducible: took $((SECONDS - started)) s"
exit "$failed"
