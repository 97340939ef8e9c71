#!/usr/bin/env bash
# Installs what is missing, builds, and starts tarnedit on the embedded default store.
# Arguments are passed to tarnedit (for example: -t mytemplate, -host nms1).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/deps.sh
bash scripts/build.sh "$root/build" -DTARNWRIGHT_TESTS=OFF -DTARNWRIGHT_BENCH=OFF
if [ -z "${DISPLAY:-}" ]; then
  echo "No DISPLAY: set DISPLAY to your X server (or start one) and run again." >&2
  exit 1
fi
exec "$root/build/tarnedit" "$@"
