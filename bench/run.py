#!/usr/bin/env python3
"""Times velloa-cli on synthetic logs next to simple baselines, on a log of
each DJI family of the same number of blocks, and on logs read from videos
(see run.sh)."""

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
    # GNU time's kilobytes are KiB; MB here are 10^6 bytes, as the inputs'.
    return wall, int(rss_kb) * 1024 / 1e6, status


# Instructions are counted (valgrind's callgrind, one run: the count does not
# depend on the machine's load) on logs of at most this many blocks.
COUNTED_BLOCKS = 100000


def instructions(command):
    """Millions of instructions that command executes, or None without valgrind."""
    if not shutil.which("valgrind"):
        return None
    run = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null"] + command,
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    counted = [line.split()[-1] for line in run.stderr.splitlines() if "Collected :" in line]
    return int(counted[-1]) / 1e6 if counted else None


def family_rows(blocks, runs, converted):
    """velloa-cli on a log of each family with the same number of blocks. A
    reader that refuses a family still gets its row, with the exit status."""
    logs = [(family, drone, make_log(blocks, family, options)) for family, drone, options in FAMILIES]
    results = {}
    for _ in range(runs):  # interleaved, as above
        for family, _, log in logs:
            results.setdefault(family, []).append(timed([CLI, "--quiet", "--output-dir", converted, log], False))
    print("\nvelloa-cli per log family, %d blocks each, median of %d runs" % (blocks, runs))
    print("  %-30s %7s %9s %10s %12s %5s %14s" % ("family", "MB", "wall s", "MB/s", "peak RSS MB", "exit",
                                                  "instructions M"))
    for family, drone, log in logs:
        mb = os.path.getsize(log) / 1e6
        wall = statistics.median(r[0] for r in results[family])
        rss = max(r[1] for r in results[family])
        status = ",".join(sorted({str(r[2]) for r in results[family]}))
        rate = mb / wall if wall > 0 else float("inf")
        counted = instructions([CLI, "--quiet", "--output-dir", converted, log]) if blocks <= COUNTED_BLOCKS else None
        print("  %-30s %7.1f %9.3f %10.1f %12.1f %5s %14s" % ("%s (%s)" % (family, drone), mb, wall, rate, rss, status,
                                                             "-" if counted is None else "%.1f" % counted))


# Logs read from a video's subtitle track: the same log as a .SRT, in a video
# of about 1 MB (a tiny picture a second) and in one of about 450 MB (a raw
# picture per block, of the size that gives it), both made here by the ffmpeg
# program (kept in bench/out/video, with no
# .SRT beside them, which would be read instead). Only the track's samples
# should be read: the big video within twice the small one's time.
VIDEOS = [
    ("A", "one block a second", 600, 1, ["--line-ends", "lf"]),
    ("D", "30 blocks a second", 3000, 30, ["--family", "D", "--variant", "mini3", "--fps", "30", "--line-ends", "lf"]),
]


def make_video(log, name, size, rate, seconds):
    path = os.path.join(OUT, "video", name)
    if not os.path.exists(path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                        "color=c=black:s=%s:r=%d:d=%d" % (size, rate, seconds), "-i", log, "-map", "0", "-map", "1",
                        "-c:v", "rawvideo", "-pix_fmt", "uyvy422", "-c:s", "mov_text", path + ".part.mov"], check=True)
        os.rename(path + ".part.mov", path)
    return path


