#!/usr/bin/env bash
# Builds the libraries the Windows programs link statically (libjpeg-turbo, libpng, OpenCV
# with core, imgproc and objdetect, qtbase), from Debian's source packages at the versions the Linux
# build uses, into a cache outside the work tree. Each library lands in a folder named by its
# version and a hash of its build options and the toolchain, so later runs, and CI on the same
# machine, reuse it; a changed option builds that library anew.
#   windows/build_libraries.sh    prints the install prefixes, one a line
# VELMORA_WINDOWS_CACHE chooses the cache (default ~/.cache/velmora-windows).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${VELMORA_WINDOWS_CACHE:-$HOME/.cache/velmora-windows}
toolchain="$here/mingw-w64-x86_64.cmake"
jobs=$(nproc)
mkdir -p "$cache"

log() { echo "windows: $*" >&2; }

source_dir() {  # the unpacked source of a Debian source package, fetched when missing
    local dir
    dir=$(ls -d "$cache/src/$1"-*/ 2>/dev/null | head -n 1 || true)
    if [ -z "$dir" ]; then
        "$here/fetch_sources.sh" "$cache/src" >&2
        dir=$(ls -d "$cache/src/$1"-*/ | head -n 1)
    fi
    echo "${dir%/}"
}

# The folder a library is installed into: name, version, and a hash of what shapes the build.
prefix_for() {
    local name=$1 version=$2
    shift 2
    local key
    key=$(printf '%s\n' "$version" "$@" | cat - "$toolchain" | sha256sum | cut -c1-12)
    echo "$cache/$name-$version-$key"
}

# Builds into PREFIX unless a finished build is there; the stamp is written last, so an
# interrupted build is started again rather than trusted.
built() { [ -f "$1/.complete" ]; }

version_of() { dpkg-query -W -f='${source:Upstream-Version}' "$1" | sed 's/+dfsg.*//'; }

# Configures, builds and installs one CMake project into PREFIX.
cmake_library() {
    local name=$1 version=$2 prefix=$3 src=$4
    shift 4
    log "building $name $version"
    rm -rf "$prefix.build" "$prefix"
    cmake -S "$src" -B "$prefix.build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >&2
    cmake --build "$prefix.build" --parallel "$jobs" >&2
    cmake --install "$prefix.build" >&2
    rm -rf "$prefix.build"
    touch "$prefix/.complete"
}

# --- libjpeg-turbo ----------------------------------------------------------------------------
jpeg_version=$(version_of libjpeg62-turbo-dev)
jpeg_options=(-DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_POSITION_INDEPENDENT_CODE=OFF)
jpeg_prefix=$(prefix_for libjpeg-turbo "$jpeg_version" "${jpeg_options[@]}")
built "$jpeg_prefix" || cmake_library libjpeg-turbo "$jpeg_version" "$jpeg_prefix" "$(source_dir libjpeg-turbo)" \
    "${jpeg_options[@]}"

# --- libpng -----------------------------------------------------------------------------------
png_version=$(version_of libpng-dev)
png_options=(-DCMAKE_BUILD_TYPE=Release -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF
    -DPNG_EXECUTABLES=OFF -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON
    -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include)
png_prefix=$(prefix_for libpng "$png_version" "${png_options[@]}")
built "$png_prefix" || cmake_library libpng "$png_version" "$png_prefix" "$(source_dir libpng1.6)" "${png_options[@]}"

