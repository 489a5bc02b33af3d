#!/usr/bin/env bash
# Runs each libFuzzer target for the given number of seconds (default 60), starting from the
# committed corpus; a crash fails the run and leaves its input in build/fuzz/artifacts/.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/setup.sh fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --parallel "$(nproc)" --target settings_fuzz photo_check_fuzz

export ASAN_OPTIONS=detect_leaks=0
artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
for target in settings photo_check; do
    corpus=build/fuzz/corpus/$target
    mkdir -p "$corpus"
    cp -n fuzz/corpus/"${target%_check}"/* "$corpus"/ 2>/dev/null || true
    echo "== $target: ${seconds}s"
    log=build/fuzz/$target.log
    status=0
    "build/fuzz/fuzz/${target}_fuzz" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$artifacts/$target-" "$corpus" >"$log" 2>&1 \
        || status=$?
    grep -E '^(#[0-9]+[[:space:]]+DONE|Done|stat::number_of_executed_units|stat::peak_rss_mb|SUMMARY|==[0-9]+==ERROR)' "$log" || true
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$log" >&2
        echo "$target: fuzzer failed with status $status" >&2
        exit 1
    fi
done