def video_rows(runs, converted):
    for family, what, blocks, fps, options in VIDEOS:
        log = make_log(blocks, family, options)
        seconds = blocks // fps
        # One picture per block, 4:3, 2 bytes a pixel (uyvy422), 450 MB in all.
        height = int((450e6 / blocks / 2 * 3 / 4) ** 0.5) // 4 * 4
        big = "%dx%d" % (height * 4 // 3 // 4 * 4, height)
        inputs = [(".SRT", log),
                  ("video, small", make_video(log, "%s-%d-small.mov" % (family, blocks), "16x16", 1, seconds)),
                  ("video, big", make_video(log, "%s-%d-big.mov" % (family, blocks), big, fps, seconds))]
        results = {}
        for _ in range(runs):
            for name, path in inputs:
                results.setdefault(name, []).append(timed([CLI, "--quiet", "--output-dir", converted, path]))
        print("\nvelloa-cli on a log of layout %s (%s, %d blocks) from a .SRT and from videos, median of %d runs"
              % (family, what, blocks, runs))
        print("  %-30s %9s %9s %12s" % ("input", "MB", "wall s", "peak RSS MB"))
        medians = {}
        for name, path in inputs:
            medians[name] = statistics.median(r[0] for r in results[name])
            print("  %-30s %9.1f %9.3f %12.1f" % (name, os.path.getsize(path) / 1e6, medians[name],
                                                 max(r[1] for r in results[name])))
        print("  big video / small video: %.2fx (at most 2 wanted); small video / .SRT: %.2fx"
              % (medians["video, big"] / medians["video, small"], medians["video, small"] / medians[".SRT"]))
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


def overlay_rows(runs, converted):
    """The overlay video (velloa-cli --overlay), 1080p at 30 frames a second in
    the default codec, over a minute of a once-a-second log and of a log of a
    block per frame: how many times real time."""
    logs = [("once a second (C)", make_log(60, "C", ["--family", "C", "--line-ends", "lf", "--path", "loop"])),
            ("per frame (D, 30 fps)", make_log(1800, "D", ["--family", "D", "--fps", "30", "--line-ends", "lf",
                                                           "--path", "orbit", "--radius", "50"]))]
    results = {}
    for _ in range(runs):
        for name, log in logs:
            results.setdefault(name, []).append(timed([CLI, "--quiet", "--no-srt", "--no-gpx", "--overlay",
                                                       "--overlay-size", "1920x1080", "--overlay-fps", "30",
                                                       "--output-dir", converted, log]))
    print("\nOverlay video, 1080p, 30 frames a second, 60 s, png, median of %d runs" % runs)
    print("  %-30s %9s %12s %12s" % ("log", "wall s", "x real time", "peak RSS MB"))
    for name, _ in logs:
        wall = statistics.median(r[0] for r in results[name])
        print("  %-30s %9.2f %12.2f %12.1f" % (name, wall, 60.0 / wall, max(r[1] for r in results[name])))


# Long logs for the peak memory against the input: 100 hours of a block a
# second, and 9 1/4 hours of a block a frame (its track estimated).
LONG_LOGS = [
    ("A, once a second", 360000, "A", FAMILIES[0][2]),
    ("D, 30 blocks a second", 1000000, "D", FAMILIES[3][2]),
]


def memory_rows(runs, converted):
    print("\nPeak memory on long logs, both default outputs, %d runs" % runs)
    print("  %-40s %9s %9s %12s %8s" % ("log", "MB", "wall s", "peak RSS MB", "ratio"))
    for name, blocks, family, options in LONG_LOGS:
        log = make_log(blocks, family, options)
        results = [timed([CLI, "--quiet", "--output-dir", converted, log]) for _ in range(runs)]
        mb = os.path.getsize(log) / 1e6
        rss = max(r[1] for r in results)
        print("  %-40s %9.1f %9.3f %12.1f %7.2fx" % ("%s, %d blocks" % (name, blocks), mb,
                                                    statistics.median(r[0] for r in results), rss, rss / mb))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--sizes", default="10000 100000 1000000")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--videos-only", action="store_true", help="only the logs read from videos")
    parser.add_argument("--memory-only", action="store_true", help="only the peak memory on long logs")
    args = parser.parse_args()
    os.makedirs(OUT, exist_ok=True)
    converted = os.path.join(OUT, "converted")

    if args.memory_only:
        memory_rows(args.runs, converted)
        shutil.rmtree(converted, ignore_errors=True)
        return
    for blocks in [] if args.videos_only else [int(s) for s in args.sizes.split()]:
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
    if not args.videos_only:
        memory_rows(args.runs, converted)
    video_rows(args.runs, converted)
    overlay_rows(args.runs, converted)
    shutil.rmtree(converted, ignore_errors=True)


if __name__ == "__main__":
    main()
