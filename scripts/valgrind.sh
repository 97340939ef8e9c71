#!/usr/bin/env bash
# Memcheck over the editor: the real tarnedit started, shown and closed (the process tests
# run it under valgrind), and a scripted edit session through the real windows in process
# (states, transitions, conditions, severities, poll rates, saves). Fails on any invalid read
# or write, use of uninitialised values, or a definite leak that is not the toolkit's own
# (scripts/valgrind.supp). Needs DISPLAY (an Xvfb). Usage: scripts/valgrind.sh [build-dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
cmake --build "$build" -j "${BUILD_JOBS:-2}" --target test_gui test_process tarnedit >/dev/null
logs="${VALGRIND_LOGS:-$build/valgrind}"
rm -rf "$logs" && mkdir -p "$logs"
memcheck=(valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --show-leak-kinds=definite
          --errors-for-leak-kinds=definite --num-callers=30 --suppressions="$root/scripts/valgrind.supp")

# Start-up, the main window and its diagram, exit on close (status 0).
starts="${VALGRIND_STARTS:-Tarnedit.TitleNamesTheHostAndClosingTheMainOrDiagramWindowEndsWithStatus0}"
# The edit session, each test in a process of its own as ctest runs them.
session="${VALGRIND_SESSION:-EditTest.AddTakesTheNameFirstWordOrRefusesIt:EditTest.AddSendsEachKindOfActionNormalisedAndQuoted:ConditionEditTest.ModifyReplacesOrLeavesTheServerAsItWas:EditorTest.AddAndModifyCheckTheServerBeforeWriting:EditorTest.SaveRefusalsStoreNothingAndAFirstStoreTrimsTheFields:EditorTest.SavingUnderANewNameMakesTheCopyTheOpenTemplate:BadInputTest.StateTransitionAndTemplateFields}"

status=0
echo "== tarnedit start-up and exit"
TARNWRIGHT_EDITOR_WRAPPER="${memcheck[*]} --log-file=$logs/tarnedit.%p.log" \
  "$build/tests/test_process" --gtest_filter="$starts" >"$logs/starts.out" 2>&1 || status=1
# A renamed test would otherwise leave the run clean and empty.
ran() { grep -q '^\[  PASSED  \] [1-9]' "$1" || { echo "   no test of that name passed: $1"; status=1; }; }
ran "$logs/starts.out"
IFS=':' read -r -a tests <<<"$session"
for t in "${tests[@]}"; do
  echo "== $t"
  "${memcheck[@]}" --log-file="$logs/session.${t}.log" "$build/tests/test_gui" --gtest_filter="$t" \
    >"$logs/session.${t}.out" 2>&1 || status=1
  ran "$logs/session.${t}.out"
done
for f in "$logs"/*.log; do
  errors="$(sed -n 's/.*ERROR SUMMARY: \([0-9]*\) errors.*/\1/p' "$f" | tail -n 1)"
  lost="$(sed -n 's/.*definitely lost: \([0-9,]*\) bytes.*/\1/p' "$f" | tail -n 1)"
  printf '%-70s errors %s, definitely lost %s bytes\n' "$(basename "$f")" "${errors:-?}" "${lost:-0}"
  [ "${errors:-1}" = 0 ] || status=1
done
grep -h "tests\? ran\|PASSED\|FAILED" "$logs"/*.out | sort | uniq -c
[ "$status" = 0 ] && echo "valgrind: clean" || echo "valgrind: errors (see $logs)"
exit "$status"
