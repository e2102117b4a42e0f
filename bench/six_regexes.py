#!/usr/bin/env python3
"""A plain Python baseline for the benchmark: reads a flight log, applies six
regular expressions per block (the built-in input patterns) and sums the
great-circle steps between consecutive positions. Prints the block count and
the total in metres.

    six_regexes.py LOG
"""

import math
import re
import sys

PATTERNS = [
    r"^([0-9]*)$",
    r"(.{13}-->.{13})",
    r".*HOME[(]([-]?[0-9]+[.][0-9]*)[,]([-]?[0-9]+[.][0-9]*)[)]",
    r".*GPS[(]([-]?[0-9]+[.][0-9]*)[,]([-]?[0-9]+[.][0-9]*)[,]",
    r"HOME[(][-0-9., ]*[)][ ](20[0-9][0-9][.][0-9][0-9][.][0-9][0-9][ ][0-9:]{8})",
    r"BAROMETER[:]([-]?[0-9]*[.][0-9]*)",
]
RADIUS_M = 6378200.0


def distance(lat1, lon1, lat2, lon2):
    c1 = math.pi / 2 - math.radians(lat1)
    c2 = math.pi / 2 - math.radians(lat2)
    x = math.cos(c2) * math.cos(c1) + math.sin(c2) * math.sin(c1) * math.cos(math.radians(lon2 - lon1))
    return math.acos(max(-1.0, min(1.0, x))) * RADIUS_M


def main():
    with open(sys.argv[1], "rb") as f:
        text = f.read().decode("utf-8", "replace")
    expressions = [re.compile(p, re.DOTALL) for p in PATTERNS]
    ident, time, home, gps, fly, baro = expressions
    total = 0.0
    count = 0
    previous = None
    for block in re.split(r"\r?\n\r?\n", text):
        if not block.strip():
            continue
        count += 1
        ident.search(block)
        time.search(block)
        home.search(block)
        fly.search(block)
        baro.search(block)
        m = gps.search(block)
        if m:
            position = (float(m.group(2)), float(m.group(1)))
            if previous is not None and position != previous:
                total += distance(previous[0], previous[1], position[0], position[1])
            previous = position
    print(count, round(total, 1))


if __name__ == "__main__":
    main()
