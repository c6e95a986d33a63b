#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy: bugprone, performance, cognitive complexity)
# over the program's sources with the dev build's compile commands; exits
# non-zero on any finding. Arguments: files to check instead of all of src/.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/compile_commands.json ] || cmake --preset dev >/dev/null
if [ $# -gt 0 ]; then files=("$@"); else mapfile -t files < <(git ls-files 'src/*.cpp'); fi
printf '%s\0' "${files[@]}" |
    xargs -0 -P "$(nproc)" -n 4 clang-tidy -p build --quiet 2>/dev/null |
    tee /dev/stderr | { ! grep -q 'error:'; }
echo "clang-tidy: nothing found in ${#files[@]} files"
