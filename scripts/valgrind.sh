#!/usr/bin/env bash
# Memcheck over the editor: start-up, a scripted edit session (states, transitions,
# conditions, severities, a save) and the end of the process, under Xvfb. Fails on any
# invalid read or write, use of uninitialised values, or a definite leak that is not the
# toolkit's own (scripts/valgrind.supp). Usage: scripts/valgrind.sh [build-dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
cmake --build "$build" -j "${BUILD_JOBS:-2}" --target test_gui >/dev/null
# The edit session: each of these drives the real windows through the program's start-up.
session="${VALGRIND_SESSION:-StateEditTest.AddTakesTheNameFirstWordOrRefusesIt:TransitionTest.AddSendsEachKindOfActionNormalisedAndQuoted:ConditionEditTest.ModifyReplacesOrLeavesTheServerAsItWas:EditorTest.FirstStoreTrimsTheFieldsAndWritesThemBack:EditorTest.ValueFieldsTakeOneTo32767AndNothingElse}"
log="${VALGRIND_LOG:-$build/valgrind.log}"
status=0
IFS=':' read -r -a tests <<<"$session"
: >"$log"
for t in "${tests[@]}"; do
  echo "== $t" | tee -a "$log"
  # One process a test, as ctest runs them; Xvfb is the harness's own, not traced.
  if ! valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --show-leak-kinds=definite \
      --errors-for-leak-kinds=definite --track-origins=yes --num-callers=30 \
      --suppressions="$root/scripts/valgrind.supp" \
      "$build/tests/test_gui" --gtest_filter="$t" >>"$log" 2>&1; then
    status=1
    echo "   FAILED (see $log)"
  fi
  grep -E "ERROR SUMMARY|definitely lost|\[  (PASSED|FAILED)" "$log" | tail -n 3
done
exit "$status"
