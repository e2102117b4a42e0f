#!/usr/bin/env bash
# Installs what is missing, builds Velloa in build/ and starts the window.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target velloa velloa-cli -j "$(nproc)"
exec build/src/velloa "$@"
