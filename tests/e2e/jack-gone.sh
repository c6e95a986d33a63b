#!/usr/bin/env bash
# The real game on a private JACK server that is stopped while the game runs
# (PortAudio's device scan joined it, and with "midi" the game's own MIDI
# ports too): quitting through the menu must still end with status 0 and
# write the settings.
# Usage: jack-gone.sh <path of heulmeister> <folder holding the manual> midi|nomidi
set -euo pipefail

program=$1
manual_dir=$2
midi=$3
fail() {
    echo "FAIL ($midi): $*" >&2
    cat "$work/jackd.log" "$work/program.log" >&2 2>/dev/null || true
    exit 1
}
# shellcheck source=common.sh
. "$(dirname "$0")/common.sh"
start_display

# A name of its own per case, not per run: jackd dies of SIGPIPE when it
# says goodbye to the game's MIDI client, which has closed at once, and so
# keeps its entry in JACK's registry of servers (eight at most) until a
# server of the same name starts.
export JACK_DEFAULT_SERVER=heulmeister-gone-$midi
JACK_NO_AUDIO_RESERVATION=1 jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 \
    -p 1024 >"$work/jackd.log" 2>&1 &
server=$!
pids+=($server)
wait_for 20 jack_lsp || fail "the JACK server did not answer"

settings_text='[Spiel]\nSelektmode=0\n'
[ "$midi" = midi ] && settings_text+='\n[MIDI]\nAktiv=1\n'
start_game "$settings_text"
# PortAudio's client (and the game's ports) are on the server before it goes.
wait_for 30 grep -q "jack_sem.*_${JACK_DEFAULT_SERVER}_PortAudio" "/proc/$game/maps" \
    || fail "PortAudio never joined the JACK server"
if [ "$midi" = midi ]; then
    wait_for 30 bash -c "jack_lsp | grep -q '^Heulmeister Pro:in'" || fail "no MIDI ports"
fi
kill -TERM "$server"
wait "$server" 2>/dev/null || true
sleep 1  # the game's JACK threads notice

# "Beenden" through the real menu: open "Datei", the last item, Enter.
xdotool mousemove --sync 24 9 click 1
sleep 0.3
xdotool key Up key Return
wait_for 30 bash -c "! kill -0 $game" || fail "the game did not end after Beenden"
status=0
wait "$game" || status=$?
[ "$status" -eq 0 ] || fail "the game ended with status $status"
grep -q '^Volumen=' "$settings" || fail "settings not written"
if [ "$midi" = midi ]; then
    grep -q '^Aktiv=1' "$settings" || fail "MIDI no longer wanted in the settings"
fi
echo "PASS ($midi): quit with status 0 after the JACK server died"
