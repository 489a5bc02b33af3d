#!/usr/bin/env bash
# The program as a process on a real X server: start-up failures end it with status 0 after their
# message and without the main window; the exit button ends it with status 0; it finds its files
# from any working directory.
#   process_test.sh CASE PROGRAM_DIR
# Exits 77 (skipped) when xvfb-run, xauth or xdotool is missing.
set -uo pipefail

case_name=$1
program_dir=$2

for tool in xvfb-run xauth xdotool; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (Debian package: ${tool/xvfb-run/xvfb})"
        exit 77
    fi
done

if [ -z "${VELMORA_UNDER_XVFB:-}" ]; then
    export VELMORA_UNDER_XVFB=1
    exec timeout 90 xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$@"
fi
export QT_QPA_PLATFORM=xcb

fail() { echo "FAIL: $*"; exit 1; }

work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Waits up to 15 s for the program to end and sets status to its exit status.
wait_for_exit() {
    for _ in $(seq 150); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && return 1
    wait "$pid"
    status=$?
    pid=
}

# The first visible window whose title matches, waiting up to 20 s (xdotool matches case-insensitively).
find_window() {
    timeout 20 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1
}

# The program, copied as "probe" into a folder laid out with the given files, must show one
# message captioned with its own name, never its main window, and end with status 0 on Return.
expect_startup_message() {
    cp "$program_dir/velmora" "$work/probe"
    cd "$work" || fail "no work folder"
    ./probe &
    pid=$!
    box=$(find_window '^probe$') || true
    [ -n "$box" ] || fail "no message box captioned 'probe' appeared"
    if xdotool search --onlyvisible --name '^Velmora$' >/dev/null 2>&1; then
        fail "the main window appeared behind the message"
    fi
    xdotool windowfocus --sync "$box"
    xdotool key Return
    wait_for_exit || fail "the program did not end after the message was closed"
    [ "$status" = 0 ] || fail "exit status $status, expected 0"
    echo "ok: message shown, no main window, exit status 0"
}

case "$case_name" in
    missing_settings)
        expect_startup_message
        ;;
    missing_cascade)
        cp "$program_dir/setting.ini" "$work/"
        expect_startup_message
        ;;
    settings_out_of_range)
        sed 's/^dst_width=.*/dst_width=0/' "$program_dir/setting.ini" > "$work/setting.ini"
        cp "$program_dir/haarcascade_frontalface_alt2.xml" "$work/"
        expect_startup_message
        ;;
    exit_button_from_other_directory)
        mkdir "$work/elsewhere"
        cd "$work/elsewhere" || fail "no work folder"
        "$program_dir/velmora" &
        pid=$!
        window=$(find_window '^Velmora$') || true
        [ -n "$window" ] || fail "the main window did not appear"
        geometry=$(xdotool getwindowgeometry --shell "$window")
        grep -qx 'WIDTH=702' <<<"$geometry" && grep -qx 'HEIGHT=485' <<<"$geometry" \
            || fail "main window is not 702 x 485 (a start-up message instead?): $geometry"
        # Centre of the exit button: 271, 210, 113 x 36 dialog units at 7 x 14 base units.
        xdotool mousemove --window "$window" 573 399 click 1
        wait_for_exit || fail "the program did not end after the exit button was clicked"
        [ "$status" = 0 ] || fail "exit status $status, expected 0"
        echo "ok: main window found its files from another directory; exit button ended it with 0"
        ;;
    *)
        fail "unknown case $case_name"
        ;;
esac
