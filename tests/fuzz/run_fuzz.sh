#!/usr/bin/env bash
# Builds a fuzz target with clang's libFuzzer, ASan and UBSan, and runs it for a bounded time.
# Usage: run_fuzz.sh SOURCE_DIR BUILD_DIR SECONDS [TARGET]   (TARGET: ini, settings or wildcard)
set -euo pipefail
src=$1 out=$2 seconds=$3 target=${4:-ini}
case $target in
    ini) sources=(common/ini_document.cpp common/text.cpp) ;;
    settings) sources=(dregmoor/engine/scanner_settings.cpp dregmoor/engine/date_time.cpp
                       common/ini_store.cpp common/ini_document.cpp common/paths.cpp common/text.cpp) ;;
    wildcard) sources=(dregmoor/engine/wildcard.cpp) ;;
    *) echo "run_fuzz.sh: unknown target $target" >&2; exit 2 ;;
esac
# Temporary files of the target stay in the build folder; a crashed run's are removed next time.
export TMPDIR=$out/tmp-$target
rm -rf "$TMPDIR" && mkdir -p "$TMPDIR"
corpus=$out/corpus-$target
[ "$target" = ini ] && corpus=$out/corpus
mkdir -p "$corpus"
if [ -d "$src/tests/fuzz/corpus" ] && [ "$target" != wildcard ]; then
    cp -n "$src"/tests/fuzz/corpus/*.ini "$corpus/" 2>/dev/null || true
fi
if [ -d "$src/tests/fuzz/corpus-$target" ]; then
    cp -n "$src"/tests/fuzz/corpus-"$target"/* "$corpus/" 2>/dev/null || true
fi
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$src" "$src/tests/fuzz/${target}_fuzz.cpp" "${sources[@]/#/$src/}" -o "$out/${target}_fuzz"
# A run that takes longer than -timeout seconds on one input counts as a hang.
exec "$out/${target}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$out/$target-" "$corpus"
