#!/bin/sh
# Builds the libFuzzer programs with clang and runs each for SECONDS
# (default 600), then merges what they found into the kept corpus, which
# the tests replay.
set -eu
cd "$(dirname "$0")/.."
SECONDS_EACH="${1:-600}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 --target fuzz_text_records fuzz_text_keys fuzz_control_ini fuzz_stream_renderer
for target in text_records text_keys control_ini stream_renderer; do
    work="build/fuzz/corpus/$target"
    mkdir -p "$work"
    echo "fuzz: $target for ${SECONDS_EACH}s"
    "build/fuzz/fuzz/fuzz_$target" -max_total_time="$SECONDS_EACH" -print_final_stats=1 \
        -artifact_prefix="build/fuzz/crash-$target-" "$work" "fuzz/corpus/$target" 2>&1 | tail -12
    # Keep only inputs that add coverage.
    "build/fuzz/fuzz/fuzz_$target" -merge=1 "fuzz/corpus/$target" "$work" >/dev/null 2>&1
done
