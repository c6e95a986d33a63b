#!/usr/bin/env bash
# Sets up, builds and runs every test headless.
# HEULMEISTER_SANITIZE=1 does the same under AddressSanitizer + UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
preset=dev
[ "${HEULMEISTER_SANITIZE:-0}" = 1 ] && preset=sanitize
ctest --preset "$preset" "$@"
