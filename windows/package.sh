#!/usr/bin/env bash
# Packs the Windows programs of a cross build into a portable zip and an NSIS installer, both
# laid out alike: the two programs with setting.ini, tips/ and the face cascade beside
# them (the programs read them from their own folder), Qt's Chinese texts in translations/, the licence and
# the third-party notices with their licence texts.
#   windows/package.sh BUILD_DIR    writes BUILD_DIR/Velmora-VERSION-windows-x64.zip and
#                                   BUILD_DIR/Velmora-VERSION-setup.exe
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=$(cd "$1" && pwd)
bin="$build/bin"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "package: no project version in $build/CMakeCache.txt" >&2; exit 1; }

stage="$build/package/Velmora"
rm -rf "$build/package"
mkdir -p "$stage/tips" "$stage/translations" "$stage/licenses"
for program in velmora.exe velmora-check.exe; do
    x86_64-w64-mingw32-strip -o "$stage/$program" "$bin/$program"
done
cp "$bin/setting.ini" "$bin/haarcascade_frontalface_alt2.xml" "$stage/"
cp "$bin"/tips/state*.jpg "$stage/tips/"
cp "$bin/translations/qtbase_zh_CN.qm" "$stage/translations/"

# Text files get Windows line ends, so that any editor there shows them whole.
to_windows_text() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }
to_windows_text "$root/LICENSE" "$stage/LICENSE.txt"
to_windows_text "$root/THIRD-PARTY-NOTICES.md" "$stage/THIRD-PARTY-NOTICES.txt"
for licence in GPL-3 LGPL-3 LGPL-2.1 Apache-2.0; do
    to_windows_text "/usr/share/common-licenses/$licence" "$stage/licenses/$licence.txt"
done
# The other licence texts the notices name, from the libraries' own sources.
src=${VELMORA_WINDOWS_CACHE:-$HOME/.cache/velmora-windows}/src
qt=$(ls -d "$src"/qt6-base-*/src/3rdparty | head -n 1)
while read -r name file; do
    to_windows_text "$file" "$stage/licenses/$name.txt"
done <<TEXTS
FreeType-FTL $qt/freetype/docs/FTL.TXT
HarfBuzz-MIT $qt/harfbuzz-ng/COPYING
PCRE2 $qt/pcre2/LICENCE
PCRE2-SLJIT $qt/pcre2/LICENCE-SLJIT
zlib $qt/zlib/LICENSE
double-conversion $qt/double-conversion/LICENSE
MD4C $qt/md4c/LICENSE.md
TinyCBOR $qt/tinycbor/LICENSE
easing $qt/easing/LICENSE
RFC6234 $qt/rfc6234/LICENSE
SHA3-brg_endian $qt/sha3/BRG_ENDIAN_LICENSE
ICC $qt/icc/LICENSE.txt
libpng $(ls -d "$src"/libpng1.6-*/ | head -n 1)LICENSE
libjpeg-turbo $(ls -d "$src"/libjpeg-turbo-*/ | head -n 1)LICENSE.md
IJG $(ls -d "$src"/libjpeg-turbo-*/ | head -n 1)README.ijg
MinGW-w64 /usr/share/doc/mingw-w64-common/copyright
TEXTS

zip="$build/Velmora-$version-windows-x64.zip"
rm -f "$zip"
(cd "$build/package" && cmake -E tar cf "$zip" --format=zip Velmora)

installer="$build/Velmora-$version-setup.exe"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$installer" \
    -DICON="$root/res/velmora.ico" "$here/installer.nsi"

echo "$zip"
echo "$installer"
