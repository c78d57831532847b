#!/bin/sh
# Builds the Linux target and runs the sample receipt through the rendering
# plug-in under the test host; prints where the outputs are.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j2
ROOT="${LT77_HOST_ROOT:-$PWD/build/linux/hostroot}"
rm -rf "$ROOT"
exec build/linux/host/lt77host --root "$ROOT" main-job
