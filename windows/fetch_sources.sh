#!/usr/bin/env bash
# Fetches Debian's source packages of the libraries the Windows programs link, at the versions
# the Linux build uses, without touching the system's apt sources: a private apt configuration
# with deb-src entries for the same archive, and a list folder of its own.
#   windows/fetch_sources.sh DIR    leaves the unpacked sources in DIR/<package>-<version>/
# (libjpeg-turbo, libpng1.6, opencv, qt6-base).
set -euo pipefail

dest=$1
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
apt_dir="$dest/apt"
mkdir -p "$apt_dir/lists/partial"

# The system's own Debian entries, turned into source entries.
sources="$apt_dir/sources.sources"
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$sources"
    options=(-o "Dir::Etc::sourcelist=-" -o "Dir::Etc::sourceparts=$apt_dir/parts")
    mkdir -p "$apt_dir/parts"
    mv "$sources" "$apt_dir/parts/debian.sources"
else
    sources="$apt_dir/sources.list"
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$sources"
    options=(-o "Dir::Etc::sourcelist=$sources" -o "Dir::Etc::sourceparts=-")
fi
options+=(-o APT::Sandbox::User=root -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache=")

apt-get "${options[@]}" update -qq
cd "$dest"
# Each source package at the version that built the installed binary package, so both builds
# agree.
for binary in libjpeg62-turbo-dev libpng-dev libopencv-core-dev qt6-base-dev; do
    package=$(dpkg-query -W -f='${source:Package}' "$binary")
    version=$(dpkg-query -W -f='${source:Version}' "$binary")
    if ! ls -d "$dest/$package"-*/ >/dev/null 2>&1; then
        # The archive may have moved on to newer Debian revisions of the same upstream release,
        # which is what the build depends on, and a mirror may lack some of them: the installed
        # revision first, then the others of that release, newest first.
        upstream=${version#*:}
        upstream=${upstream%-*}
        candidates=("$version")
        mapfile -t -O 1 candidates < <(apt-cache "${options[@]}" showsrc "$package" |
            sed -n 's/^Version: //p' | grep -F -- "$upstream-" | sort -V -r -u)
        fetched=
        for candidate in "${candidates[@]}"; do
            if apt-get "${options[@]}" source -qq --download-only "$package=$candidate" 2>/dev/null; then
                fetched=$candidate
                break
            fi
        done
        [ -n "$fetched" ] || { echo "fetch_sources: no source of $package $upstream" >&2; exit 1; }
        dpkg-source --no-check -x "${package}_${fetched#*:}.dsc" >/dev/null
    fi
done
ls -d "$dest"/*/ | grep -v '/apt/$'
