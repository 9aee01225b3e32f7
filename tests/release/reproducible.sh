#!/usr/bin/env bash
# Two builds of one commit give the same bytes: builds the release here
# (scripts/release.sh), then once more in a temporary copy of the tree (only
# the program and the package, without ccache), and compares the SHA-256 of
# KestrumHelper.exe and of the package. Prints both and the time it took.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$ROOT"
started=$SECONDS

SOURCE_DATE_EPOCH="$(git log -1 --format=%ct)"
export SOURCE_DATE_EPOCH
bash scripts/release.sh >/dev/null

COPY="$(mktemp -d /tmp/kestrum-release-copy.XXXXXX)"
trap 'rm -rf "$COPY"' EXIT
# The tree as it is (tracked and new files, without what git ignores), and
# the libjpeg-turbo that setup.sh built with its sources, so that the copy
# does not build it again.
git ls-files -z --cached --others --exclude-standard |
  tar --null --files-from=- --ignore-failed-read -cf - 2>/dev/null | tar -xf - -C "$COPY"
mkdir -p "$COPY/build/deps/src"
cp -a build/deps/libjpeg-turbo-win64 "$COPY/build/deps/"
cp -a build/deps/src/libjpeg-turbo-2.1.5 "$COPY/build/deps/src/"
CCACHE_DISABLE=1 bash "$COPY/scripts/release.sh" >"$COPY/release.log" 2>&1 || {
  cat "$COPY/release.log"
  echo "reproducible: the release build in the copy failed"
  exit 1
}

failed=0
compare() {  # compare NAME FIRST SECOND
  local first second
  first="$(sha256sum "$2" | cut -d' ' -f1)"
  second="$(sha256sum "$3" | cut -d' ' -f1)"
  echo "reproducible: $1: $first (here), $second (copy)"
  if [ "$first" != "$second" ]; then
    echo "reproducible: $1 differs between the two builds"
    failed=1
  fi
}
package="$(cd build/release && ls KestrumHelper-*-win64.zip)"
compare KestrumHelper.exe build/win64/bin/KestrumHelper.exe "$COPY/build/win64/bin/KestrumHelper.exe"
compare "$package" "build/release/$package" "$COPY/build/release/$package"
echo "reproducible: package contents:"
unzip -Z -l "build/release/$package" | sed 's/^/  /'
echo "reproducible: took $((SECONDS - started)) s"
exit "$failed"
