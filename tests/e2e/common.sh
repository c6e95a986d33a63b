# Shared by the end-to-end scripts (sourced): a scratch folder cleaned up on
# exit, polling, a private X display and the real program started in a
# folder of its own with the safety warning answered. The sourcing script
# sets `program` and `manual_dir` and defines `fail`.

work=$(mktemp -d)
pids=()

cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# wait_for <seconds> <command...>: polls until the command succeeds.
wait_for() {
    local deadline=$((SECONDS + $1)); shift
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}

# A failure says why and ends the test; with `screenshot` set before this
# file is sourced, the screen is kept there too.
fail() {
    if [ -n "${screenshot:-}" ]; then
        import -window root "$screenshot" 2>/dev/null || true
        echo "FAIL: $* (screenshot $screenshot)" >&2
    else
        echo "FAIL: $*" >&2
    fi
    exit 1
}

# The program and its manual in $work/program, the journal in the scratch
# folder (never the real home). Sets `settings`, the settings file's path.
stage_program() {
    mkdir "$work/program"
    cp "$program" "$work/program/heulmeister"
    cp "$manual_dir/Heulmeister.html" "$work/program/"
    settings="$work/program/Heulmeister Pro.inf"
    export XDG_DATA_HOME="$work/data"
}

# A private Xvfb of 1280x1024 (or the size given) on a display it picks
# itself (no race with other tests looking for a free one); sets DISPLAY and
# the xcb platform.
start_display() {
    Xvfb -displayfd 3 -screen 0 "${1:-1280x1024}x24" -nolisten tcp -noreset \
        3>"$work/display" >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    wait_for 20 test -s "$work/display" || fail "Xvfb did not start"
    export DISPLAY=:$(head -n 1 "$work/display")
    export QT_QPA_PLATFORM=xcb  # a real window, whatever the test run sets
    wait_for 20 xdpyinfo || fail "Xvfb did not answer"
}

# start_game <settings> [<first window after the warning>]: the staged
# program with that settings file; the warning answered with Return, then the
# main window (or the named one) waited for. Sets `game` and `settings`.
start_game() {
    stage_program
    printf '%b' "$1" >"$settings"
    (cd "$work" && exec "$work/program/heulmeister") >"$work/program.log" 2>&1 &
    game=$!
    pids+=($game)
    wait_for 30 xdotool search --name '^Vorsicht!!!$' || fail "no safety warning"
    local warning
    warning=$(xdotool search --name '^Vorsicht!!!$' | head -n 1)
    xdotool windowfocus --sync "$warning" key Return
    wait_for 30 xdotool search --name "${2:-^Schrillsucher$}" || fail "no window ${2:-^Schrillsucher$}"
    sleep 0.5  # let the first full paint land
}
