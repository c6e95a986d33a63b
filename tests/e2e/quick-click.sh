#!/usr/bin/env bash
# A player who clicks START fast: eight clicks (start, give up, start, ...)
# 0.25 s and then 0.1 s apart, three times over, in the real window on a
# sound output that keeps real time. No message box may come up, and after
# an even number of clicks the tone must be silent.
# Run it under with-paced-sound.sh, which provides the ALSA default device.
# Usage: quick-click.sh <path of heulmeister> <folder holding the manual>
set -euo pipefail

program=$1
manual_dir=$2
capture=${HEULMEISTER_PACED_CAPTURE:?run under with-paced-sound.sh}
screenshot=/tmp/heulmeister-e2e-quick-click.png
# shellcheck source=common.sh
. "$(dirname "$0")/common.sh"
start_display
start_game '[Spiel]\nSelektmode=0\n'

# Every window on screen but the main one: a message box, named by its caption.
boxes() {
    for window in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        name=$(xdotool getwindowname "$window" 2>/dev/null || true)
        [ "$name" = Schrillsucher ] || printf '"%s" ' "$name"
    done
}

capture_size() { stat -c %s "$capture" 2>/dev/null || echo 0; }
tone_heard() { [ "$(capture_size)" -gt 96000 ]; }

# START: the right-most button of the status panel. One slow turn first, so
# the silence checked below is the game's and not a sound output that hears
# nothing.
xdotool mousemove --sync 1197 941 click 1
wait_for 10 tone_heard || fail "no tone reached the sound output"
xdotool click 1
for round in 1 2 3; do
    for gap in 0.25 0.1; do
        for _ in 1 2 3 4 5 6 7 8; do
            xdotool click 1
            sleep "$gap"
        done
        sleep 1.5
        kill -0 "$game" 2>/dev/null || fail "the game ended (round $round, ${gap} s)"
        shown=$(boxes)
        [ -z "$shown" ] || fail "message box $shown after clicks ${gap} s apart (round $round)"
        before=$(capture_size)
        sleep 0.6
        [ "$(capture_size)" = "$before" ] || fail "a tone still plays after eight clicks ${gap} s apart"
    done
done
echo "PASS: 48 quick clicks on START, no message box, silent after each even count"
