#!/usr/bin/env bash
# Builds and runs the tests.
#   ./run-tests.sh           every test in an optimised build (build/)
#   ./run-tests.sh --asan    unit tests with AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/)
#   ./run-tests.sh --tsan    thread tests with ThreadSanitizer (build-tsan/)
#   ./run-tests.sh --windows the Windows build (mingw-w64, build-win/) and its zip, its programs under Wine
#                            (the Linux side of those tests in build/)
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-}
flags=()
select=()
target=()
runner=()
case "$mode" in
  "")     dir=build; select=(-LE windows) ;;
  --asan) dir=build-asan; flags=(-DIEC_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug); select=(-L unit) ;;
  --tsan) dir=build-tsan; flags=(-DIEC_TSAN=ON -DCMAKE_BUILD_TYPE=Debug); select=(-L tsan); target=(--target tsan_tests) ;;
  --windows)
    # The program folder as users get it, cross-built and zipped; then the Linux programs that drive it.
    cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
    cmake --build build-win --target package
    dir=build; flags=(-DIEC_WINDOWS_BUILD="$PWD/build-win"); select=(-L windows); target=(--target wine_tests sim101)
    # The tray icon needs a display; the Wine tests share one.
    runner=(xvfb-run -a -s "-screen 0 1024x768x24") ;;
  *) echo "usage: $0 [--asan|--tsan|--windows]" >&2; exit 2 ;;
esac

# The OPC UA interoperability tests talk to an independent client from npm.
if [ -f tests/opcua/node/package.json ] && [ ! -d tests/opcua/node/node_modules ]; then
  npm install --prefix tests/opcua/node --no-audit --no-fund --loglevel=error
fi

cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir" "${target[@]}"
"${runner[@]}" ctest --test-dir "$dir" --output-on-failure -j2 "${select[@]}"
