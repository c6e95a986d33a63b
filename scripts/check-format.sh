#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it
# (.clang-format); `clang-format -i FILE` mends one.
set -euo pipefail
cd "$(dirname "$0")/.."
# bench/ref/ holds the shared reference program verbatim, as it stands.
git ls-files -z '*.cpp' '*.h' ':!bench/ref/*' | xargs -0 clang-format --dry-run -Werror
echo "clang-format: every C++ file as .clang-format lays it out"
