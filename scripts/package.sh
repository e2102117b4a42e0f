#!/usr/bin/env bash
# Installs what is missing, builds Velloa in build/ and makes the Debian
# package build/velloa_<version>_<arch>.deb with CPack. Install it with
#   sudo apt install ./build/velloa_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh package
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target velloa velloa-cli velloa_desktop_files -j "$(nproc)"
rm -f build/velloa_*.deb
(cd build && cpack -G DEB >/dev/null)
ls build/velloa_*.deb
