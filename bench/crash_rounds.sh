#!/usr/bin/env bash
# The long forms of the suite's two kill tests, which the suite runs two rounds each of:
# tests/e2e/crash_e2e.sh for ROUNDS rounds (20 unless told) of typing killed at a random moment,
# and tests/e2e/renumber_e2e.sh killing the save after a delete at each of its steps in turn.
# Not part of the suite: together they take about three minutes. Both are run; it fails when
# either does.
#
#   bash bench/crash_rounds.sh build/jotpin [ROUNDS]     JOTPIN_TEST_SEED=<seed> repeats a run
set -euo pipefail
program=$(realpath "$1")
rounds=${2:-20}
e2e="$(dirname "$0")/../tests/e2e"
failed=()
bash "$e2e/crash_e2e.sh" "$program" "$rounds" || failed+=("crash_e2e.sh (status $?)")
bash "$e2e/renumber_e2e.sh" "$program" all || failed+=("renumber_e2e.sh (status $?)")
((${#failed[@]} == 0)) || { echo "FAILED: ${failed[*]}"; exit 1; }
echo "PASS: $rounds rounds of kills while typing, and a kill at each step of a renumbering save"
