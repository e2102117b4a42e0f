#!/usr/bin/env python3
"""Writes a synthetic Mavic Pro flight log (.SRT) for tests and benchmarks.

One subtitle block per second, blocks separated by one empty line:

    <n>
    HH:MM:SS,mmm --> HH:MM:SS,mmm
    HOME(<home lon>,<home lat>) YYYY.MM.DD hh:mm:ss
    GPS(<lon>,<lat>,<satellites>) BAROMETER:<height>
    ISO:<iso> Shutter:<1/s> EV:<ev> Fnum:F2.2 

The camera line ends in a blank, as the drone writes it. Coordinates carry four decimals, as the drone writes them, so a flight at a
few metres per second moves in visible steps (1e-4 degree of latitude is
about 11 m): the position stands still for some records, then jumps, often
in one coordinate only, and GPS noise now and then flips a digit back and
forth. The path wanders: heading and speed follow a random walk. The output
depends only on the options; the same --seed gives the same bytes.
"""

import argparse
import datetime
import math
import random
import sys

METRES_PER_DEGREE = 111320.0  # along a meridian, close enough for a synthetic path


def positive_int(text):
    value = int(text)
    if value < 0:
        raise argparse.ArgumentTypeError("must not be negative")
    return value


def srt_time(ms):
    hours, rest = divmod(ms, 3600000)
    minutes, rest = divmod(rest, 60000)
    seconds, millis = divmod(rest, 1000)
    return "%02d:%02d:%02d,%03d" % (hours, minutes, seconds, millis)


def fmt(value, decimals):
    text = "%.*f" % (decimals, value)
    # Never print "-0.0000": the drone writes a plain zero.
    if float(text) == 0.0:
        text = text.lstrip("-")
    return text


def blocks(count, start_lat, start_lon, seed):
    rng = random.Random(seed)
    lat, lon = start_lat, start_lon
    heading = rng.uniform(0.0, 2.0 * math.pi)
    speed = rng.uniform(2.0, 5.0)  # metres per second
    height = rng.uniform(-0.4, -0.1)  # barometers often start a little below zero
    climb = rng.uniform(0.8, 1.5)
    stamp = datetime.datetime(2019, 6, 20, 12, 34, 56)
    home = (fmt(start_lon, 4), fmt(start_lat, 4))

    for n in range(1, count + 1):
        # GPS noise of about a metre around the true position.
        noisy_lat = lat + rng.gauss(0.0, 0.8) / METRES_PER_DEGREE
        noisy_lon = lon + rng.gauss(0.0, 0.8) / (METRES_PER_DEGREE * math.cos(math.radians(lat)))
        sats = rng.randint(14, 19)
        iso = rng.choice((100, 100, 100, 200))
        shutter = rng.choice((60, 120, 240, 320, 500))
        ev = rng.choice(("", "", "0.3", "-0.3", "0.7"))
        start_ms = (n - 1) * 1000
        yield [
            str(n),
            "%s --> %s" % (srt_time(start_ms), srt_time(start_ms + 1000)),
            "HOME(%s,%s) %s" % (home[0], home[1], stamp.strftime("%Y.%m.%d %H:%M:%S")),
            "GPS(%s,%s,%d) BAROMETER:%s" % (fmt(noisy_lon, 4), fmt(noisy_lat, 4), sats, fmt(height, 1)),
            "ISO:%d Shutter:%d EV:%s Fnum:F2.2 " % (iso, shutter, ev),
        ]

        # Move on by one second.
        heading += rng.gauss(0.0, 0.15)
        speed = min(8.0, max(0.5, speed + rng.gauss(0.0, 0.3)))
        lat += speed * math.cos(heading) / METRES_PER_DEGREE
        lon += speed * math.sin(heading) / (METRES_PER_DEGREE * math.cos(math.radians(lat)))
        if height < 40.0:
            height += climb
        else:
            height += rng.gauss(0.0, 0.2)
        stamp += datetime.timedelta(seconds=1)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output", nargs="?", default="-",
                        help="file to write (default: standard output)")
    parser.add_argument("--blocks", type=positive_int, default=600, help="number of blocks (seconds)")
    parser.add_argument("--line-ends", choices=("lf", "crlf"), default="crlf")
    parser.add_argument("--start-lat", type=float, default=-34.6037, help="take-off latitude")
    parser.add_argument("--start-lon", type=float, default=-58.3816, help="take-off longitude")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args(argv)

    eol = "\r\n" if args.line_ends == "crlf" else "\n"
    out = sys.stdout.buffer if args.output == "-" else open(args.output, "wb")
    try:
        for lines in blocks(args.blocks, args.start_lat, args.start_lon, args.seed):
            out.write((eol.join(lines) + eol + eol).encode("utf-8"))
    finally:
        if out is not sys.stdout.buffer:
            out.close()
        else:
            out.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main())
