#!/usr/bin/env python3
"""The estimated track against the truth: flights of known truth made by
tools/make_flight_log.py (--truth-out), converted by velloa-cli (--track
estimate), their way, median speed and top speed compared with the truth's.
   bench/accuracy.py [--smooth N] [--track design|estimate] [--cli PATH]
Prints one row per flight: the errors in per cent and the target they must
stay within ("-" where none is set)."""

import argparse
import csv
import os
import statistics
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# name, generator options, targets in per cent (way, median, top); a top
# speed target in m/s for a hover.
FLIGHTS = [
    ("D line 6 decimals", "--family D --fps 30 --path line --duration 60", (1, 1, 3)),
    ("D loop 5 decimals", "--family D --variant mavic3 --fps 30 --decimals 5 --path loop --length 800 --duration 60",
     (1, 1, 3)),
    ("D orbit 10 m, 8 m/s", "--family D --fps 30 --path orbit --radius 10 --speed 8 --duration 60", (1, 1, 3)),
    ("D orbit 30 m, 5 decimals", "--family D --fps 25 --decimals 5 --path orbit --radius 30 --duration 60",
     (1, 1, 3)),
    ("C line", "--family C --path line --duration 120", (2, 2, None)),
    ("C line north", "--family C --path line --heading 0 --duration 120", (2, 2, None)),
    ("B line east", "--family B --path line --heading 90 --duration 120", (2, 2, None)),
    ("C loop", "--family C --path loop --length 2000 --duration 240", (2, 2, None)),
    ("C orbit 50 m", "--family C --path orbit --radius 50 --speed 12 --duration 240", (3, 3, None)),
    ("B orbit 30 m", "--family B --path orbit --radius 30 --speed 12 --duration 240", (5, 5, None)),
    ("C hover on a border", "--family C --path hover --wander 0.5 --duration 300", (None, None, "1.5 m/s")),
    ("A orbit 30 m", "--family A --path orbit --radius 30 --speed 12 --duration 240", (None, None, None)),
    ("A line", "--family A --path line --duration 120", (None, None, None)),
]


def run(cli, options, smooth, track, folder):
    log, truth = os.path.join(folder, "f.SRT"), os.path.join(folder, "t.tsv")
    subprocess.run([sys.executable, os.path.join(ROOT, "tools", "make_flight_log.py"), "--line-ends", "lf",
                    "--truth-out", truth, log] + options.split(), check=True)
    subprocess.run([cli, "--quiet", "--no-srt", "--no-gpx", "--csv", "--smooth", str(smooth), "--track", track,
                    "--output-dir", folder, log], check=True)
    with open(os.path.join(folder, "f.csv"), newline="") as f:
        rows = list(csv.DictReader(f))
    with open(truth, newline="") as f:
        true = list(csv.DictReader(f, delimiter="\t"))
    return rows, true


def errors(rows, true):
    times = [int(r["cue_start_ms"]) / 1000.0 for r in true]
    speeds = [float(r["speed"]) for r in true]
    true_way = sum((speeds[i] + speeds[i + 1]) / 2 * (times[i + 1] - times[i]) for i in range(len(times) - 1))
    est = [float(r["speed_ms"]) for r in rows]
    way = float(rows[-1]["way_m"]) - float(rows[0]["way_m"])
    pct = (lambda got, want: 100.0 * (got - want) / want if want > 0 else float("nan"))
    return pct(way, true_way), pct(statistics.median(est), statistics.median(speeds)), pct(max(est), max(speeds)), max(est)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--smooth", type=int, default=5)
    parser.add_argument("--track", default="estimate", choices=("design", "estimate"))
    parser.add_argument("--cli", default=os.path.join(ROOT, "build", "src", "velloa-cli"))
    args = parser.parse_args()
    print("%-26s %8s %8s %8s %9s   %s" % ("flight", "way %", "median %", "top %", "top m/s", "targets"))
    for name, options, targets in FLIGHTS:
        with tempfile.TemporaryDirectory() as folder:
            way, median, top, top_ms = errors(*run(args.cli, options, args.smooth, args.track, folder))
        shown = "/".join("-" if t is None else str(t) for t in targets)
        print("%-26s %+8.2f %+8.2f %+8.2f %9.2f   %s" % (name, way, median, top, top_ms, shown))


if __name__ == "__main__":
    main()
