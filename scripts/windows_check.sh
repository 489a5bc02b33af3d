#!/usr/bin/env bash
# Compiles the engine and the batch checker with the MinGW-w64 cross compiler against the
# OpenCV, libjpeg-turbo and libpng headers: a compile-only check of the lines that only a Windows build reaches.
# Nothing is linked or run; the Windows build itself needs Visual Studio and vcpkg.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh windows
compiler=x86_64-w64-mingw32-g++-posix

# libjpeg-turbo's headers live among the host's C headers, which must not shadow MinGW's: they
# are offered from a folder of their own. libpng has one already.
jpeg_headers=$(mktemp -d)
trap 'rm -rf "$jpeg_headers"' EXIT
for header in jpeglib.h jerror.h jmorecfg.h; do ln -s "/usr/include/$header" "$jpeg_headers/"; done
ln -s "$(dpkg -L libjpeg62-turbo-dev | grep '/jconfig\.h$' | head -n 1)" "$jpeg_headers/"

shopt -s nullglob
sources=(engine/*.cpp batch/velmora_check.cpp batch/velmora_check/*.cpp)
printf '%s\n' "${sources[@]}" | xargs -P "$(nproc)" -I{} \
    "$compiler" -std=c++20 -fsyntax-only -Werror -Wall -Wextra -Wpedantic -Wshadow -Wconversion \
    -Wno-sign-conversion -isystem /usr/include/opencv4 -isystem "$jpeg_headers" -isystem /usr/include/libpng16 \
    -Iengine/include -I. {}
echo "windows_check: ${#sources[@]} files compile for Windows"
