#!/usr/bin/env bash
# The calibration bench: frames the people of tools/calibration_people.tsv at standard and at
# clearly wrong head geometry and measures what the face stage makes of each photo.
#   scripts/calibration_bench.sh [SETTINGS.ini ...]   (default: data/setting.ini)
# The photos come from the Debian packages that ship them, fetched at run time into a cache
# (VELMORA_BENCH_CACHE, default ~/.cache/velmora-calibration) through an apt configuration of
# its own: the system's apt sources and lists stay untouched, and nothing fetched is committed.
# Prints the tables the README quotes; the per-photo measurements go to
# build/default/calibration_bench.tsv (and the framed photos to the folder in
# VELMORA_BENCH_PHOTOS, when set).
set -euo pipefail
cd "$(dirname "$0")/.."

HOME=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
cache=${VELMORA_BENCH_CACHE:-$HOME/.cache/velmora-calibration}
people=tools/calibration_people.tsv
settings=("$@")
[ ${#settings[@]} -gt 0 ] || settings=(data/setting.ini)

scripts/setup.sh fixtures  # dlib and its landmark model
mkdir -p "$cache/apt/lists/partial" "$cache/debs" "$cache/root"
options=(-o "Dir::State::Lists=$cache/apt/lists" -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache="
         -o APT::Sandbox::User=root)

mapfile -t packages < <(grep -v '^#' "$people" | cut -f2 | sort -u)
missing=()
for package in "${packages[@]}"; do
    [ -f "$cache/root/.$package" ] || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    apt-get "${options[@]}" update -qq
    (cd "$cache/debs" && apt-get "${options[@]}" download -qq "${missing[@]}")
    for package in "${missing[@]}"; do
        deb=$(ls -t "$cache/debs/${package}"_*.deb | head -1)
        dpkg-deb -x "$deb" "$cache/root"
        basename "$deb" >"$cache/root/.$package"
    done
fi
echo "Packages: $(cd "$cache/root" && cat "${packages[@]/#/.}" | tr '\n' ' ')"

cmake --preset default >/dev/null
cmake --build build/default --target make_calibration_fixtures --parallel 2 >/dev/null
extra=()
[ -z "${VELMORA_BENCH_PHOTOS:-}" ] || extra=(--photos "$VELMORA_BENCH_PHOTOS")
build/default/tools/make_calibration_fixtures bench "$people" "$cache/root" "${settings[@]}" \
    --tsv build/default/calibration_bench.tsv "${extra[@]}"
