#!/usr/bin/env bash
# Builds the Debian package of the program into build/default.
#   scripts/package.sh           build velmora_<version>_<arch>.deb
#   scripts/package.sh --check   also install it with apt-get, start it offscreen, and remove it
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh package
cmake --preset default >/dev/null
cmake --build --preset default --parallel "$(nproc)"
(cd build/default && cpack >/dev/null)
deb=$(ls -t build/default/velmora_*.deb | head -n 1)
echo "built $deb"
[ "${1:-}" = "--check" ] || exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "./$deb" >/dev/null
dpkg -L velmora | grep -E 'bin/velmora$|velmora/setting.ini$|\.desktop$|hicolor/48x48'
# Started from elsewhere, the installed program must come up and stay up until stopped.
status=0
(cd / && QT_QPA_PLATFORM=offscreen timeout 5 velmora) || status=$?
[ "$status" -eq 124 ] || { echo "the installed program ended with status $status" >&2; exit 1; }
echo "installed program started"
"${sudo[@]}" apt-get remove -y -qq velmora >/dev/null
if [ -e /usr/lib/velmora ] || [ -e /usr/bin/velmora ]; then
    echo "files left behind after removal" >&2
    exit 1
fi
echo "removed cleanly"
