#!/usr/bin/env bash
# Takes the README's screenshots of the running program on a virtual X server: the window with
# an accepted photo at 100 %, 150 % and 200 % scaling, a rejected photo with its reason, and an
# accepted photo with an advisory (a portrait blown up from 63 pixels: soft), a sideways phone
# photo before and after 自动调整, a photo before a dim white wall, told the background and
# further its head, and the window as it opens, with its sample portrait.
#   docs/screenshots.sh [BUILD_DIR [SHOT...]]   (default build/default and every shot, e.g.
#   background-reason; needs xvfb, xauth, xdotool, ImageMagick's convert for the dim wall, and
#   the tool make_phone_photo built: cmake --build ... --target make_phone_photo)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
wanted=("${@:2}")
program=$build/bin/velmora
grab=$build/tests/shell/grab_window
phone=$build/tools/make_phone_photo
[ -x "$program" ] && [ -x "$grab" ] && [ -x "$phone" ] || { echo "build $program, $grab and $phone first" >&2; exit 2; }

if [ -z "${VELMORA_UNDER_XVFB:-}" ]; then
    export VELMORA_UNDER_XVFB=1
    exec xvfb-run -a -s '-screen 0 1600x1200x24' "$0" "$@"
fi
export QT_QPA_PLATFORM=xcb

# shot SCALE PHOTO OUT [FIXED_OUT]: opens the photo through the Open dialog and grabs the window.
# asked OUT: whether the shot was asked for (all are when none is named).
asked() { [ ${#wanted[@]} -eq 0 ] || [[ " ${wanted[*]} " == *" $(basename "$1" .png) "* ]]; }

shot() {
    asked "$3" || return 0
    QT_SCALE_FACTOR=$1 "$program" &
    local pid=$!
    local window dialog=
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Velmora$' | head -n 1)
    xdotool windowfocus --sync "$window"
    xdotool key Return
    for _ in $(seq 100); do
        dialog=$(xdotool search --onlyvisible --pid "$pid" | grep -vx "$window" | head -n 1) || true
        [ -n "$dialog" ] && break
        sleep 0.2
    done
    [ -n "$dialog" ] || { kill "$pid"; echo "no Open dialog" >&2; exit 1; }
    xdotool windowfocus --sync "$dialog"
    xdotool type --delay 10 "$(realpath "$2")"
    xdotool key Return
    sleep 1.5
    "$grab" "$window" "$3"
    if [ -n "${4:-}" ]; then
        # The fix's link is reached from the keyboard: Tab past Open and Exit, Return follows it.
        xdotool windowfocus --sync "$window"
        xdotool key Tab Tab Return
        sleep 2
        "$grab" "$window" "$4"
    fi
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo "wrote $3 ${4:-}"
}

# as_opened OUT: grabs the window as it opens, before any photo: the sample portrait and the card.
as_opened() {
    asked "$1" || return 0
    "$program" &
    local pid=$!
    local window
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Velmora$' | head -n 1)
    sleep 1
    "$grab" "$window" "$1"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo "wrote $1"
}

shot 1 tests/fixtures/id_white.jpg docs/main-window.png
shot 1.5 tests/fixtures/id_white.jpg docs/main-window-150.png
shot 2 tests/fixtures/id_white.jpg docs/main-window-200.png
shot 1 tests/fixtures/face_large.jpg docs/rejected-photo.png
shot 1 tests/fixtures/calibration/standard_franz_blue_2.jpg docs/accepted-advisory.png

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$phone" "$scratch"
shot 1 "$scratch/phone_sideways.jpg" docs/fix-before.png docs/fix-after.png
# A white wall photographed in poor light turns light grey: the whole photo at 62 % of its values.
convert tests/fixtures/calibration/small_franz_white_3.jpg -evaluate multiply 0.62 -quality 92 "$scratch/dim_wall.jpg"
shot 1 "$scratch/dim_wall.jpg" docs/background-reason.png
as_opened docs/sample-portrait.png
