#!/usr/bin/env bash
# Builds the Windows edition on Debian: the libraries once into the cache (build_libraries.sh),
# then velmora.exe and velmora-check.exe with the tests into build/windows, then the portable
# zip and the installer (package.sh). `./build.sh windows` runs this.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh windows
mapfile -t libraries < <(windows/build_libraries.sh)
cmake --preset windows -DVELMORA_WINDOWS_LIBRARIES="$(IFS=';'; echo "${libraries[*]}")" >/dev/null
cmake --build --preset windows --parallel "$(nproc)"
windows/package.sh build/windows
