#!/usr/bin/env bash
# The NSIS installer under Wine: a silent install lays out the programs with their data, a
# Start-menu entry and an uninstall entry, and the installed batch checker works from another
# folder; the uninstaller removes all of that and leaves a file of the user's in the folder alone.
#   installer_test.sh INSTALLER FIXTURES_DIR
set -uo pipefail

installer=$1
fixtures=$2
wine="$(cd "$(dirname "$0")/../../windows" && pwd)/wine.sh"

fail() { echo "FAIL: $*"; exit 1; }
[ -f "$installer" ] || fail "no installer at $installer (windows/package.sh makes it)"

# The default folder, under Program Files (NSIS's /D= takes no quoted path, and Wine quotes any
# argument with a space).
folder=$("$wine" winepath -u 'C:\Program Files\Velmora' 2>/dev/null | tr -d '\r')
programs=$("$wine" winepath -u 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs' 2>/dev/null | tr -d '\r')
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora'
[ -n "$folder" ] && [ -n "$programs" ] || fail "winepath gave no host folders"
rm -rf "$folder"

"$wine" "$installer" /S || fail "the installer failed"
for file in velmora.exe velmora-check.exe setting.ini haarcascade_frontalface_alt2.xml tips/state7.jpg \
            translations/qtbase_zh_CN.qm LICENSE.txt THIRD-PARTY-NOTICES.txt licenses/LGPL-3.txt uninstall.exe; do
    [ -f "$folder/$file" ] || fail "not installed: $file"
done
[ -f "$programs/Velmora/Velmora.lnk" ] || fail "no Start-menu entry"
"$wine" reg query "$key" /v DisplayName >/dev/null 2>&1 || fail "no uninstall entry in the registry"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || fail "no work folder"
cp "$fixtures/id_white.jpg" photo.jpg
result=$("$wine" "$folder/velmora-check.exe" photo.jpg 2>&1)
grep -q 'accepted' <<<"$result" || fail "the installed batch checker did not accept the photo: $result"

echo "a photo of the user's" >"$folder/my photo.jpg"
"$wine" "$folder/uninstall.exe" /S || fail "the uninstaller failed"
# The uninstaller runs on from a copy of itself in the temporary folder; removing the uninstall
# entry is its last step.
for _ in $(seq 60); do
    "$wine" reg query "$key" >/dev/null 2>&1 || break
    sleep 1
done
for file in velmora.exe velmora-check.exe setting.ini tips translations licenses uninstall.exe; do
    [ -e "$folder/$file" ] && fail "left behind: $file"
done
[ -f "$folder/my photo.jpg" ] || fail "the uninstaller removed the user's file"
[ -e "$programs/Velmora" ] && fail "the Start-menu entry is left behind"
"$wine" reg query "$key" >/dev/null 2>&1 && fail "the uninstall entry is left in the registry"
rm -rf "$folder"
echo "ok: installed, ran, uninstalled; the user's file stayed"
