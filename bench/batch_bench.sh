#!/usr/bin/env bash
# Measured runs of velmora-check as an authority runs it (the figures in the README):
#  1. --jobs 2 against --jobs 1 over 200 photos of camera size (1500 x 2000, about 260 KB);
#  2. 10,000 photos (the fixtures repeated) in one process with --json and --report: photos
#     per second, peak memory (GNU time), report size, and the resident memory after the
#     first and the last thousand photos, which must not grow.
# Usage: bench/batch_bench.sh [BUILD_DIR]   (default build/default; needs GNU time)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
check="$build/bin/velmora-check"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

seconds() { date +%s.%N; }
rate() { awk -v n="$1" -v s="$2" 'BEGIN { printf "%.1f", n / s }'; }

"$build/bench/batch_photos" "$scratch/camera" 200 1500 >/dev/null
"$build/bench/batch_photos" "$scratch/fixtures" 10000 >/dev/null

echo "== --jobs 1 and 2 over 200 camera-size photos (best of 3)"
declare -A best
for jobs in 1 2; do
    best[$jobs]=999999
    for _ in 1 2 3; do
        start=$(seconds)
        "$check" --quiet --jobs "$jobs" "$scratch/camera" >"$scratch/jobs$jobs.txt" || true
        elapsed=$(awk -v a="$start" -v b="$(seconds)" 'BEGIN { print b - a }')
        best[$jobs]=$(awk -v a="${best[$jobs]}" -v b="$elapsed" 'BEGIN { print (b < a ? b : a) }')
    done
    echo "--jobs $jobs: ${best[$jobs]} s, $(rate 200 "${best[$jobs]}") photos/s"
done
cmp -s "$scratch/jobs1.txt" "$scratch/jobs2.txt" && echo "output of --jobs 2 identical to --jobs 1"
echo "speed-up: $(awk -v a="${best[1]}" -v b="${best[2]}" 'BEGIN { printf "%.2f", a / b }')"

echo "== 10,000 photos, --json --report, default jobs"
/usr/bin/time -v -o "$scratch/time.txt" \
    "$check" --quiet --json --report "$scratch/report.html" "$scratch/fixtures" >"$scratch/results.jsonl" &
timed=$!
sleep 0.2
pid=$(pgrep -P "$timed" velmora-check || true)
# Resident memory against photos done, sampled while the run goes on.
: >"$scratch/rss.txt"
while [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; do
    rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
    [ -n "$rss" ] && echo "$(wc -l <"$scratch/results.jsonl") $rss" >>"$scratch/rss.txt"
    sleep 0.1
done
wait "$timed" || true
elapsed=$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' "$scratch/time.txt")
echo "photos: $(wc -l <"$scratch/results.jsonl"), $elapsed s, $(rate 10000 "$elapsed") photos/s"
echo "peak resident memory: $(awk -F': ' '/Maximum resident/ { printf "%.1f MiB", $2 / 1024 }' "$scratch/time.txt")"
echo "report: $(awk '{ printf "%.1f MB", $1 / 1e6 }' <<<"$(stat -c %s "$scratch/report.html")"), \
$(awk '{ printf "%.2f MB per 1,000 photos", $1 / 1e6 / 10 }' <<<"$(stat -c %s "$scratch/report.html")")"
awk '$1 >= 1000 && !first { first = $2 } $1 >= 9000 && $1 < 10000 { last = $2 }
     END { printf "resident memory after 1,000 photos: %.1f MiB; during the last 1,000: %.1f MiB\n", first / 1024, last / 1024 }' \
    "$scratch/rss.txt"
