#!/usr/bin/env bash
# Sets up, builds and starts the game. Arguments go to the game.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
exec ./build/heulmeister "$@"
