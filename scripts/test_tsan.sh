#!/bin/sh
# The threaded parts' tests under ThreadSanitizer: the port monitor's status
# threads beside the spooler's calls, and the status library's callback
# thread beside the application's; this is where a data race shows.
set -eu
cd "$(dirname "$0")/.."
cmake --preset linux-tsan >/dev/null
cmake --build --preset linux-tsan -j2 --target portmon_test monitor_road_test statusback_test status_road_test
build/linux-tsan/tests/portmon/portmon_test
build/linux-tsan/tests/portmon/monitor_road_test
build/linux-tsan/tests/statusback/statusback_test
build/linux-tsan/tests/statusback/status_road_test
