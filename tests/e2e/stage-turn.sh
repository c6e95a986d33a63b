#!/usr/bin/env bash
# A stage turn ("Bühne") in the real window on a sound output that keeps real
# time: the howl rises by itself; a fader five bands away is no find even if
# it stops it; the howl's own band stops it; after the gain rises a second
# howl comes and is cut too. Then the results are saved through "Speichern
# unter", the game is quit, and the results file and the journal agree on
# every howl, found or "daneben".
# Run it under with-paced-sound.sh, which provides the ALSA default device.
# Usage: stage-turn.sh <path of heulmeister> <folder holding the manual>
set -euo pipefail

program=$1
manual_dir=$2
capture=${HEULMEISTER_PACED_CAPTURE:?run under with-paced-sound.sh}
screenshot=/tmp/heulmeister-e2e-stage.png
# shellcheck source=common.sh
. "$(dirname "$0")/common.sh"
start_display
# Every band but the top one in play; full volume, so what is captured is the
# loop's own level (mono 32-bit floats, 192,000 bytes a second).
start_game '[Spiel]\nSelektmode=1\n[Audio]\nVolumen=12\n[Training]\nBuehne=1\n'

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
# The strongest tone of the last $1 tenths of a second: "HZ DBFS". The
# singer's and the band's bleed is broadband; a howl stands out of it.
tone() { tail -c $(($1 * 192000 / 10)) "$capture" | /usr/bin/python3 "$(dirname "$0")/strongest_tone.py" 300; }
frequency() { local heard; heard=$(tone 10); echo "${heard% *}"; }
band_of() {
    awk -v f="$1" 'BEGIN {
        split("25 31.5 50 62.5 80 100 125 160 200 250 315 400 500 625 800 1000 1250 1600 2000 2500 3150 4000 5000 6250 8000 10000 12500 16000", F, " ")
        best = 1
        for (g = 1; g <= 28; g++) if ((log(f / F[g]))^2 < (log(f / F[best]))^2) best = g
        print best - 1 }'
}
# The bleed rings the room's bass modes up to about -35 dBFS, and a pole just
# under unity rings louder still; a howl is the tone that goes on growing.
audible() { local heard; heard=$(tone 5); [ "${heard#* }" -ge -30 ]; }
# Waits until $1 hundredths of a second more have been played. A loaded machine
# may play slower than the clock on the wall, and the howl grows and dies in
# the time that is played.
play() {
    local until=$(($(stat -c %s "$capture") + $1 * 1920))
    wait_for 20 bash -c "[ \$(stat -c %s '$capture') -ge $until ]" ||
        fail "the sound output stalled: nothing played for 20 s"
}
# Waits up to $1 s for a howl: an audible tone that rises by 5 dB or more over
# the next half second played, never falling on the way (10-40 dB/s is 5-20 dB;
# a resonance driven by the bleed wanders up and down), or one that already
# holds the limiter (-6 dBFS), which no resonance reaches. Sets howl_hz.
wait_for_howl() {
    local deadline=$((SECONDS + $1)) hz before middle after
    while [ $SECONDS -lt $deadline ]; do
        if audible; then
            hz=$(frequency)
            before=$(level_at "$hz" 2)
            play 25
            middle=$(level_at "$hz" 2)
            play 25
            after=$(level_at "$hz" 2)
            if { [ "$middle" -ge $((before - 1)) ] && [ "$after" -ge $((before + 5)) ]; } ||
                [ "$after" -ge -10 ]; then
                howl_hz=$hz
                return 0
            fi
            echo "a tone at $hz Hz that does not grow: $before $middle $after dBFS"
        fi
        sleep 0.1
    done
    return 1
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
wait_for_howl 30 || fail "no howl grew to -30 dBFS and on within 30 s (strongest tone $(tone 5))"
howl=$(band_of "$howl_hz")
start_level=$(level_at "$howl_hz" 5)
echo "howl at $howl_hz Hz, band $howl, $start_level dBFS"

# Five bands away, within the default bands in play (12 to 22). A howl that
# grows fast rings on; one that only just grows may die of the little loop
# gain such a cut takes, and then it is "daneben", never a find.
far=$((howl >= 17 ? howl - 5 : howl + 5))
cut "$far"
trace=""
far_stopped=no
for _ in $(seq 4); do
    play 25
    ringing=$(level_at "$howl_hz" 2)
    trace="$trace $ringing"
    [ "$ringing" -gt $((start_level - 20)) ] || far_stopped=yes
done
echo "cut band $far: every 0.25 s$trace dBFS"

[ "$far_stopped" = yes ] || stop_howl "$howl_hz" "$howl" "the first howl"

# The gain rises every 2 s until the next pole grows.
sleep 0.5
wait_for_howl 40 || fail "no second howl after the gain rose"
second_hz=$howl_hz
second=$(band_of "$second_hz")
echo "second howl at $second_hz Hz, band $second"
stop_howl "$second_hz" "$second" "the second howl"
sleep 0.3
import -window root "$work/stage.png"

# "Datei" > "Speichern unter" with the keyboard, the file name typed.
results="$work/Buehne.HMD"
# Opens "Datei" and waits until its menu is on the screen, so no key goes to
# the window beneath on a loaded machine.
open_file_menu() {
    local before
    before=$(xdotool search --onlyvisible --pid "$game" 2>/dev/null | wc -l)
    xdotool mousemove --sync 24 9 click 1
    wait_for 5 bash -c "[ \$(xdotool search --onlyvisible --pid $game 2>/dev/null | wc -l) -gt $before ]" ||
        echo "no menu window seen; the keys are sent anyway"
    sleep 0.2
}
# A menu that opens with an item under the pointer already highlighted takes
# the keys elsewhere: then whatever opened is closed and the menu tried again.
# Without a find there is nothing to save: the item stays disabled, the keys
# reach "Laden" instead, and that is closed again.
saved=no
for attempt in 1 2 3; do
    open_file_menu
    xdotool key Up Up Return
    wait_for 8 xdotool search --name '^Speichern unter$' && { saved=yes; break; }
    xdotool key Escape
    sleep 0.5
done
if [ "$saved" = yes ]; then
    sleep 0.5
    xdotool type --delay 20 "$results"
    xdotool key Return
    wait_for 20 test -s "$results" || fail "no results file written"
fi

# "Beenden": the journal gets what is still queued.
open_file_menu
xdotool key Up Return
wait_for 30 bash -c "! kill -0 $game" || fail "the game did not end after Beenden"

journal="$work/data/Heulmeister Pro/journal.sqlite"
stage_rows() {
    sqlite3 "$journal" "SELECT ringing_band || ':' || outcome || ':' || ifnull(tried, '') FROM turns
                        WHERE kind = 'buehne' ORDER BY id" | tr '\n' ';'
}
finds() {
    if [ "$saved" = yes ]; then od -An -t d4 -j $(($1 * 293 + 268)) -N 4 "$results" | tr -d ' '
    else echo 0; fi
}
total=0
for b in $(seq 0 27); do total=$((total + $(finds "$b"))); done
rows=$(stage_rows)
echo "journal: $rows; finds in the results file: $total; howls at" \
    "$(sqlite3 "$journal" "SELECT round(howl_hz) FROM turns WHERE kind = 'buehne' ORDER BY id" | tr '\n' ' ')Hz"
# Each howl has a row: a find of its band, "daneben" with the faders that
# stopped it, or for the last one "abandoned". The results file counts
# exactly the finds.
IFS=';' read -r -a row_list <<<"$rows"
[ "${#row_list[@]}" -ge 2 ] || fail "the journal holds ${#row_list[@]} stage rows, not 2"
found_rows=0
last=$((${#row_list[@]} - 1))
for i in "${!row_list[@]}"; do
    row=${row_list[$i]}
    IFS=: read -r band outcome tried <<<"$row"
    case "$outcome" in
    found) found_rows=$((found_rows + 1))
           [ "$(finds "$band")" -ge 1 ] || fail "a find in band $band is not in the results file" ;;
    daneben) [ -n "$tried" ] || fail "a 'daneben' row names no fader" ;;
    # The howl still ringing when the game was quit.
    abandoned) [ "$i" -eq "$last" ] || fail "a stage row before the last one was abandoned" ;;
    *) fail "a stage row with the outcome '$outcome'" ;;
    esac
done
[ "$total" -eq "$found_rows" ] || fail "the results file holds $total finds, the journal $found_rows"
# The bands are the model's nearest to each howl; the ear of this script
# agrees within a band (a howl near an edge, or a room mode beside it).
IFS=: read -r first_band first_outcome first_tried <<<"${row_list[0]}"
[ $((first_band - howl)) -le 1 ] && [ $((howl - first_band)) -le 1 ] ||
    fail "the first howl was heard in band $howl, the journal says $first_band"
if [ "$far_stopped" = yes ]; then
    [ "$first_outcome" = daneben ] && [[ " $first_tried " == *" $far "* ]] ||
        fail "the far cut stopped the first howl, but the journal says '${row_list[0]}'"
fi
echo "PASS: a stage turn rung out in the real window: howls in bands $howl and $second stopped," \
    "the results file and the journal agree"
