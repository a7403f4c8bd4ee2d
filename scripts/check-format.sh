#!/usr/bin/env bash
# Fails, naming the files, when clang-format would change any C++ file of the project.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
command -v clang-format >/dev/null || { echo "clang-format is not installed" >&2; exit 1; }
mapfile -d '' files < <(find "$root/src" "$root/tests" "$root/bench" "$root/fuzz" \
    \( -name '*.cpp' -o -name '*.h' \) -print0)
unformatted=()
for file in "${files[@]}"; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("${file#"$root"/}")
done
if ((${#unformatted[@]})); then
    printf 'Not formatted (run clang-format -i on them):\n' >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    exit 1
fi
echo "${#files[@]} files formatted"
