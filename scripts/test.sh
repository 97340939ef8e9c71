#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build (once as CI runs it,
# once as a plain ctest without DISPLAY and PostgreSQL would), then the AddressSanitizer +
# UndefinedBehaviorSanitizer build, then each fuzz target for a short bounded time. Starts its own Xvfb and throwaway PostgreSQL server and stops them at the end.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="$(nproc)"
fuzz_seconds="${FUZZ_SECONDS:-30}"

bash scripts/deps.sh

. scripts/xvfb.sh
. scripts/pg-throwaway.sh
cleanup() { xvfb_stop; pg_throwaway_stop; }
trap cleanup EXIT
xvfb_start
pg_throwaway_start
# Nothing is skipped here: the PostgreSQL half of the store suite and the end-to-end tests
# must run.
export VARO_REQUIRE_PG=1 TARNWRIGHT_REQUIRE_E2E=1
unset VARO_STORE

passed=0
failed=0
run_suite() {
  local dir="$1"; shift
  local log status=0
  bash scripts/build.sh "$dir" "$@"
  log="$(mktemp)"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300 2>&1 | tee "$log" || status=$?
  # ctest's summary: "N% tests passed, F tests failed out of T"
  read -r f t < <(sed -n 's/.* tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$log" | tail -n 1)
  rm -f "$log"
  passed=$((passed + ${t:-0} - ${f:-0}))
  failed=$((failed + ${f:-0}))
  if [ "$status" -ne 0 ]; then
    echo "$passed passed, $failed failed"
    exit "$status"
  fi
}

echo "== tests =="
# Named here: a build folder that scripts/run.sh made first has them switched off.
run_suite "$root/build" -DTARNWRIGHT_TESTS=ON -DTARNWRIGHT_BENCH=ON

# The hundred kill trials run once; the passes after it repeat twenty.
export TARNWRIGHT_KILL_TRIALS=20
echo "== the same tests as a plain ctest: no DISPLAY, no PostgreSQL =="
# What a developer's first ctest sees: each test that needs a display starts its own Xvfb,
# each that needs PostgreSQL skips and says so.
saved_display="$DISPLAY" saved_pg="$VARO_TEST_PG"
unset DISPLAY VARO_TEST_PG VARO_REQUIRE_PG TARNWRIGHT_REQUIRE_E2E
run_suite "$root/build" -DTARNWRIGHT_TESTS=ON -DTARNWRIGHT_BENCH=ON
export DISPLAY="$saved_display" VARO_TEST_PG="$saved_pg" VARO_REQUIRE_PG=1 TARNWRIGHT_REQUIRE_E2E=1

if [ "${SKIP_PACKAGE:-0}" != 1 ]; then
  echo "== install and package =="
  if bash scripts/package-check.sh "$root/build"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "$passed passed, $failed failed"
    exit 1
  fi
fi

if [ "${SKIP_SANITIZERS:-0}" != 1 ]; then
  echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
  export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  run_suite "$root/build-asan" -DTARNWRIGHT_SANITIZE=ON -DTARNWRIGHT_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
  unset ASAN_OPTIONS UBSAN_OPTIONS
fi

if [ "${SKIP_FUZZ:-0}" != 1 ] && [ -f tests/fuzz/CMakeLists.txt ]; then
  echo "== fuzzing, ${fuzz_seconds}s a target =="
  CC=clang CXX=clang++ bash scripts/build.sh "$root/build-fuzz" -DTARNWRIGHT_FUZZ=ON -DTARNWRIGHT_TESTS=OFF -DTARNWRIGHT_BENCH=OFF
  for f in "$root"/build-fuzz/tests/fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    name="$(basename "$f")"
    corpus="$root/tests/fuzz/corpus/${name#fuzz_}"
    work="$(mktemp -d)"
    [ -d "$corpus" ] && cp -r "$corpus/." "$work/"
    echo "-- $name"
    "$f" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 "$work" 2>&1 | tail -n 3
    rm -rf "$work"
  done
fi
echo "$passed passed, $failed failed"
