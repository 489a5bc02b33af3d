#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine:
#   ./build.sh run    install what is missing, build, start the program (needs a display)
#   ./build.sh test   install what is missing, build, run every test
set -euo pipefail
cd "$(dirname "$0")"

command=${1:-}
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
    *)
        echo "usage: $0 run|test" >&2
        exit 2
        ;;
esac
