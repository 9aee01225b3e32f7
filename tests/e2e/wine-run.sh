#!/usr/bin/env bash
# Runs one Windows program under the test prefix, bounded by a timeout.
# Needs the environment of PREFIX_DIR/env.sh (see prefix.sh).
set -euo pipefail
if [ -z "${WINEPREFIX:-}" ] || [ -z "${WINE:-}" ]; then
  echo "wine-run.sh: no test prefix; source PREFIX_DIR/env.sh from tests/e2e/prefix.sh first" >&2
  exit 2
fi
exec timeout --kill-after=10 "${KESTRUM_WINE_TIMEOUT:-300}" "$WINE" "$@"
