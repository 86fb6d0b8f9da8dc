#!/usr/bin/env bash
# Builds the INI fuzz target with clang's libFuzzer, ASan and UBSan, and runs it for a bounded time.
# Usage: run_fuzz.sh SOURCE_DIR BUILD_DIR SECONDS
set -euo pipefail
src=$1 out=$2 seconds=$3
mkdir -p "$out/corpus"
cp -n "$src"/tests/fuzz/corpus/* "$out/corpus/" 2>/dev/null || true
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$src" "$src/tests/fuzz/ini_fuzz.cpp" "$src/common/ini_document.cpp" "$src/common/text.cpp" \
    -o "$out/ini_fuzz"
exec "$out/ini_fuzz" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$out/" "$out/corpus"
