#!/usr/bin/env bash
# A card of 20 per-frame clips of 3 minutes (one hour-long flight split as the
# drone splits it), converted with --jobs 2 and --jobs 1, runs alternated;
# prints the median wall time of each and their ratio.
#   bench/card.sh [RUNS]   (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target velloa-cli -j "$(nproc)" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/card" "$work/out"
python3 tools/make_flight_log.py --family D --duration 3600 --path loop --split 180 --line-ends lf "$work/card/DJI_"
declare -A times
for ((r = 0; r < runs; r++)); do
  for jobs in 2 1; do
    rm -f "$work/out"/*
    start=$(date +%s.%N)
    build/src/velloa-cli --quiet --all --jobs "$jobs" --output-dir "$work/out" "$work/card"
    times[$jobs]+="$(echo "$(date +%s.%N) - $start" | bc) "
  done
done
python3 - "${times[1]}" "${times[2]}" <<'PY'
import statistics, sys
one, two = (statistics.median(float(t) for t in s.split()) for s in sys.argv[1:3])
print("20 clips x 3 min, 30 blocks/s: --jobs 1 %.3f s, --jobs 2 %.3f s, ratio %.2f" % (one, two, two / one))
PY
