#!/usr/bin/env bash
# Start-up of both programs from a build's program folder, as medians of RUNS launches:
#   - the batch checker on one photo, from launch to exit;
#   - the desktop program under Xvfb, from launch to its first visible window.
# Also the shared libraries each loads and the dynamic loader's own share of the start.
#   bench/startup.sh [PROGRAM_DIR] [RUNS]     (default build/default/bin, 15)
set -euo pipefail
cd "$(dirname "$0")/.."
program_dir=$(realpath "${1:-build/default/bin}")
runs=${2:-15}
photo=$(realpath tests/fixtures/id_white.jpg)

if [ -z "${VELMORA_UNDER_XVFB:-}" ]; then
    export VELMORA_UNDER_XVFB=1
    exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$program_dir" "$runs"
fi
export QT_QPA_PLATFORM=xcb

now() { date +%s.%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.3f", m }'; }
# The loader's "total startup time" in clock cycles, turned into milliseconds at the CPU's clock.
loader_ms() {
    local mhz cycles
    mhz=$(awk -F: '/^cpu MHz/ { print $2; exit }' /proc/cpuinfo)
    cycles=$(LD_DEBUG=statistics "$@" 2>&1 >/dev/null | awk -F: '/total startup time in dynamic loader/ { gsub(/[^0-9]/, "", $3); print $3; exit }')
    awk -v c="$cycles" -v m="$mhz" 'BEGIN { printf "%.1f", c / (m * 1000) }'
}

check_times=()
for _ in $(seq "$runs"); do
    start=$(now)
    "$program_dir/velmora-check" "$photo" >/dev/null || true
    check_times+=("$(awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }')")
done

window_times=()
no_window=0
for _ in $(seq "$runs"); do
    start=$(now)
    "$program_dir/velmora" 2>/dev/null &
    pid=$!
    # xdotool's own --sync polls only twice a second; a tight loop measures finer.
    shown=
    while kill -0 "$pid" 2>/dev/null; do
        if xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; then
            shown=$(now)
            break
        fi
    done
    if [ -n "$shown" ]; then
        window_times+=("$(awk -v a="$start" -v b="$shown" 'BEGIN { print b - a }')")
    else
        no_window=$((no_window + 1))
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
done

echo "velmora-check, one photo:   $(printf '%s\n' "${check_times[@]}" | median) s median of $runs;" \
    "$(ldd "$program_dir/velmora-check" | wc -l) shared libraries;" \
    "loader $(loader_ms "$program_dir/velmora-check" "$photo") ms"
echo "velmora, to its window:     $(printf '%s\n' "${window_times[@]}" | median) s median of ${#window_times[@]}" \
    "($no_window ended without a window); $(ldd "$program_dir/velmora" | wc -l) shared libraries"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
