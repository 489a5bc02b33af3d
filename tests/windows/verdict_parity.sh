#!/usr/bin/env bash
# The Windows batch checker under Wine gives the Linux build's JSON verdicts, byte for byte but
# for the path, in the same order, with the same exit status: over the committed fixtures and
# calibration photos, and copies of some under Chinese names with spaces.
#   verdict_parity.sh WINDOWS_PROGRAM_DIR LINUX_PROGRAM_DIR FIXTURES_DIR
set -uo pipefail

windows_dir=$(cd "$1" && pwd)
linux_dir=$(cd "$2" && pwd)
fixtures=$(cd "$3" && pwd)
wine="$(cd "$(dirname "$0")/../../windows" && pwd)/wine.sh"

fail() { echo "FAIL: $*"; exit 1; }
[ -x "$linux_dir/velmora-check" ] || fail "no Linux build of velmora-check in $linux_dir (./build.sh test builds it)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$fixtures" "$work/photos"
mkdir "$work/photos/报名 照片"
cp "$fixtures/id_white.jpg" "$work/photos/报名 照片/张 三.jpg"
cp "$fixtures/two_faces.jpg" "$work/photos/报名 照片/李 四 合影.jpg"
cp "$fixtures/id_white_exif6.jpg" "$work/photos/报名 照片/王 五.JPG"

# Both read the same relative folder, so their walks agree if their orders do.
cd "$work" || fail "no work folder"
"$linux_dir/velmora-check" --json --quiet photos >linux.jsonl
linux_status=$?
"$wine" "$windows_dir/velmora-check.exe" --json --quiet photos >windows.jsonl
windows_status=$?

without_path() { sed -E 's/^\{"file": "([^"\\]|\\.)*", /{/' "$1"; }
without_path linux.jsonl >linux.verdicts
without_path windows.jsonl >windows.verdicts
photos=$(wc -l <linux.verdicts)
[ "$photos" -ge 150 ] || fail "the Linux build checked only $photos photos"
grep -q '张 三' windows.jsonl || fail "the Chinese names are missing from the Windows output"
cmp -s linux.verdicts windows.verdicts || {
    diff linux.verdicts windows.verdicts | head -n 20
    fail "the verdicts differ (first differences above)"
}
[ "$linux_status" = "$windows_status" ] || fail "exit status $windows_status on Windows, $linux_status on Linux"
echo "ok: $photos identical verdicts, exit status $linux_status on both"
