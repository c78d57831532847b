#!/bin/sh
# Builds both targets and runs every test: Linux (with sanitizers), then
# Windows under Wine.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j2
ctest --preset linux -j2
scripts/soak.sh 60
scripts/test_tsan.sh
if [ -x scripts/test_windows.sh ]; then
    scripts/test_windows.sh
fi
