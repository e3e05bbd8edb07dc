#!/usr/bin/env bash
# The Wine prefix of one run of the Wine tests: made fresh before the first test, ended after the last.
#   wine_prefix.sh boot|end <prefix folder>
set -euo pipefail
export WINEPREFIX=$2 WINEDEBUG=-all
case "$1" in
  boot)
    [ ! -d "$WINEPREFIX" ] || { wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"; }
    wineboot -i >/dev/null 2>&1
    # COM activation hangs when a program starts before the prefix has settled (RpcSs not yet up).
    wineserver -w
    test -f "$WINEPREFIX/system.reg"
    ;;
  end)
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    ;;
  *) echo "usage: $0 boot|end PREFIX" >&2; exit 2 ;;
esac
