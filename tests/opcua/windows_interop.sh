#!/usr/bin/env bash
# The interoperability test against the Windows build of the OPC UA server library, under Wine. The prefix is the
# Wine tests' own when they run together; alone, the test boots one and ends its Wine afterwards.
#   windows_interop.sh <node> <ua_test_host.exe> <wine prefix folder>
set -euo pipefail
node=$1 exe=$2
export WINEPREFIX=$3 WINEDEBUG=-all
booted=0
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
  booted=1
fi
cd "$(dirname "$0")/node"
status=0
"$node" interop.js wine "$exe" || status=$?
[ $booted = 0 ] || wineserver -k 2>/dev/null || true
exit $status
