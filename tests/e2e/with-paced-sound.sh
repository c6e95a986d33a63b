#!/usr/bin/env bash
# Runs a command with a sound output that keeps real time, as a sound card
# does: a private PulseAudio server with a null sink (48 kHz, one channel),
# stopped again afterwards. The ALSA default device writes what it plays to
# $HEULMEISTER_PACED_CAPTURE and passes it on to that server, so a block of
# 0.5 s takes 0.5 s. Works as root and as a user; touches no running server.
# Usage: with-paced-sound.sh <command> [arguments...]
set -euo pipefail

work=$(mktemp -d)
server=

cleanup() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/runtime" "$work/home"
chmod 700 "$work/runtime"
cat >"$work/server.pa" <<'PA'
load-module module-null-sink sink_name=paced rate=48000 channels=1
load-module module-native-protocol-unix auth-anonymous=1
set-default-sink paced
PA
# Clients neither start a server of their own nor look for the desktop's.
printf 'autospawn = no\n' >"$work/client.conf"
export PULSE_RUNTIME_PATH=$work/runtime/pulse
export PULSE_STATE_PATH=$work/home/state
export PULSE_CLIENTCONFIG=$work/client.conf
export PULSE_SERVER=unix:$work/runtime/pulse/native
export PULSE_COOKIE=$work/home/cookie

# -n: no default script, only the modules above. As root, --system=false keeps
# it a private server; --exit-idle-time=-1 keeps it up between streams.
HOME=$work/home XDG_RUNTIME_DIR=$work/runtime \
    pulseaudio -n -F "$work/server.pa" --daemonize=no --system=false --exit-idle-time=-1 \
    --use-pid-file=no --disallow-module-loading=no --log-target=stderr \
    >"$work/pulseaudio.log" 2>&1 &
server=$!
# Should this script be killed outright, the server goes with it.
(while kill -0 $$ 2>/dev/null; do sleep 1; done; kill "$server" 2>/dev/null) >/dev/null 2>&1 &

for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
done
if ! pactl info >/dev/null 2>&1; then
    echo "FAIL: the PulseAudio server did not start" >&2
    cat "$work/pulseaudio.log" >&2
    exit 1
fi

export HEULMEISTER_PACED_CAPTURE=${HEULMEISTER_PACED_CAPTURE:-$work/capture.raw}
# Without the system's configuration: its PulseAudio hook would turn the
# default device into the server's own, past the file.
cat >"$work/asound.conf" <<CONF
pcm.!default {
    type file
    slave.pcm { type pulse }
    file "$HEULMEISTER_PACED_CAPTURE"
    format "raw"
    truncate true
}
CONF
export ALSA_CONFIG_PATH=$work/asound.conf

status=0
"$@" || status=$?
exit $status
