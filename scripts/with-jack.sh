#!/usr/bin/env bash
# Runs a command beside a private JACK server with the dummy back end (no
# sound card, no real-time rights), stopped again afterwards by its PID. The
# command finds it through JACK_DEFAULT_SERVER; a running JACK is not touched.
# Handy for trying a control surface stand-in without a desktop's JACK:
#   bash scripts/with-jack.sh ./build/heulmeister
# (the MIDI tests start a server of their own and need no wrapper).
# Usage: with-jack.sh <command> [arguments...]
set -euo pipefail

name=heulmeister-$$
JACK_NO_AUDIO_RESERVATION=1 jackd --no-realtime -n "$name" -d dummy -r 48000 -p 64 \
    >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true' EXIT

export JACK_DEFAULT_SERVER=$name
if ! jack_wait -w -t 10 >/dev/null 2>&1; then
    echo "with-jack.sh: the JACK server did not answer" >&2
    exit 1
fi
"$@"
