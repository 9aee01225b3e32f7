#!/usr/bin/env bash
# Copies the source tree into an empty folder for a release build there:
#
#   bash tests/release/copy-tree.sh FOLDER
#
# The tree as it is (tracked and new files, without what git ignores), and
# the libjpeg-turbo that setup.sh built with its sources, so that the copy
# does not build it again. No build folder is copied.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
[ $# -eq 1 ] && [ -d "$1" ] || { echo "usage: bash tests/release/copy-tree.sh FOLDER" >&2; exit 2; }
COPY="$(cd "$1" && pwd)"
cd "$ROOT"
git ls-files -z --cached --others --exclude-standard |
  tar --null --files-from=- --ignore-failed-read -cf - 2>/dev/null | tar -xf - -C "$COPY"
mkdir -p "$COPY/build/deps/src"
cp -a build/deps/libjpeg-turbo-win64 "$COPY/build/deps/"
cp -a build/deps/src/libjpeg-turbo-2.1.5 "$COPY/build/deps/src/"
