#!/usr/bin/env python3
"""Times velloa-cli on synthetic logs next to simple baselines, and on a log of
each DJI family of the same number of blocks (see run.sh)."""

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


# One log of every family (tools/make_flight_log.py --family), the same flight and number
# of blocks; A is the log of the rows above. B keeps its drone's CR LF line ends.
FAMILIES = [
    ("A", "Mavic Pro", ["--line-ends", "lf"]),
    ("B", "Matrice 300", ["--family", "B", "--line-ends", "crlf"]),
    ("C", "Phantom 4 Pro", ["--family", "C", "--line-ends", "lf"]),
    ("D", "Mini 3, 30 fps", ["--family", "D", "--variant", "mini3", "--fps", "30", "--line-ends", "lf"]),
]


def make_log(blocks, family="A", options=("--line-ends", "lf")):
    name = "flight-%d.SRT" % blocks if family == "A" else "flight-%s-%d.SRT" % (family, blocks)
    path = os.path.join(OUT, name)
    if not os.path.exists(path):
        subprocess.run([sys.executable, os.path.join(ROOT, "tools", "make_flight_log.py"), "--blocks", str(blocks)]
                       + list(options) + ["--seed", "1", path], check=True)
    return path


def timed(command, check=True):
    """Runs command under GNU time; returns (wall seconds, peak RSS in MB,
    exit status). The wall time is taken here, finer grained than time's own."""
    with tempfile.NamedTemporaryFile("r") as report:
        start = time.perf_counter()
        # Output goes to a pipe, not /dev/null: GNU grep stops at the first
        # match when it sees its output is /dev/null.
        status = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name] + command, check=check,
                                stdout=subprocess.PIPE).returncode
        wall = time.perf_counter() - start
        rss_kb = report.read().split()[-1]
    return wall, int(rss_kb) / 1024.0, status


def family_rows(blocks, runs, converted):
    """velloa-cli on a log of each family with the same number of blocks. A
    reader that refuses a family still gets its row, with the exit status."""
    logs = [(family, drone, make_log(blocks, family, options)) for family, drone, options in FAMILIES]
    results = {}
    for _ in range(runs):  # interleaved, as above
        for family, _, log in logs:
            results.setdefault(family, []).append(timed([CLI, "--quiet", "--output-dir", converted, log], False))
    print("\nvelloa-cli per log family, %d blocks each, median of %d runs" % (blocks, runs))
    print("  %-30s %7s %9s %10s %12s %5s" % ("family", "MB", "wall s", "MB/s", "peak RSS MB", "exit"))
    for family, drone, log in logs:
        mb = os.path.getsize(log) / 1e6
        wall = statistics.median(r[0] for r in results[family])
        rss = max(r[1] for r in results[family])
        status = ",".join(sorted({str(r[2]) for r in results[family]}))
        rate = mb / wall if wall > 0 else float("inf")
        print("  %-30s %7.1f %9.3f %10.1f %12.1f %5s" % ("%s (%s)" % (family, drone), mb, wall, rate, rss, status))


def pattern_rows(blocks, runs, converted):
    """The subtitle file alone, of a per-frame log, with the default pattern
    and with bench/every-placeholder.txt (every placeholder once)."""
    log = make_log(blocks, "D", FAMILIES[3][2])
    every = os.path.join(ROOT, "bench", "every-placeholder.txt")
    commands = [("default pattern", []), ("every placeholder", ["--out-pattern-file", every])]
    results = {}
    for _ in range(runs):
        for name, extra in commands:
            results.setdefault(name, []).append(
                timed([CLI, "--quiet", "--no-gpx", "--output-dir", converted] + extra + [log])[0])
    mb = os.path.getsize(log) / 1e6
    print("\nSubtitle file of a per-frame log (D, 30 fps), %d blocks, median of %d runs" % (blocks, runs))
    medians = {name: statistics.median(results[name]) for name, _ in commands}
    for name, _ in commands:
        print("  %-30s %9.3f s %10.1f MB/s" % (name, medians[name], mb / medians[name]))
    print("  every placeholder: %.0f %% of the default pattern's throughput"
          % (100.0 * medians["default pattern"] / medians["every placeholder"]))


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
        family_rows(blocks, args.runs, converted)
        if blocks == 100000:
            pattern_rows(blocks, args.runs, converted)
        if blocks == 100000:
            print("\nWhere the time goes (velloa-stages, in-process, median of %d):" % args.runs)
            sys.stdout.flush()
            subprocess.run([STAGES, log, str(args.runs)], check=True)
    shutil.rmtree(converted, ignore_errors=True)


if __name__ == "__main__":
    main()
