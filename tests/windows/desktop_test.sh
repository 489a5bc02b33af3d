#!/usr/bin/env bash
# The Windows desktop program under Wine on a virtual X server, driven by real clicks and keys:
# it starts from another working folder and shows its 702 x 485 window; without setting.ini it
# shows that message and ends; an accepted photo is opened, saved with its stamp and opened again.
#   desktop_test.sh CASE PROGRAM_DIR GRAB_WINDOW FIXTURES_DIR
# VELMORA_SCREENSHOT, where set, keeps the main window's picture there.
set -uo pipefail

case_name=$1
program_dir=$2
grab_window=$3
fixtures=$4
wine="$(cd "$(dirname "$0")/../../windows" && pwd)/wine.sh"

if [ -z "${VELMORA_UNDER_XVFB:-}" ]; then
    export VELMORA_UNDER_XVFB=1
    exec timeout 240 xvfb-run -a -s '-screen 0 1600x1200x24' "$0" "$@"
fi
. "$(dirname "$0")/../shell/x_session.sh"

# A Wine prefix of the desktop tests' own, whose processes end with each test: a Wine process
# left over would keep drawing on this test's virtual X server after it is gone.
export VELMORA_WINE_PREFIX="${VELMORA_WINE_PREFIX:-$HOME/.cache/velmora-windows/wine}-desktop"
trap 'cleanup; WINEPREFIX=$VELMORA_WINE_PREFIX wineserver -k 2>/dev/null' EXIT

# What Windows programs see of a host path: Wine maps the root folder to drive Z:.
windows_path() { echo "Z:${1//\//\\}"; }

# Starts a Windows program and sets window to its first visible window whose title matches,
# waiting while it runs, up to 90 s: Wine's first start in a fresh prefix takes over 20 s.
start_program() {
    "$wine" "$1" &
    pid=$!
    window=
    for _ in $(seq 180); do
        window=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1)
        [ -n "$window" ] && return 0
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.5
    done
}

# Window-relative centres of the picture buttons (their dialog units at 7 x 14 base units).
click() {
    case "$1" in
        open) xdotool mousemove --window "$window" 570 199 click 1 ;;
        save) xdotool mousemove --window "$window" 572 300 click 1 ;;
        exit) xdotool mousemove --window "$window" 573 399 click 1 ;;
    esac
}

# Waits up to 30 s for a file dialog of the program, types PATH into its name field and accepts it.
answer_file_dialog() {
    local dialog
    dialog=$(find_other_window "$window") || fail "no file dialog appeared"
    sleep 1
    xdotool windowfocus --sync "$dialog"
    xdotool key ctrl+a
    xdotool type --delay 20 "$1"
    xdotool key Return
}

# Waits up to 30 s for a file to appear and stop growing.
wait_for_file() {
    for _ in $(seq 60); do
        if [ -s "$1" ]; then
            sleep 1
            return 0
        fi
        sleep 0.5
    done
    return 1
}

stamp_of() { tail -c 16 "$1"; }

case "$case_name" in
    starts_from_other_directory)
        mkdir "$work/elsewhere" && cd "$work/elsewhere" || fail "no work folder"
        start_program "$program_dir/velmora.exe" '^Velmora$'
        [ -n "$window" ] || fail "the main window did not appear"
        geometry=$(xdotool getwindowgeometry --shell "$window")
        grep -qx 'WIDTH=702' <<<"$geometry" && grep -qx 'HEIGHT=485' <<<"$geometry" \
            || fail "main window is not 702 x 485: $geometry"
        sleep 2
        shot=${VELMORA_SCREENSHOT:-$work/window.png}
        "$grab_window" "$window" "$shot" || fail "could not grab the main window"
        click exit
        wait_for_exit 30 || fail "the program did not end after the exit button was clicked"
        [ "$status" = 0 ] || fail "exit status $status, expected 0"
        echo "ok: 702 x 485 window from another folder; exit button ended it with 0"
        ;;
    missing_settings)
        for tool in tesseract convert; do
            command -v $tool >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
        done
        cp "$program_dir/velmora.exe" "$work/probe.exe"
        cd "$work" || fail "no work folder"
        start_program "$work/probe.exe" '^probe$'
        box=$window
        [ -n "$box" ] || fail "no message box captioned 'probe' appeared"
        xdotool search --onlyvisible --name '^Velmora$' >/dev/null 2>&1 && fail "the main window appeared"
        sleep 1
        "$grab_window" "$box" "$work/box.png" || fail "could not grab the message"
        # Four times the size, so the character recogniser reads the message's small text.
        convert "$work/box.png" -resize 400% "$work/box-large.png" || fail "could not enlarge the message"
        text=$(tesseract "$work/box-large.png" - -l chi_sim+eng --psm 6 2>/dev/null | tr -d ' ')
        grep -q 'setting\.ini文件丢失' <<<"$text" || fail "the message is not \"setting.ini文件丢失！\"; it reads: $text"
        xdotool windowfocus --sync "$box"
        xdotool key Return
        wait_for_exit 30 || fail "the program did not end after the message was closed"
        [ "$status" = 0 ] || fail "exit status $status, expected 0"
        echo "ok: the message reads setting.ini文件丢失; no main window; exit status 0"
        ;;
    open_save_reopen)
        mkdir "$work/photos" "$work/saved"
        cp "$fixtures/id_white.jpg" "$work/photos/photo.jpg"
        cd "$work" || fail "no work folder"
        start_program "$program_dir/velmora.exe" '^Velmora$'
        [ -n "$window" ] || fail "the main window did not appear"
        sleep 1
        click open
        answer_file_dialog "$(windows_path "$work/photos/photo.jpg")"
        sleep 3  # the check runs off the GUI thread; Save acts once it is done
        click save
        answer_file_dialog "$(windows_path "$work/saved/first.jpg")"
        wait_for_file "$work/saved/first.jpg" || fail "Save wrote no file"
        [ "$(stamp_of "$work/saved/first.jpg")" = ffffffffffffffe9 ] || fail "the saved photo carries no stamp"
        cmp -s "$fixtures/id_white.jpg" "$work/photos/photo.jpg" || fail "the opened photo was changed"
        # Opened again, the stamped photo is accepted at once: Save is enabled and writes it anew,
        # without a second stamp (a photo that came stamped is saved as it was checked).
        click open
        answer_file_dialog "$(windows_path "$work/saved/first.jpg")"
        sleep 3
        click save
        answer_file_dialog "$(windows_path "$work/saved/second.jpg")"
        wait_for_file "$work/saved/second.jpg" || fail "the reopened photo was not accepted: Save wrote nothing"
        [ "$(stamp_of "$work/saved/second.jpg")" != ffffffffffffffe9 ] \
            || fail "the second save is stamped: the stamped photo was not the one reopened"
        click exit
        wait_for_exit 30 || fail "the program did not end"
        echo "ok: opened, saved with the stamp ($(stat -c %s "$work/saved/first.jpg") bytes), reopened and saved again"
        ;;
    *)
        fail "unknown case $case_name"
        ;;
esac
