#!/usr/bin/env bash
# The README's scale-out recipe, run: GNU parallel shards a NUL-separated list over processes,
# the shards' JSON lines concatenate to what one process prints, and they make one report.
# Usage: scale_out_test.sh PROGRAM_DIR FIXTURES_DIR   (exit 77 where GNU parallel is missing)
set -euo pipefail
program_dir=$1
fixtures=$2
command -v parallel >/dev/null || { echo "GNU parallel is not installed: skipped"; exit 77; }
export PATH="$program_dir:$PATH"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

mkdir -p photos/sub "photos/odd dir"
for i in 1 2 3 4 5; do
    for name in id_white two_faces id_blue face_low no_face; do
        cp "$fixtures/$name.jpg" "photos/$( ((i % 2)) && echo sub/ )$i-$name.jpg"
    done
done
cp "$fixtures/id_white.jpg" "photos/odd dir/new
line.JPG"

# --- the recipe, as in the README ---
find photos -type f \( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.jpe' -o -iname '*.jfif' \) -print0 |
    LC_ALL=C sort -z >photos.list
mkdir -p results
parallel --will-cite --pipe --recend '\0' -N 10 \
    'velmora-check --quiet --json --jobs 1 --files-from - -0 >results/shard-{#}.jsonl' <photos.list || true
cat $(ls -v results/shard-*.jsonl) >all.jsonl
velmora-check --quiet --report-from all.jsonl --report report.html || true
# --- end of the recipe ---

fail() { echo "scale_out_test: $*" >&2; exit 1; }
[ "$(ls results | wc -l)" -eq 3 ] || fail "expected 3 shards, got: $(ls results)"
velmora-check --quiet --json --files-from photos.list -0 >single.jsonl || true
[ "$(wc -l <single.jsonl)" -eq 26 ] || fail "one process checked $(wc -l <single.jsonl) photos, not 26"
# The shards, taken in their order, hold what one process prints.
cmp all.jsonl single.jsonl || fail "the shards' lines differ from one process's"
cards=$(grep -o 'class="card ' report.html | wc -l)
[ "$cards" -eq 26 ] || fail "the merged report has $cards cards, not 26"
grep -q 'data-filter="all" aria-pressed="true">all <b class="count">26</b>' report.html ||
    fail "the merged report's counts do not add up to 26"
echo "scale_out_test: 26 photos in 3 shards, one result set, one report"
