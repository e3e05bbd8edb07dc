#!/usr/bin/env bash
# The demo: the server on a copy of demo/ against the station simulator. Two stations share a pseudo-terminal
# line, a third sits behind a simulated serial-to-Ethernet converter on 127.0.0.1:32101. The values change by
# themselves; the web pages and the OPC UA endpoint are at the printed addresses. Ctrl-C stops everything.
set -euo pipefail
cd "$(dirname "$0")"

cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target iec101opc sim101

run=demo-run
rm -rf "$run"
mkdir -p "$run"
cp demo/iec101.cfg demo/iec101kp.cfg demo/cnf.ini "$run"/
[ -d web ] && cp -r web "$run"/web

pids=()
stop() {
  trap - INT TERM EXIT
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  echo "demo stopped"
}
trap stop INT TERM EXIT

wait_line() {  # file prefix -> the rest of the first line that starts with prefix
  for _ in $(seq 1 100); do
    if line=$(grep -m1 "^$2" "$1" 2>/dev/null); then echo "${line#"$2"}"; return 0; fi
    sleep 0.1
  done
  echo "no '$2' in $1" >&2
  return 1
}

./build/tools/sim101/sim101 --pty --config demo/sim-line1.cfg </dev/null >"$run/sim-line1.log" 2>&1 &
pids+=($!)
./build/tools/sim101/sim101 --tcp 32101 --config demo/sim-tcp.cfg </dev/null >"$run/sim-tcp.log" 2>&1 &
pids+=($!)
pty=$(wait_line "$run/sim-line1.log" "ready pty ")
wait_line "$run/sim-tcp.log" "ready tcp " >/dev/null

# The demo's stations 1 and 2 name the port as a Windows installation would; point them at the simulator's line.
sed -i "s|^\\\\\\\\.\\\\COM3\r\$|$pty\r|" "$run/iec101kp.cfg"

echo "simulator line: $pty; converter: 127.0.0.1:32101"
echo "web pages: http://127.0.0.1:8080/  OPC UA: opc.tcp://127.0.0.1:4840  (Ctrl-C stops the demo)"
./build/src/app/iec101opc --dir "$run" &
pids+=($!)
wait "${pids[-1]}"
