#!/usr/bin/env bash
# The store's saving and syncing, which write on a thread of their own while the program goes on,
# built with ThreadSanitizer in build-tsan/ and run. Needs what scripts/test.sh installs.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/setup.sh"  # jotpin_configure, jotpin_ctest
build="$root/build-tsan"
tests=(tst_notebook tst_sync tst_syncsim)
jotpin_configure "$build" -DJOTPIN_TSAN=ON -DJOTPIN_BENCH=OFF -DJOTPIN_WERROR=ON
cmake --build "$build" --parallel "$(nproc)" --target "${tests[@]}"
# Qt itself is not built with the sanitizer: its own locking is known to it only through
# the suppressions.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/scripts/tsan.supp"
# The simulation's schedules, each many times slower here: enough to cross every path.
export SYNCSIM_SCHEDULES=10
pattern=$(IFS='|'; echo "^(${tests[*]})\$")
jotpin_ctest "$build" -R "$pattern" "$@"
