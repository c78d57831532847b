#!/usr/bin/env bash
# Cross-builds the Windows target (plug-in DLL, test host and test programs)
# with mingw-w64 into build/windows.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset windows
cmake --build --preset windows -j "${LT77_JOBS:-2}"
