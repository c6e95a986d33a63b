#!/usr/bin/env bash
# A stage turn ("Bühne") in the real window on a sound output that keeps real
# time: the howl rises by itself; a fader four octaves or more away does not stop it;
# the howl's own band does; after the gain rises a second howl comes and is
# cut too. Then the results are saved through "Speichern unter", the game is
# quit, and the results file and the journal hold both howls.
# Run it under with-paced-sound.sh, which provides the ALSA default device.
# Usage: stage-turn.sh <path of heulmeister> <folder holding the manual>
set -euo pipefail

program=$1
manual_dir=$2
capture=${HEULMEISTER_PACED_CAPTURE:?run under with-paced-sound.sh}
fail() {
    import -window root /tmp/heulmeister-e2e-stage.png 2>/dev/null || true
    echo "FAIL: $* (screenshot /tmp/heulmeister-e2e-stage.png)" >&2
    exit 1
}
# shellcheck source=common.sh
. "$(dirname "$0")/common.sh"
start_display
# Every band but the top one in play; full volume, so what is captured is the
# loop's own level (mono 32-bit floats, 192,000 bytes a second).
start_game '[Filter]\nLowCut=0\nHighcut=26\n[Spiel]\nSelektmode=1\n[Audio]\nVolumen=12\n[Training]\nBuehne=1\n'

# The last $1 tenths of a second of the capture, one float a line.
recent() { tail -c $(($1 * 192000 / 10)) "$capture" | od -An -v -t f4 -w4; }
# Peak of the last tenths of a second, dBFS.
level() {
    recent "$1" | awk '{ a = $1 < 0 ? -$1 : $1; if (a > m) m = a }
        END { printf "%d\n", (m > 0 ? 20 * log(m) / log(10) : -200) }'
}
# The level of one howl alone over the last tenths of a second, dBFS: its
# frequency's share (Hann window), so a next howl that grows at once after a
# cut is not taken for this one going on.
level_at() {
    recent "$2" | awk -v f="$1" '{ x[n++] = $1 } END {
        pi = atan2(0, -1); re = 0; im = 0
        for (i = 0; i < n; i++) {
            w = x[i] * (1 - cos(2 * pi * i / (n - 1))) / 2
            re += w * cos(2 * pi * f * i / 48000); im -= w * sin(2 * pi * f * i / 48000)
        }
        a = 4 * sqrt(re * re + im * im) / n
        printf "%d\n", (a > 0 ? 20 * log(a) / log(10) : -200) }'
}
# The howl's frequency from the rising zero crossings of the last 0.2 s.
frequency() {
    recent 2 | awk '{ x[n++] = $1 } END {
        first = -1; crossings = 0
        for (i = 1; i < n; i++) if (x[i - 1] < 0 && x[i] >= 0) {
            t = i - 1 + (-x[i - 1]) / (x[i] - x[i - 1])
            if (first < 0) first = t
            last = t; crossings++
        }
        printf "%.1f\n", (crossings < 2 ? 0 : (crossings - 1) * 48000 / (last - first)) }'
}
band_of() {
    awk -v f="$1" 'BEGIN {
        split("25 31.5 50 62.5 80 100 125 160 200 250 315 400 500 625 800 1000 1250 1600 2000 2500 3150 4000 5000 6250 8000 10000 12500 16000", F, " ")
        best = 1
        for (g = 1; g <= 28; g++) if ((log(f / F[g]))^2 < (log(f / F[best]))^2) best = g
        print best - 1 }'
}
audible() { [ "$(level 1)" -ge -36 ]; }
# Waits until $1 hundredths of a second more have been played. A loaded machine
# may play slower than the clock on the wall, and the howl grows and dies in
# the time that is played.
play() {
    local until=$(($(stat -c %s "$capture") + $1 * 1920))
    wait_for 20 bash -c "[ \$(stat -c %s '$capture') -ge $until ]" ||
        fail "the sound output stalled: nothing played for 20 s"
}
# Pulls a band fader (column band+1 of 32 across 1280 pixels) to the bottom.
cut() {
    local x=$((40 * $1 + 60))
    xdotool mousemove --sync "$x" 395 mousedown 1 mousemove --sync "$x" 720 mouseup 1
}
# Bands already cut by this script, so a second howl nearby takes its neighbour.
declare -A cut_bands=()
# The other band beside a howl between two centres: above when the howl lies
# above its band's centre, else below.
other_side() {
    awk -v f="$1" -v b="$2" 'BEGIN {
        split("25 31.5 50 62.5 80 100 125 160 200 250 315 400 500 625 800 1000 1250 1600 2000 2500 3150 4000 5000 6250 8000 10000 12500 16000", F, " ")
        print (f > F[b + 1] ? b + 1 : b - 1) }'
}
# Cuts the howl's band, and as an engineer would, the band on its other side
# too when the howl lies between two centres and goes on ringing.
ring_out() {
    local howl_hz=$1 band=$2 loud
    [ -z "${cut_bands[$band]:-}" ] || band=$(other_side "$howl_hz" "$band")
    cut "$band"
    cut_bands[$band]=1
    loud=$(level_at "$howl_hz" 1)
    play 100
    if [ "$(level_at "$howl_hz" 1)" -gt $((loud - 3)) ]; then
        band=$(other_side "$howl_hz" "$2")
        [ -n "${cut_bands[$band]:-}" ] || { cut "$band"; cut_bands[$band]=1; }
    fi
}

