#!/usr/bin/env bash
# Builds everything and runs every test: unit, window (offscreen), end-to-end (on a private X
# server that the tests start themselves) and the fuzzers; then the logic tests once more
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/deps.sh" test
jobs=$(nproc)

cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$top/build" -j "$jobs"
(cd "$top/build" && ctest --output-on-failure -j "$jobs")

cmake -S "$top" -B "$top/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DOSTREVIN_SANITIZE=ON \
    -DOSTREVIN_LOGIC_ONLY=ON >/dev/null
cmake --build "$top/build-asan" -j "$jobs"
(cd "$top/build-asan" && ctest --output-on-failure -j "$jobs" -L unit -LE fuzz)
