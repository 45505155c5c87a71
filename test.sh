#!/usr/bin/env bash
# Installs what is missing, builds and runs every test (core and windows), then checks the Debian
# package.
# Set VEXMORA_SANITIZE=1 to build and test with AddressSanitizer and UndefinedBehaviorSanitizer,
# VEXMORA_TSAN=1 for ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
# A desktop locale that writes a decimal comma, for the tests that check figures keep their point.
if ! locale -a | grep -qix 'de_DE.utf8' && [ "$(id -u)" -eq 0 ]; then
  localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "test.sh: no decimal-comma locale; its tests skip" >&2
fi
build=build-test
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${VEXMORA_SANITIZE:-0}" = 1 ]; then
  build=build-asan
  flags=(-DCMAKE_BUILD_TYPE=Debug -DVEXMORA_SANITIZE=ON)
elif [ "${VEXMORA_TSAN:-0}" = 1 ]; then
  build=build-tsan
  flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXMORA_TSAN=ON -DVEXMORA_BENCH=OFF)
  # Debian's Qt is not built for the checker: what happens inside it (its own locks, its thread
  # pool) is not ours to judge. Our hand-overs between threads use our own locks and are checked.
  export TSAN_OPTIONS="ignore_noninstrumented_modules=1 ${TSAN_OPTIONS:-}"
fi
cmake -S . -B "$build" "${flags[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
unset QT_QPA_PLATFORMTHEME
export QT_QPA_PLATFORM=offscreen
(cd "$build" && ctest --output-on-failure -j"$(nproc)")
# The package of a plain build: the desktop entry, the .deb's listing and its programs started.
if [ "$build" = build-test ]; then
  packaging/check-package.sh "$build"
fi
