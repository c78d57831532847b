#!/bin/sh
# Builds the libFuzzer programs with clang and runs each, then merges what
# they found into the kept corpus, which the tests replay.
#
#   scripts/fuzz.sh [SECONDS]            each target for SECONDS (default 600)
#   scripts/fuzz.sh --runs N [SECONDS]   each target for N executions, or
#                                        SECONDS (default 1800) if it is slower
#   scripts/fuzz.sh ... TARGET...        only the targets named
#
# LT77_FUZZ_BUILD names the build folder (default build/fuzz, the "fuzz"
# preset); another folder must have been configured with the preset's
# variables. Each target prints its execution count and any finding, which
# is left as build/.../crash-TARGET-*; the script fails when there is one.
set -eu
cd "$(dirname "$0")/.."
RUNS=-1
if [ "${1:-}" = "--runs" ]; then
    RUNS="$2"
    shift 2
    SECONDS_EACH=1800
else
    SECONDS_EACH=600
fi
case "${1:-}" in
'' | *[!0-9]*) ;;
*) SECONDS_EACH="$1"; shift ;;
esac
ALL="text_records text_keys control_ini stream_renderer bitmap_file viewer_job editor_ini printer_data ini_file
     command_notation queue_store status_block shared_record"
TARGETS="${*:-$ALL}"
BUILD="${LT77_FUZZ_BUILD:-build/fuzz}"
if [ "$BUILD" = build/fuzz ]; then
    cmake --preset fuzz >/dev/null
fi
programs=""
for target in $TARGETS; do programs="$programs fuzz_$target"; done
# shellcheck disable=SC2086
cmake --build "$BUILD" -j"${LT77_FUZZ_JOBS:-2}" --target $programs >/dev/null

found=0
for target in $TARGETS; do
    work="$BUILD/corpus/$target"
    mkdir -p "$work"
    log="$BUILD/fuzz-$target.log"
    "$BUILD/fuzz/fuzz_$target" -runs="$RUNS" -max_total_time="$SECONDS_EACH" -print_final_stats=1 \
        -artifact_prefix="$BUILD/crash-$target-" "$work" "fuzz/corpus/$target" >"$log" 2>&1 || true
    execs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
    secs=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | awk '{print $5}' | tail -1)
    if grep -q -E '^==[0-9]+==ERROR|deadly signal|runtime error|Test unit written' "$log"; then
        found=1
        echo "fuzz: $target: ${execs:-?} executions: FINDING"
        grep -E 'ERROR|runtime error|SUMMARY|Test unit written' "$log" | head -6 | sed 's/^/    /'
    else
        echo "fuzz: $target: ${execs:-?} executions in ${secs:-?} s, no finding"
    fi
    # Keep only inputs that add coverage.
    "$BUILD/fuzz/fuzz_$target" -merge=1 "fuzz/corpus/$target" "$work" >/dev/null 2>&1 || true
done
exit $found
