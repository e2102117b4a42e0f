#!/usr/bin/env python3
"""Times velloa-cli on synthetic logs next to simple baselines (see run.sh)."""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "bench", "out")
CLI = os.path.join(ROOT, "build", "src", "velloa-cli")
STAGES = os.path.join(ROOT, "build", "bench", "velloa-stages")

# The built-in patterns written differently, so that QRegExp runs them.
EDITED_PATTERNS = [
    "ID=^(\\d*)$",
    "SrtTime=(.{13}--[>].{13})",
    "Home=.*HOME\\(([-]?[0-9]+[.][0-9]*)[,]([-]?[0-9]+[.][0-9]*)[)]",
    "GPS=.*GPS\\(([-]?[0-9]+[.][0-9]*)[,]([-]?[0-9]+[.][0-9]*)[,]",
    "FlyTime=HOME\\([-0-9., ]*[)][ ](20[0-9][0-9][.][0-9][0-9][.][0-9][0-9][ ][0-9:]{8})",
    "Barometer=BAROMETER:([-]?[0-9]*[.][0-9]*)",
]

# Reference figure of the issue that set the targets (not run here): the
# best-known public JavaScript parser of these logs, parse plus exports.
JS_PARSER_MB_S = 1.75


def make_log(blocks):
    path = os.path.join(OUT, "flight-%d.SRT" % blocks)
    if not os.path.exists(path):
        subprocess.run([sys.executable, os.path.join(ROOT, "tools", "make_flight_log.py"), "--blocks", str(blocks),
                        "--line-ends", "lf", "--seed", "1", path], check=True)
    return path


def timed(command):
    """Runs command under GNU time; returns (wall seconds, peak RSS in MB).
    The wall time is taken here, finer grained than time's own."""
    with tempfile.NamedTemporaryFile("r") as report:
        start = time.perf_counter()
        # Output goes to a pipe, not /dev/null: GNU grep stops at the first
        # match when it sees its output is /dev/null.
        subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name] + command, check=True,
                       stdout=subprocess.PIPE)
        wall = time.perf_counter() - start
        rss_kb = report.read().split()[-1]
    return wall, int(rss_kb) / 1024.0


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--sizes", default="10000 100000 1000000")
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    os.makedirs(OUT, exist_ok=True)
    converted = os.path.join(OUT, "converted")

    for blocks in [int(s) for s in args.sizes.split()]:
        log = make_log(blocks)
        mb = os.path.getsize(log) / 1e6
        commands = [
            ("cat", ["sh", "-c", 'cat "$0" > /dev/null', log]),
            ("grep -c GPS", ["grep", "-c", "GPS", log]),
            ("python, six regexes", [sys.executable, os.path.join(ROOT, "bench", "six_regexes.py"), log]),
            ("velloa-cli", [CLI, "--quiet", "--output-dir", converted, log]),
            ("velloa-cli, edited patterns", [CLI, "--quiet", "--output-dir", converted]
             + [a for p in EDITED_PATTERNS for a in ("--pattern", p)] + [log]),
        ]
        results = {}
        for _ in range(args.runs):  # interleaved, so that load affects all alike
            for name, command in commands:
                results.setdefault(name, []).append(timed(command))
        print("\n%d blocks, %.1f MB, median of %d runs (warm cache)" % (blocks, mb, args.runs))
        print("  %-30s %9s %10s %12s" % ("command", "wall s", "MB/s", "peak RSS MB"))
        medians = {}
        for name, _ in commands:
            wall = statistics.median(r[0] for r in results[name])
            rss = max(r[1] for r in results[name])
            medians[name] = wall
            rate = mb / wall if wall > 0 else float("inf")
            print("  %-30s %9.3f %10.1f %12.1f" % (name, wall, rate, rss))
        velloa = medians["velloa-cli"]
        velloa_rss = max(r[1] for r in results["velloa-cli"])
        print("  velloa-cli vs python: %.2fx faster; vs the JavaScript parser's %.2f MB/s: %.1fx;"
              " peak memory %.2fx the input" % (medians["python, six regexes"] / velloa, JS_PARSER_MB_S,
                                                mb / velloa / JS_PARSER_MB_S, velloa_rss / mb))
        if blocks == 100000:
            print("\nWhere the time goes (velloa-stages, in-process, median of %d):" % args.runs)
            sys.stdout.flush()
            subprocess.run([STAGES, log, str(args.runs)], check=True)
    shutil.rmtree(converted, ignore_errors=True)


if __name__ == "__main__":
    main()
