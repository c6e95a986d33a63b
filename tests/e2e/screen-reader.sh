#!/usr/bin/env bash
# The real game as a screen reader reads it (AT-SPI on a private session bus
# and Xvfb): the boxes are alerts with their text, the bank is 29 sliders,
# a value set there plays like the keys, a find is heard. Twice: without a
# sound card (its box; PortAudio hidden in a mount namespace, as root), and
# with one that writes to a file; then once more in English.
# Usage: screen-reader.sh <path of heulmeister> <folder holding the manual>
set -euo pipefail

program=$1
manual_dir=$2
# shellcheck source=common.sh
. "$(dirname "$0")/common.sh"
start_display
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LANG=de_DE.UTF-8
stage_program
reader=(dbus-run-session -- /usr/bin/python3 "$(dirname "$0")/screen_reader.py"
        "$work/program/heulmeister" "$work/program")
printf '[Spiel]\nSoundStop=0\n' >"$settings"

library=$(readlink -f "$(ldconfig -p | awk '/libportaudio\.so\.2 / { print $NF; exit }')")
[ -f "$library" ] || fail "libportaudio.so.2 is not installed"
unshare --mount bash -c 'mount --bind /dev/null "$1" && shift && exec "$@"' \
    - "$library" "${reader[@]}" nodevice || fail "phase nodevice"

cat >"$work/asound.conf" <<CONF
</usr/share/alsa/alsa.conf>
pcm.!default {
    type file
    slave.pcm "null"
    file "$work/capture.raw"
    format "raw"
    truncate true
}
CONF
ALSA_CONFIG_PATH="$work/asound.conf" "${reader[@]}" play || fail "phase play"

# The same window with English chosen.
printf '[Spiel]\nSoundStop=0\n[Training]\nSprache=en\n' >"$settings"
ALSA_CONFIG_PATH="$work/asound.conf" dbus-run-session -- /usr/bin/python3 \
    "$(dirname "$0")/english_reader.py" "$work/program/heulmeister" "$work/program" \
    "$(dirname "$0")/../../translations/heulmeister_en.ts" || fail "phase english"
