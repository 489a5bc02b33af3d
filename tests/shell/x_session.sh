# Helpers of the process tests that drive a program on a virtual X server with xdotool. Sourcing
# this makes a scratch folder, $work, removed at exit together with the program, whose process id
# the test keeps in $pid.

work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; exit 1; }

# Waits up to the given seconds (default 15) for the program to end and sets status to its exit status.
wait_for_exit() {
    for _ in $(seq $((${1:-15} * 10))); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && return 1
    wait "$pid"
    status=$?
    pid=
}

# The first visible window whose title matches, waiting up to the given seconds (default 20;
# xdotool matches case-insensitively).
find_window() {
    timeout "${2:-20}" xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1
}

# The first window of the program other than the given one, waiting up to 20 s. By process
# rather than by title: xdotool matches no CJK title.
find_other_window() {
    for _ in $(seq 100); do
        other=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$1" | head -n 1)
        [ -n "$other" ] && { echo "$other"; return 0; }
        sleep 0.2
    done
    return 1
}
