#!/usr/bin/env bash
# Installs what is missing, builds and runs every test (core and windows).
# Set VEXMORA_SANITIZE=1 to build and test with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
build=build-test
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${VEXMORA_SANITIZE:-0}" = 1 ]; then
  build=build-asan
  flags=(-DCMAKE_BUILD_TYPE=Debug -DVEXMORA_SANITIZE=ON)
fi
cmake -S . -B "$build" "${flags[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
unset QT_QPA_PLATFORMTHEME
export QT_QPA_PLATFORM=offscreen
cd "$build" && ctest --output-on-failure -j"$(nproc)"
