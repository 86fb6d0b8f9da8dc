#!/usr/bin/env bash
# Builds the Debian package of both programs in a Release build and checks it with lintian.
# Usage: package.sh [build folder]   (default: build-release); prints the package's path last.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-release}
bash "$top/scripts/deps.sh" test
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target macros dregmoor
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls -t "$build"/ostrevin_*.deb | head -n 1)
lintian --fail-on error "$package"
echo "$package"
