#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy: bugprone, performance, cognitive complexity)
# over the program's sources with the dev build's compile commands; exits
# non-zero on any finding. Arguments: files to check instead of all of src/.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/compile_commands.json ] || cmake --preset dev >/dev/null
if [ $# -gt 0 ]; then files=("$@"); else mapfile -t files < <(git ls-files 'src/*.cpp'); fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
printf '%s\0' "${files[@]}" |
    xargs -0 -P "$(nproc)" -n 4 clang-tidy -p build --quiet >"$log" 2>/dev/null || status=$?
cat "$log"
if grep -q 'error:' "$log" || [ "$status" -ne 0 ]; then
    echo "clang-tidy: findings above (exit status $status)" >&2
    exit 1
fi
echo "clang-tidy: nothing found in ${#files[@]} files"
