#!/usr/bin/env bash
# Runs a Windows program under Wine, in a prefix of the project's own that is made on first use,
# without Wine's debug chatter or its offers to install Mono and Gecko. CTest's emulator for the
# cross-built tests, and what windows/test.sh starts the programs with.
#   windows/wine.sh PROGRAM.exe [ARGUMENT]...
# VELMORA_WINE_PREFIX chooses the prefix (default: ~/.cache/velmora-windows/wine).
set -euo pipefail

export WINEPREFIX=${VELMORA_WINE_PREFIX:-$HOME/.cache/velmora-windows/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Tests start in parallel: one of them makes the prefix, the others wait for it.
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/.velmora-ready" ]; then
        rm -rf "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.velmora-ready"
    fi
) 9>"$WINEPREFIX.lock"

# Debian's wine stops its server the moment the last program exits, and a program starting in
# that instant fails with "recvmsg: Connection reset by peer". A server that outlives its last
# program by a minute closes that gap for tests started one after another; a second start while
# one runs is refused by wineserver itself, harmlessly.
wineserver -p60 </dev/null >/dev/null 2>&1 || true

exec wine "$@"
