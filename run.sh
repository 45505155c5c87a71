#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts the desktop program on the simulated service.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DVEXMORA_BENCH=OFF >/dev/null
cmake --build build-release -j"$(nproc)" --target vexmora vexmora-cli
exec build-release/bin/vexmora "$@"