# --- OpenCV: core, imgproc, objdetect, and imgcodecs for the tests -------------------------------
# The programs decode through libjpeg-turbo and libpng directly; the tests compare with the
# image library's reader, which uses the same two. Debian's repacked source has no 3rdparty/
# folder: QR decoding is off and zlib is MinGW's.
# HAVE_PTHREAD gives the cross-build its parallel framework (std::thread's posix threads).
opencv_version=$(version_of libopencv-core-dev)
opencv_options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DBUILD_LIST=core,imgproc,imgcodecs,objdetect
    -DBUILD_TESTS=OFF -DBUILD_PERF_TESTS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_opencv_apps=OFF
    -DBUILD_JAVA=OFF -DBUILD_opencv_python3=OFF -DWITH_IPP=OFF -DWITH_ITT=OFF -DWITH_OPENCL=OFF
    -DWITH_QUIRC=OFF -DWITH_PROTOBUF=OFF -DWITH_EIGEN=OFF -DWITH_LAPACK=OFF -DWITH_ADE=OFF
    -DWITH_JPEG=ON -DBUILD_JPEG=OFF -DJPEG_LIBRARY="$jpeg_prefix/lib/libjpeg.a"
    -DJPEG_INCLUDE_DIR="$jpeg_prefix/include" -DWITH_PNG=ON -DBUILD_PNG=OFF
    -DPNG_LIBRARY="$png_prefix/lib/libpng16.a" -DPNG_PNG_INCLUDE_DIR="$png_prefix/include" -DWITH_TIFF=OFF -DWITH_WEBP=OFF -DWITH_OPENJPEG=OFF
    -DWITH_JASPER=OFF -DWITH_OPENEXR=OFF -DWITH_IMGCODEC_HDR=OFF -DWITH_IMGCODEC_SUNRASTER=OFF
    -DWITH_IMGCODEC_PXM=OFF -DWITH_IMGCODEC_PFM=OFF -DWITH_FFMPEG=OFF -DWITH_DSHOW=OFF
    -DWITH_MSMF=OFF -DWITH_WIN32UI=OFF -DWITH_DIRECTX=OFF -DWITH_VTK=OFF -DWITH_GTK=OFF
    -DBUILD_ZLIB=OFF -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a
    -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include -DHAVE_PTHREAD=1
    -DOPENCV_GENERATE_PKGCONFIG=OFF -DINSTALL_CREATE_DISTRIB=OFF -DCV_TRACE=OFF)
opencv_prefix=$(prefix_for opencv "$opencv_version" "${opencv_options[@]}")
built "$opencv_prefix" || cmake_library OpenCV "$opencv_version" "$opencv_prefix" "$(source_dir opencv)" \
    "${opencv_options[@]}"

# --- qtbase: Core, Gui, Widgets, Concurrent, Test and the Windows platform plugin -------------
# Host tools (moc, rcc, uic) are Debian's of the same version. Tablet input needs Wine's copy
# of the tablet API header, which Debian's repacked source lacks (windows/wintab/).
qt_version=$(version_of qt6-base-dev)
qt_options=(-static -static-runtime -release -xplatform win32-g++ -qt-host-path /usr
    -nomake examples -nomake tests -no-pkg-config -qt-zlib -qt-pcre -qt-libpng -no-libjpeg
    -qt-freetype -qt-harfbuzz -no-opengl -no-dbus -no-feature-network -no-feature-sql
    -no-feature-printsupport -no-feature-xml -no-feature-vulkan -feature-concurrent -feature-testlib
    -c++std c++20)
qt_prefix=$(prefix_for qtbase "$qt_version" "${qt_options[@]}" "$(cat "$here/wintab/"*.h)")
if ! built "$qt_prefix"; then
    log "building qtbase $qt_version (the longest step: about 20 minutes on two cores)"
    src=$(source_dir qt6-base)
    mkdir -p "$src/src/3rdparty/wintab"
    cp "$here/wintab/wintab.h" "$here/wintab/pktdef.h" "$src/src/3rdparty/wintab/"
    rm -rf "$qt_prefix.build"
    mkdir -p "$qt_prefix.build"
    (cd "$qt_prefix.build" &&
        "$src/configure" -prefix "$qt_prefix" "${qt_options[@]}" -- \
            -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >&2 &&
        cmake --build . --parallel "$jobs" >&2 &&
        cmake --install . >&2)
    rm -rf "$qt_prefix.build"
    touch "$qt_prefix/.complete"
fi

printf '%s\n' "$jpeg_prefix" "$png_prefix" "$opencv_prefix" "$qt_prefix"
