#!/usr/bin/env bash
# The interoperability test against the Windows build of the OPC UA server library, under Wine, in a Wine prefix
# of the build's own (booted once, then reused).
#   windows_interop.sh <node> <ua_test_host.exe> <wine prefix folder>
set -euo pipefail
node=$1 exe=$2
export WINEPREFIX=$3 WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
cd "$(dirname "$0")/node"
status=0
"$node" interop.js wine "$exe" || status=$?
wineserver -k 2>/dev/null || true
exit $status
