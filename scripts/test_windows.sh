#!/usr/bin/env bash
# Builds the Windows target and runs its tests under Wine, each test case in
# a Wine process of its own, in the prefix build/windows/wineprefix.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build_windows.sh
# The monitor's tests under Wine talk to the Linux virtual printer of
# build/linux (the cache variable LT77_LINUX_PRINTER); where that tree is
# configured, its printer is brought up to date. Without it those cases skip.
if [ -f build/linux/build.ninja ]; then
    cmake --build build/linux --target lt77printer
fi

prefix="$PWD/build/windows/wineprefix"
if [ ! -f "$prefix/system.reg" ]; then
    echo "test_windows: creating the Wine prefix $prefix"
    cmake/wine_run.sh "$prefix" wineboot -i >/dev/null 2>&1
fi
# The queues live in the one prefix, so the cases run one after another.
ctest --preset windows "$@"
