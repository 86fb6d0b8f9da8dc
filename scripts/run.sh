#!/usr/bin/env bash
# Builds and starts one of the programs from the build folder, where its help and icon lie beside
# it. Usage: run.sh [macros|dregmoor] [program arguments...]   (Keyloom, macros, when none given)
# A macro named "macros" or "dregmoor" is run as: run.sh macros dregmoor
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
program=macros
case "${1:-}" in
    macros | dregmoor) program=$1 && shift ;;
esac
bash "$top/scripts/deps.sh" run
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$top/build" --target "$program"
exec "$top/build/bin/$program" "$@"
