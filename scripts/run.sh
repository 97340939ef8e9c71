#!/usr/bin/env bash
# Installs what is missing, builds, and starts tarnedit on the embedded default store.
# Arguments are passed to tarnedit (for example: -t mytemplate, -host nms1).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/deps.sh
# A first build leaves out the tests and benchmarks; a build folder that has them (from
# scripts/test.sh) keeps them, so the next test run still finds every test.
options=()
[ -f "$root/build/CMakeCache.txt" ] || options=(-DTARNWRIGHT_TESTS=OFF -DTARNWRIGHT_BENCH=OFF)
BUILD_TARGETS="tarnedit varoctl" bash scripts/build.sh "$root/build" "${options[@]}"
if [ -z "${DISPLAY:-}" ]; then
  echo "No DISPLAY: set DISPLAY to your X server (or start one) and run again." >&2
  exit 1
fi
exec "$root/build/tarnedit" "$@"
