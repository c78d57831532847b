#!/bin/sh
# The port monitor's tests under ThreadSanitizer: its status threads run
# beside the spooler's calls, and this is where a data race shows.
set -eu
cd "$(dirname "$0")/.."
cmake --preset linux-tsan >/dev/null
cmake --build --preset linux-tsan -j2 --target portmon_test monitor_road_test
build/linux-tsan/tests/portmon/portmon_test
build/linux-tsan/tests/portmon/monitor_road_test
