#!/usr/bin/env bash
# Runs the server on the bundled demo configuration. For now the server checks the demo folder and prints what it
# loaded; polling the bundled station simulator follows with the polling engine.
set -euo pipefail
cd "$(dirname "$0")"
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target iec101opc
./build/src/app/iec101opc check-config --dir demo --json