# Rings out the howl at $1 Hz in band $2 (named $3) and checks that it dies: a
# cut that only just stops a howl lets it die slowly, 3 dB in a second.
stop_howl() {
    local loud quiet
    loud=$(level_at "$1" 1)
    ring_out "$1" "$2"
    play 100
    quiet=$(level_at "$1" 1)
    echo "$3 cut: $loud dBFS at $1 Hz, a second later $quiet dBFS" \
        "(all: $(level 1) dBFS, now at $(frequency) Hz)"
    [ "$quiet" -le $((loud - 3)) ] || fail "$3 did not die after the cut of band $2"
}

xdotool mousemove --sync 1197 941 click 1
wait_for 30 audible || fail "no howl grew to -36 dBFS within 30 s (level $(level 2) dBFS)"
start_level=$(level 1)
howl_hz=$(frequency)
howl=$(band_of "$howl_hz")
echo "howl at $howl_hz Hz, band $howl, $start_level dBFS"

# Far away: four octaves or more, band 1 or 26 (the ends of the bands in
# play). A howl whose pole lies just outside the unit circle is stopped by the
# skirt of a cut two octaves off, which an engineer would not call a miss.
far=$((howl >= 14 ? 1 : 26))
cut "$far"
# Some rooms' first howl grows by only 1-2 dB a second: up to 6 s of it.
trace=""
rising=$start_level
for _ in $(seq 24); do
    play 25
    rising=$(level 1)
    trace="$trace $rising"
    [ "$rising" -le $((start_level + 3)) ] || break
done
echo "cut band $far: every 0.25 s$trace dBFS"
[ "$rising" -gt $((start_level + 3)) ] || fail "the howl did not go on rising after a cut of band $far"
# Heard again now that it stands further out of the noise, whose crossings
# pull the count up: near the edge of two bands that decides the band.
howl_hz=$(frequency)
howl=$(band_of "$howl_hz")
echo "louder: howl at $howl_hz Hz, band $howl"

stop_howl "$howl_hz" "$howl" "the first howl"

# The gain rises every 2 s until the next pole grows.
sleep 0.5
wait_for 40 audible || fail "no second howl after the gain rose"
play 50 # out of the noise, as for the first
second_hz=$(frequency)
second=$(band_of "$second_hz")
echo "second howl at $second_hz Hz, band $second"
stop_howl "$second_hz" "$second" "the second howl"
sleep 0.3
import -window root "$work/stage.png"

# "Datei" > "Speichern unter" with the keyboard, the file name typed.
results="$work/Buehne.HMD"
xdotool mousemove --sync 24 9 click 1
sleep 0.3
xdotool key Up Up Return
wait_for 20 xdotool search --name '^Speichern unter$' || fail "no save dialog"
sleep 0.5
xdotool type --delay 20 "$results"
xdotool key Return
wait_for 20 test -s "$results" || fail "no results file written"

# "Beenden": the journal gets what is still queued.
xdotool mousemove --sync 24 9 click 1
sleep 0.3
xdotool key Up Return
wait_for 30 bash -c "! kill -0 $game" || fail "the game did not end after Beenden"

finds() { od -An -t d4 -j $(($1 * 293 + 268)) -N 4 "$results" | tr -d ' '; }
total=0
for b in $(seq 0 27); do total=$((total + $(finds "$b"))); done
# A cut can stop a third howl that grew at once; two at least.
[ "$total" -ge 2 ] || fail "the results file holds $total finds, not 2"
[ "$(finds "$howl")" -ge 1 ] || fail "the results file has no find in band $howl"

journal="$work/data/Heulmeister Pro/journal.sqlite"
found=$(sqlite3 "$journal" "SELECT ringing_band FROM turns WHERE kind = 'buehne' AND outcome = 'found'
                               AND howl_hz > 0 AND gain_won_db IS NOT NULL ORDER BY id" | tr '\n' ' ')
# The bands are the model's nearest to each howl; the ear of this script agrees.
case "$found" in "$howl $second "*) ;; *) false ;; esac || fail "journal holds stage finds in bands '$found', not $howl $second"
echo "PASS: a stage turn rung out in the real window: howls in bands $howl and $second stopped," \
    "both in the results file and the journal"
