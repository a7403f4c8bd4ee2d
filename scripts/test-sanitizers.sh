#!/usr/bin/env bash
# The whole test suite again, built with AddressSanitizer and UBSan, in build-sanitize/.
# Needs what scripts/test.sh installs; run that first on a fresh machine.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/setup.sh"  # jotpin_configure, jotpin_ctest
build="$root/build-sanitize"
jotpin_configure "$build" -DJOTPIN_SANITIZE=ON -DJOTPIN_BENCH=OFF -DJOTPIN_WERROR=ON
cmake --build "$build" --parallel "$(nproc)"
# Qt and the libraries below it keep memory to the end on purpose: leaks are not looked for.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The desktop tests (label "desktop") start five window managers and check them more than the
# program; the normal run has them.
# The syncing simulation takes over ten times as long here: it runs in the normal suite and under
# ThreadSanitizer (scripts/test-threads.sh).
jotpin_ctest "$build" --label-exclude desktop --exclude-regex '^tst_syncsim$' "$@"
