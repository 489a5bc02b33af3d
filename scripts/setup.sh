#!/usr/bin/env bash
# Installs the Debian 12 packages Velmora builds and runs with, when any is missing.
# Idempotent: does nothing when everything is there already.
set -euo pipefail

packages=(
    g++ cmake make pkg-config
    libopencv-dev opencv-data
    libjpeg62-turbo-dev libpng-dev
    qt6-base-dev qt6-translations-l10n
    libgtest-dev libbenchmark-dev
    fonts-wqy-microhei
    locales
    xvfb xauth xdotool
    tesseract-ocr tesseract-ocr-chi-sim
)

# Extra groups on request: "fuzz" adds clang and its libFuzzer runtime, "package" the tools
# CPack's Debian generator uses to find library dependencies, "windows" what the Windows
# edition is built, packed and tested with (the MinGW-w64 cross compiler, the tools that fetch and
# build the libraries' Debian sources, NSIS, Wine), "test" the browser that renders
# the batch report and GNU parallel for the scale-out recipe, "fixtures" dlib and its face
# landmark model for tools/make_calibration_fixtures.
for group in "$@"; do
    case "$group" in
        fuzz) packages+=(clang libclang-rt-14-dev) ;;
        package) packages+=(dpkg-dev file) ;;
        windows) packages+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev
                            nasm ninja-build dpkg-dev libwine-dev qt6-base-dev-tools nsis wine wine64 imagemagick) ;;
        test) packages+=(chromium parallel) ;;
        fixtures) packages+=(libdlib-dev libdlib-data) ;;
        *) echo "setup.sh: unknown group $group" >&2; exit 2 ;;
    esac
done

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
