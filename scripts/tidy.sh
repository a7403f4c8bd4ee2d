#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over every source file of src/ that this
# system builds, using the compile commands of a build folder (default build/, built at least
# once, as scripts/test.sh leaves it). Fails, printing them, when there are findings.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"  # jotpin_install_missing
build="${1:-$JOTPIN_BUILD}"
jotpin_install_missing clang-tidy
[ -f "$build/compile_commands.json" ] ||
    { echo "no $build/compile_commands.json: configure and build first" >&2; exit 1; }
# A file for another system (localline_qt.cpp beside localline_unix.cpp) has no compile command.
mapfile -d '' files < <(find "$JOTPIN_ROOT/src" -name '*.cpp' -print0 | sort -z |
    while IFS= read -r -d '' file; do
        ! grep -qF "\"file\": \"$file\"" "$build/compile_commands.json" || printf '%s\0' "$file"
    done)
[ "${#files[@]}" -gt 0 ] || { echo "no source file of src/ is in $build/compile_commands.json" >&2; exit 1; }
# One file per run, as many runs at once as there are cores; a finding is an error. The count of
# warnings in Qt's headers that each run hides says nothing.
if ! printf '%s\0' "${files[@]}" |
    xargs -0 -n 1 -P "$(nproc)" clang-tidy -p "$build" --quiet --warnings-as-errors='*' \
        2> >(grep -Ev '^[0-9]+ warnings? generated\.$' >&2); then
    echo "clang-tidy has findings (above)" >&2
    exit 1
fi
echo "${#files[@]} files tidy"
