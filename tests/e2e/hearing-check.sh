#!/usr/bin/env bash
# "Training" > "Hörtest ..." in the real window, driven through AT-SPI, on a
# sound output that keeps real time: the 25 Hz band rises from -60 dBFS in
# 5 dB steps of 1.5 s until "hörbar" in its fourth step; the next two bands
# start again at -60 dBFS; "Abbrechen" silences the check.
# Run it under with-paced-sound.sh, which provides the ALSA default device.
# Usage: hearing-check.sh <path of heulmeister> <folder holding the manual>
set -euo pipefail

program=$1
manual_dir=$2
capture=${HEULMEISTER_PACED_CAPTURE:?run under with-paced-sound.sh}
screenshot=/tmp/heulmeister-e2e-hearing-check.png
# shellcheck source=common.sh
. "$(dirname "$0")/common.sh"
start_display
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LANG=de_DE.UTF-8
stage_program
# Full volume: the device passes the check's samples on as they are, each at
# most one step nearer zero (65534/65535).
printf '[Audio]\nVolumen=12\n' >"$settings"
dbus-run-session -- /usr/bin/python3 "$(dirname "$0")/hearing_check.py" \
    "$work/program/heulmeister" "$work/program" "$capture" ||
    fail "the listening check"
