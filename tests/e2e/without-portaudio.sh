#!/usr/bin/env bash
# The game on a machine whose PortAudio cannot be loaded (the program opens
# it at run time): it says it needs a sound card, as on a machine without
# one, and keeps running. The library is an empty file in a mount namespace
# of the script's own (root, as CI runs).
# Usage: without-portaudio.sh <path of heulmeister> <folder holding the manual>
set -euo pipefail

program=$1
manual_dir=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
if [ -z "${PORTAUDIO_HIDDEN:-}" ]; then
    library=$(readlink -f "$(ldconfig -p | awk '/libportaudio\.so\.2 / { print $NF; exit }')")
    [ -f "$library" ] || fail "libportaudio.so.2 is not installed"
    export PORTAUDIO_HIDDEN=1
    exec unshare --mount bash -c 'mount --bind /dev/null "$1" && shift && exec bash "$@"' \
        - "$library" "$0" "$@"
fi
# shellcheck source=common.sh
. "$(dirname "$0")/common.sh"
start_display
# Once the bank is drawn the device scan has found nothing: the game's own box.
box='^Keine Soundkarte gefunden'
start_game '[Spiel]\nSelektmode=0\n' "$box"
xdotool windowfocus --sync "$(xdotool search --name "$box" | head -n 1)" key Return
wait_for 10 bash -c "! xdotool search --name '$box'" || fail "the box stayed"
wait_for 30 xdotool search --name '^Schrillsucher$' || fail "the main window did not appear"
# START says it again, and the game goes on.
xdotool mousemove --sync 1197 941 click 1
wait_for 30 xdotool search --name "$box" || fail "START said nothing"
kill -0 "$game" || fail "the game ended"
echo "ok: without PortAudio the game asks for a sound card and goes on"
