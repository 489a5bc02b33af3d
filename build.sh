#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine:
#   ./build.sh run    install what is missing, build, start the program (needs a display)
#   ./build.sh test   install what is missing, build, run every test
#   ./build.sh windows         build the Windows programs, their zip and installer (build/windows)
#   ./build.sh windows test    and run their tests under Wine, against the Linux build
set -euo pipefail
cd "$(dirname "$0")"

command=${1:-}
# The Windows libraries' cache and Wine's prefix live under the home folder, which a bare
# service environment may not name.
HOME=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
export HOME
preset=${PRESET:-default}
jobs=$(nproc)

build() {
    scripts/setup.sh "$@"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --parallel "$jobs"
}

case "$command" in
    run)
        build
        exec "build/$preset/bin/velmora"
        ;;
    test)
        build test
        ctest --preset "$preset" --parallel "$jobs"
        ;;
    windows)
        windows/build.sh
        if [ "${2:-}" = test ]; then
            build test  # the Linux build the Windows programs are compared with
            ctest --preset windows --parallel "$jobs"
        fi
        ;;
    *)
        echo "usage: $0 run|test|windows [test]" >&2
        exit 2
        ;;
esac
