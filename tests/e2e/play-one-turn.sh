#!/usr/bin/env bash
# One turn of the real game in a real X window, as a player plays it: accept
# the warning with a key, click START, hear the tone (read from an ALSA PCM
# that writes its samples to a file), click the band it rings in, see the
# frequency appear, quit through the menu and find the settings written.
# Usage: play-one-turn.sh <path of heulmeister> <folder holding the manual>
set -euo pipefail

program=$1
manual_dir=$2
# shellcheck source=common.sh
. "$(dirname "$0")/common.sh"
start_display

# The default sound output writes raw samples to a file.
capture="$work/capture.raw"
cat >"$work/asound.conf" <<CONF
</usr/share/alsa/alsa.conf>
pcm.!default {
    type file
    slave.pcm "null"
    file "$capture"
    format "raw"
    truncate true
}
CONF
export ALSA_CONFIG_PATH="$work/asound.conf"

# Settings with "Anwahl" scoring and a 0.5 s tone, so the clockless capture
# PCM above stops taking samples soon.
start_game '[Spiel]\nSelektmode=0\nSoundStop=1\n'

# START: the right-most button of the status panel (102 px high, 31 px above the bottom).
xdotool mousemove --sync 1197 941 click 1
wait_for 20 test "$(stat -c %s "$capture" 2>/dev/null || echo 0)" -ge 192000 \
    || fail "no tone reached the sound output"

# The frequency from the rising zero crossings of the first second.
frequency=$(od -An -v -N 192000 -t d2 -w2 "$capture" | awk '
    { s[n++] = $1 }
    END {
        start = 0; while (start < n && s[start] == 0) start++     # silence before the tone
        stereo = 1
        for (i = start; i < start + 200 && i + 1 < n; i += 2) if (s[i] != s[i + 1]) stereo = 0
        step = stereo ? 2 : 1; m = 0
        for (i = start; i < n; i += step) x[m++] = s[i]
        first = -1; crossings = 0
        for (i = 1; i < m; i++) if (x[i - 1] < 0 && x[i] >= 0) {
            t = i - 1 + (-x[i - 1]) / (x[i] - x[i - 1])
            if (first < 0) first = t
            last = t; crossings++
        }
        if (crossings < 2) { print 0; exit }
        printf "%.3f\n", (crossings - 1) * 48000 / (last - first)
    }')
band=$(awk -v f="$frequency" 'BEGIN {
    split("25 31.5 50 62.5 80 100 125 160 200 250 315 400 500 625 800 1000 1250 1600 2000 2500 3150 4000 5000 6250 8000 10000 12500 16000", F, " ")
    for (g = 1; g <= 26; g++)
        if (f > sqrt(F[g] * F[g + 1]) && f < sqrt(F[g + 1] * F[g + 2])) { print g; exit }
    print -1 }')
echo "tone at $frequency Hz, band $band"
[ "$band" -ge 12 ] && [ "$band" -le 22 ] || fail "the tone lies in no band in play ($frequency Hz)"

# Click that band's fader: column band+1 of 32 across the 1280-pixel paint box.
xdotool mousemove --sync $((40 * band + 60)) 400 click 1
sleep 0.5
import -window root "$work/found.png"
# The frequency text: grey figures at the bottom of the paint box, below the labels.
grey=$(convert "$work/found.png" -crop 1280x150+0+740 -format %c histogram:info:- \
       | awk '/#808080/ { print $1 + 0 }')
[ "${grey:-0}" -gt 200 ] || { cp "$work/found.png" /tmp/heulmeister-e2e-found.png;
    fail "no frequency text after the find (screenshot /tmp/heulmeister-e2e-found.png)"; }

# "Beenden" through the real menu: open "Datei", the last item, Enter.
xdotool mousemove --sync 24 9 click 1
sleep 0.3
xdotool key Up key Return
wait_for 30 bash -c "! kill -0 $game" || fail "the game did not end after Beenden"

# Our two [Spiel] keys stay first; the game adds the rest to their sections.
keys=$(grep -o '^[A-Za-z]*=' "$settings" | tr -d '=' | tr '\n' ' ')
[ "$keys" = "Selektmode SoundStop Zufallszeit StartZeit LowCut Highcut Volumen Soundkarte Dateiname " ] \
  || fail "settings file holds: $keys"
grep -q '^Selektmode=0' "$settings" || fail "scoring mode not kept"
# Nobody opened "Training": no section of its own in the settings file.
! grep -q '^\[Training\]' "$settings" || fail "settings file gained a [Training] section"
# The turn is in the training journal, found in the band that rang.
journal="$work/data/Heulmeister Pro/journal.sqlite"
[ -s "$journal" ] || fail "no training journal at $journal"
if command -v sqlite3 >/dev/null; then
    row=$(sqlite3 "$journal" "SELECT ringing_band, outcome FROM turns")
    [ "$row" = "$band|found" ] || fail "journal holds '$row', expected '$band|found'"
fi
echo "PASS: one turn played, found in band $band, settings written, turn in the journal"
