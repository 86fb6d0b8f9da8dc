#!/usr/bin/env bash
# Builds one fuzz target with clang's libFuzzer, ASan and UBSan, and runs it for a bounded time on
# its seed corpus (tests/fuzz/corpus/NAME). An input that takes longer than a few seconds is a hang.
# Usage: run_fuzz.sh SOURCE_DIR BUILD_DIR SECONDS NAME SOURCE...
set -euo pipefail
src=$1 out=$2/$4 seconds=$3 name=$4
shift 4
mkdir -p "$out/corpus"
cp -n "$src/tests/fuzz/corpus/$name"/* "$out/corpus/" 2>/dev/null || true
# Temporary files of the target stay in its build folder; a crashed run's are removed next time.
export TMPDIR=$out/tmp
rm -rf "$TMPDIR" && mkdir -p "$TMPDIR"
sources=()
for file in "$@"; do sources+=("$src/$file"); done
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$src" "$src/tests/fuzz/${name}_fuzz.cpp" "${sources[@]}" -o "$out/${name}_fuzz"
exec "$out/${name}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$out/" "$out/corpus"
