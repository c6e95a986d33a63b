#!/usr/bin/env bash
# Sets up, builds and runs every test headless.
# HEULMEISTER_SANITIZE=1 does the same under AddressSanitizer + UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build_dir=build
[ "${HEULMEISTER_SANITIZE:-0}" = 1 ] && build_dir=build-sanitize
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure "$@"
