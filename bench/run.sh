#!/usr/bin/env bash
# Builds velloa-cli (build/, as scripts/run.sh does), makes synthetic logs of
# 10,000, 100,000 and 1,000,000 blocks with tools/make_flight_log.py and times
# velloa-cli on them next to cat, grep and a plain Python script; then times
# velloa-cli on a log of each DJI family (A, B, C, D) of the same number of blocks.
#   bench/run.sh [--sizes "10000 100000"] [--runs N] [--videos-only | --memory-only]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh bench
command -v python3 >/dev/null || { echo "bench needs python3" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "bench needs GNU time (apt-get install time)" >&2; exit 1; }
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target velloa-cli velloa-stages -j "$(nproc)" >/dev/null
exec python3 bench/run.py "$@"
