#!/usr/bin/env python3
"""Writes a synthetic DJI flight log (.SRT) for tests and benchmarks.

One simulated flight (--path), written in the layout of a DJI drone family (--family,
--variant; the layouts are described in the README): A, B and C one block per second with
cues from 0, D one block per video frame at --fps. Coordinates carry --decimals decimals,
so positions move in steps of the last decimal (1e-4 degree of latitude is about 11 m).
Before a fix A writes GPS(N/A,N/A,n) or zeros (--no-fix-style), the others zeros.

The paths: walk (heading and speed follow a random walk simulated once a second, with GPS
noise of about a metre; the barometer starts a little below zero, climbs to --height and
wanders), line (--speed along --heading), hover (stands still, the last decimal of each
coordinate jittering; with --wander, on a cell border wandering without jitter), loop (one lap of two straights joined by half circles, --length
metres, then standing still), orbit (circles of --radius to the right, for ever),
antimeridian (a line east across longitude 180 from latitude -16.8, crossing it half-way).
Except for walk and hover the height climbs at --climb to --height. Per-frame blocks
interpolate between the walk's seconds; the other paths are exact at every cue start.
Distances are on a sphere of 111,320 m per degree (radius 6378.2 km).

--records-out writes one TSV row per block with what the block holds ("-" where absent),
--camera-out likewise the camera fields as printed (CAMERA_COLUMNS),
--truth-out the true position, height and speeds at each cue start. The same options and
--seed give the same bytes. --joined puts the clips of --split into one file (the cues start
again at 0 in it); --then appends the log of other options (a second drone: its account rows
follow). --no-cues (D) writes a number, a dotted date line and the fields, and the account the
cues taken from the dates; --radians (D) prints positions in radians, the account too.
--time-zone writes the dates on the clock of a zone (IANA name): --start-time is read in it
(the first reading of a repeated hour), and the dates of later blocks are that instant plus the
flight time, on the zone's clock, so they jump when its clocks change. --variant old (A) writes
the older firmware's layout: an unpadded date `2017.8.5` and `Hb:h Hs:0.0` for BAROMETER.
--no-heights (B, C, D) leaves out every height field (the account "-").
"""

import argparse
import collections
import datetime
import itertools
import math
import os
import random
import shlex
import sys
import zoneinfo

METRES_PER_DEGREE = 111320.0  # along a meridian, close enough for a synthetic path
SPHERE_RADIUS = METRES_PER_DEGREE * 180.0 / math.pi
FAMILIES = ("A", "B", "C", "D")
VARIANTS = {"A": ("mavicpro", "old"), "B": ("m300",), "C": ("p4p", "mini2", "rtk"),
            "D": ("mini3", "mavic2", "air2", "mavic3", "h20")}
DEFAULT_DECIMALS = {"A": 4, "B": 4, "C": 4, "D": 6}
FRAME_RATES = (1, 24, 25, 30, 50, 60)
START = datetime.datetime(2019, 6, 20, 12, 34, 56)
CLIP = [0, 0]  # --split: the clip being written and the flight time (ms) of its first cue
ZONE = None  # --time-zone
RADIANS = False  # --radians
D_CLOCK_OFFSET_US = 104625  # family D's clock runs a fraction of a second off the cues
ABS_ALT_ERROR = 26.512  # abs_alt is often tens of metres off
RECORD_COLUMNS = ("cue_start_ms", "cue_end_ms", "local_time", "lat", "lon",
                  "home_lat", "home_lon", "height", "msl")
CAMERA_COLUMNS = ("iso", "shutter", "fnum", "ev", "ct", "focal_len", "dzoom")
TRUTH_COLUMNS = ("cue_start_ms", "lat", "lon", "height", "speed", "vspeed")


def positive_int(text):
    value = int(text)
    if value < 0:
        raise argparse.ArgumentTypeError("must not be negative")
    return value


def srt_time(ms):
    return "%02d:%02d:%02d,%03d" % (ms // 3600000, ms // 60000 % 60, ms // 1000 % 60, ms % 1000)


def fmt(value, decimals):
    text = "%.*f" % (decimals, value)
    # Never print "-0.0000": the drone writes a plain zero.
    if float(text) == 0.0:
        text = text.lstrip("-")
    return text


def normalised_lon(lon):
    return (lon + 180.0) % 360.0 - 180.0


def distance(lat1, lon1, lat2, lon2):
    """Haversine distance in metres on the generator's sphere."""
    p1, p2 = math.radians(lat1), math.radians(lat2)
    dp, dl = p2 - p1, math.radians(lon2 - lon1)
    a = math.sin(dp / 2) ** 2 + math.cos(p1) * math.cos(p2) * math.sin(dl / 2) ** 2
    return 2.0 * SPHERE_RADIUS * math.asin(min(1.0, math.sqrt(a)))


# --- The simulated flight -------------------------------------------------------------

# What the drone knows at one instant: the true position (lat, lon), the position its
# receiver reports (fix_lat, fix_lon: with noise, before rounding), the height above
# take-off, horizontal and vertical speed (m/s), heading (degrees from north), and the
# receiver's and camera's state of that second.
State = collections.namedtuple("State", "lat lon fix_lat fix_lon height speed vspeed heading sats iso shutter ev")
Second = collections.namedtuple("Second", "lat lon fix_lat fix_lon height sats iso shutter ev")


def draw_camera(rng):
    """Satellites and exposure of one second (drawn in this order)."""
    return (rng.randint(14, 19), rng.choice((100, 100, 100, 200)), rng.choice((60, 120, 240, 320, 500)),
            rng.choice(("", "", "0.3", "-0.3", "0.7")))


class RandomWalk:
    """Heading and speed follow a random walk, stepped once a second; the receiver adds
    noise of about a metre. The order of the random draws is fixed, so that the same
    seed always gives the same flight."""

    def __init__(self, rng, start_lat, start_lon, level):
        self.rng = rng
        self.lat, self.lon = start_lat, start_lon
        self.heading = rng.uniform(0.0, 2.0 * math.pi)
        self.speed = rng.uniform(2.0, 5.0)  # metres per second
        self.height = rng.uniform(-0.4, -0.1)  # barometers often start a little below zero
        self.climb = rng.uniform(0.8, 1.5)
        self.level = level
        self.seconds = []  # the last seconds stepped; blocks ask for them in time order
        self.first = 0  # the second that self.seconds[0] is

    def _step(self):
        rng = self.rng
        if self.seconds or self.first:  # move on by one second
            self.heading += rng.gauss(0.0, 0.15)
            self.speed = min(8.0, max(0.5, self.speed + rng.gauss(0.0, 0.3)))
            self.lat += self.speed * math.cos(self.heading) / METRES_PER_DEGREE
            self.lon += self.speed * math.sin(self.heading) / (METRES_PER_DEGREE * math.cos(math.radians(self.lat)))
            self.height += self.climb if self.height < self.level else rng.gauss(0.0, 0.2)
        # GPS noise of about a metre around the true position.
        noisy_lat = self.lat + rng.gauss(0.0, 0.8) / METRES_PER_DEGREE
        noisy_lon = self.lon + rng.gauss(0.0, 0.8) / (METRES_PER_DEGREE * math.cos(math.radians(self.lat)))
        self.seconds.append(Second(self.lat, self.lon, noisy_lat, noisy_lon, self.height, *draw_camera(rng)))

    def second(self, k):
        while self.first + len(self.seconds) <= k:
            self._step()
            if len(self.seconds) > 2:
                del self.seconds[0]
                self.first += 1
        return self.seconds[k - self.first]

    def at(self, t):
        k = int(math.floor(t))
        a, b = self.second(k), self.second(k + 1)
        f = t - k
        lerp = (lambda x, y: x if f == 0.0 else x + (y - x) * f)
        north = (b.lat - a.lat) * METRES_PER_DEGREE
        east = (b.lon - a.lon) * METRES_PER_DEGREE * math.cos(math.radians(a.lat))
        return State(lerp(a.lat, b.lat), lerp(a.lon, b.lon), lerp(a.fix_lat, b.fix_lat),
                     lerp(a.fix_lon, b.fix_lon), lerp(a.height, b.height),
                     distance(a.lat, a.lon, b.lat, b.lon), b.height - a.height,
                     math.degrees(math.atan2(east, north)), a.sats, a.iso, a.shutter, a.ev)


class PlannedPath:
    """A path given as a function of time: exact positions, no receiver noise."""

    def __init__(self, rng, args):
        self.rng = rng
        self.args = args
        self.lat0, self.lon0 = args.start_lat, args.start_lon
        if args.wander:
            # On the border between two cells of the last decimal, both ways.
            half = 0.5 * 10.0 ** -args.decimals
            self.lat0, self.lon0 = round(self.lat0, args.decimals) + half, round(self.lon0, args.decimals) + half
        self.camera_second, self.camera_state = -1, None
        # loop: straight, half circle, straight back, half circle
        self.radius = radius = args.radius if args.path == "orbit" else args.length / (4.0 + 2.0 * math.pi)
        self.legs = {"hover": [], "loop": [(2.0 * radius, "line", args.heading), (math.pi * radius, "turn", args.heading),
                                           (2.0 * radius, "line", args.heading + 180.0),
                                           (math.pi * radius, "turn", args.heading + 180.0)],
                     "orbit": [(math.inf, "turn", args.heading)]}.get(args.path, [(math.inf, "line", args.heading)])
        self.lap = sum(leg[0] for leg in self.legs)

    def camera(self, k):
        while self.camera_second < k:
            self.camera_state = draw_camera(self.rng)
            self.camera_second += 1
        return self.camera_state

    def _ground(self, s):
        """East and north offsets in metres and heading after s metres along the path."""
        east = north = 0.0
        heading = self.args.heading
        for length, kind, start_heading in self.legs:
            step = min(s, length)
            h = math.radians(start_heading)
            if kind == "line":
                east += step * math.sin(h)
                north += step * math.cos(h)
                heading = start_heading
            else:  # a right-hand half circle of self.radius
                turned = step / self.radius
                # centre to the right of the heading
                ce, cn = east + self.radius * math.cos(h), north - self.radius * math.sin(h)
                h2 = h + turned
                east, north = ce - self.radius * math.cos(h2), cn + self.radius * math.sin(h2)
                heading = start_heading + math.degrees(turned)
            s -= step
            if s <= 0.0:
                break
        return east, north, heading

    def _wander(self, t):
        """The hover of --wander: slow circles of --wander metres around the start."""
        w, a, b = self.args.wander, 2.0 * math.pi / 13.0, 2.0 * math.pi / 19.0
        north, east = w * math.sin(a * t + 1.0), w * math.sin(b * t + 2.0)
        vn, ve = w * a * math.cos(a * t + 1.0), w * b * math.cos(b * t + 2.0)
        lat = self.lat0 + north / METRES_PER_DEGREE
        lon = self.lon0 + east / (METRES_PER_DEGREE * math.cos(math.radians(self.lat0)))
        return State(lat, lon, lat, lon, self.args.height, math.hypot(vn, ve), 0.0,
                     math.degrees(math.atan2(ve, vn)), *self.camera(int(math.floor(t))))

    def at(self, t):
        args = self.args
        if args.path == "hover":
            moving, s, height, vspeed = False, 0.0, args.height, 0.0
            if args.wander:
                return self._wander(t)
        else:
            s = args.speed * t
            moving = s < self.lap
            s = min(s, self.lap)
            climbing = args.climb > 0.0 and args.climb * t < args.height
            height = args.climb * t if climbing else args.height
            vspeed = args.climb if climbing else 0.0
        east, north, heading = self._ground(s)
        lat = self.lat0 + north / METRES_PER_DEGREE
        lon = normalised_lon(self.lon0 + east / (METRES_PER_DEGREE * math.cos(math.radians(self.lat0))))
        speed = args.speed if moving else 0.0
        heading = (heading + 180.0) % 360.0 - 180.0
        return State(lat, lon, lat, lon, height, speed, vspeed, heading, *self.camera(int(math.floor(t))))


# --- Blocks: what every family shares -------------------------------------------------

# One block to write: its number, cue, the state at the cue start, whether the receiver
# has a fix, the hover jitter (steps of the last decimal) and whether it is cut short.
Sample = collections.namedtuple("Sample", "n start_ms end_ms state fix jitter truncated")


def samples(args, flight, rate, count):
    jitter_rng = random.Random("hover-%d" % args.seed)
    for i in range(count):
        start_ms = int(math.floor(i * 1000.0 / rate + 0.5))
        end_ms = int(math.floor((i + 1) * 1000.0 / rate + 0.5))
        jitter = (jitter_rng.randint(0, 1), jitter_rng.randint(0, 1)) if args.path == "hover" and not args.wander else (0, 0)
        yield Sample(i + 1, start_ms, end_ms, flight.at(start_ms / 1000.0), start_ms >= args.no_fix * 1000,
                     jitter, args.truncate and i == count - 1)


def split(stream, seconds):
    """The blocks as the drone writes a flight over clips of `seconds`: each clip's cues
    and counter start again at 0 and 1 (CLIP says which clip a block belongs to)."""
    base = None
    for sample in stream:
        if seconds and sample.start_ms // int(seconds * 1000) != CLIP[0]:
            CLIP[:] = [sample.start_ms // int(seconds * 1000), sample.start_ms]
            base = None
        if base is None:
            base = sample
        yield sample._replace(n=sample.n - base.n + 1, start_ms=sample.start_ms - base.start_ms,
                              end_ms=sample.end_ms - base.start_ms)


def coord(value, steps, decimals):
    """A coordinate as the drone prints it, moved by the hover jitter."""
    if steps:
        value = round(value, decimals) + steps * 10.0 ** -decimals
    return fmt(value, decimals)


def position(sample, decimals):
    """(lat, lon) text as printed (RADIANS: in radians), or None without a fix."""
    s, k = sample.state, math.pi / 180.0 if RADIANS else 1.0
    return (coord(s.fix_lat * k, sample.jitter[0], decimals), coord(s.fix_lon * k, sample.jitter[1], decimals)) if sample.fix else None


class Home:
    """The home point: the true position at the first block with a fix."""

    def __init__(self):
        self.lat = self.lon = None

    def update(self, sample):
        if sample.fix and self.lat is None:
            self.lat, self.lon = sample.state.lat, sample.state.lon
        return self.lat is not None


def record(sample, local_time=None, pos=None, home=None, height=None, msl=None):
    """One TSV row; None is written "-"."""
    pos = pos or (None, None)
    home = home or (None, None)
    values = (sample.start_ms, sample.end_ms, local_time, pos[0], pos[1], home[0], home[1], height, msl)
    return ["-" if v is None else str(v) for v in values]


def clock(microseconds):
    """The date the drone writes `microseconds` after START: on the clock of ZONE, where given."""
    if ZONE is None:
        return START + datetime.timedelta(microseconds=microseconds)
    start = START.replace(tzinfo=ZONE, fold=0).astimezone(datetime.timezone.utc)
    return (start + datetime.timedelta(microseconds=microseconds)).astimezone(ZONE).replace(tzinfo=None)


def iso_time(stamp):
    return stamp.strftime("%Y-%m-%dT%H:%M:%S.") + "%03d" % (stamp.microsecond // 1000)


def ev_text(ev):
    return ev or "0"


def cue_line(sample):
    return "%s --> %s" % (srt_time(sample.start_ms), srt_time(sample.end_ms))


# --- One writer per family --------------------------------------------------------------
# Each yields (lines, record) per block.

def family_a(args, stream):
    d = args.decimals
    home = Home()
    for sample in stream:
        s = sample.state
        stamp = clock(1000 * (CLIP[1] + sample.start_ms))
        old = args.variant == "old"
        date = ("%d.%d.%d " % (stamp.year, stamp.month, stamp.day) + stamp.strftime("%H:%M:%S") if old
                else stamp.strftime("%Y.%m.%d %H:%M:%S"))
        cue = cue_line(sample)
        home_text = (fmt(home.lat, d), fmt(home.lon, d)) if home.update(sample) else (fmt(0.0, d), fmt(0.0, d))
        pos = position(sample, d)
        if pos:
            gps = "GPS(%s,%s,%d)" % (pos[1], pos[0], s.sats)
        elif args.no_fix_style == "na":
            gps = "GPS(N/A,N/A,%d)" % (s.sats - 12)
        else:
            gps = "GPS(%s,%s,%d)" % (fmt(0.0, d), fmt(0.0, d), s.sats - 12)
        height = fmt(s.height, 1)
        args.camera = (s.iso, s.shutter, "F2.2", s.ev or None)
        yield [str(sample.n), cue, "HOME(%s,%s) %s" % (home_text[1], home_text[0], date),
               ("%s Hb:%s Hs:0.0" if old else "%s BAROMETER:%s") % (gps, height), "ISO:%d Shutter:%d EV:%s Fnum:F2.2 " % (s.iso, s.shutter, s.ev)], \
            record(sample, iso_time(stamp), pos, home_text if home.lat is not None else None, height)


def family_b(args, stream):
    d = args.decimals
    for sample in stream:
        s = sample.state
        stamp = clock(1000 * (CLIP[1] + sample.start_ms))
        pos = position(sample, d)
        printed = pos or (fmt(0.0, d), fmt(0.0, d))
        height = None if args.no_heights else fmt(s.height, 1)
        yield [str(sample.n), cue_line(sample), stamp.strftime("%Y.%m.%d %H:%M:%S"),
               "GPS(%s,%s,0.0M)" % (printed[0], printed[1]) + ("" if height is None else " BAROMETER:%sM" % height)], \
            record(sample, iso_time(stamp), pos, None, height)


def family_c(args, stream):
    d = args.decimals
    variant = args.variant
    home = Home()
    for sample in stream:
        s = sample.state
        cue = cue_line(sample)
        pos = position(sample, d)
        printed = pos or (fmt(0.0, d), fmt(0.0, d))
        fixed = home.update(sample)
        from_home = distance(home.lat, home.lon, s.lat, s.lon) if fixed and pos else 0.0
        height = None if args.no_heights else fmt(s.height, 2)
        fields = ["F/%s" % ("5.6" if variant == "rtk" else "2.8"), "SS %d" % s.shutter, "ISO %d" % s.iso,
                  "EV %s" % ev_text(s.ev)]
        args.camera = (s.iso, s.shutter, fields[0][2:], ev_text(s.ev), None, None,
                       "1.000" if variant == "mini2" else None)
        if variant == "mini2":
            fields.append("DZOOM 1.000")
        fields.append("%s (%s, %s, %d)" % ("RTK" if variant == "rtk" else "GPS", printed[1], printed[0],
                                           s.sats if pos else s.sats - 12))
        home_text = None
        if variant == "rtk":
            home_text = (fmt(home.lat, d), fmt(home.lon, d)) if fixed else None
            shown = home_text or (fmt(0.0, d), fmt(0.0, d))
            fields.append("HOME (%s, %s, %sm)" % (shown[1], shown[0], fmt(args.take_off_msl if fixed else 0.0, 2)))
        fields += ["D %sm" % fmt(from_home, 2)] + ([] if height is None else ["H %sm" % height]) + [
            "H.S %sm/s" % fmt(s.speed, 2)] + ([] if height is None else ["V.S %sm/s" % fmt(s.vspeed, 2)])
        if variant == "rtk":
            fields.append("F.PRY (%s°, 0.0°, %s°)" % (fmt(-0.8 * s.speed, 1), fmt(s.heading, 1)))
            fields.append("G.PRY (-30.0°, 0.0°, %s°)" % fmt(s.heading, 1))
        yield [str(sample.n), cue, ", ".join(fields) + " "], record(sample, None, pos, home_text, height)


def family_d(args, stream):
    d = args.decimals
    v = args.variant
    old = v in ("mavic2", "air2")  # blanks before the colons, comma date, [altitude: z]
    for sample in stream:
        s = sample.state
        stamp = clock(D_CLOCK_OFFSET_US + 1000 * (CLIP[1] + sample.start_ms))
        diff = sample.end_ms - sample.start_ms
        head = ('<font size="36">%s : %d, DiffTime : %dms' % ("SrtCnt" if v == "air2" else "FrameCnt", sample.n, diff)
                if old else '<font size="28">FrameCnt: %d, DiffTime: %dms' % (sample.n, diff))
        date = (stamp.strftime("%Y-%m-%d %H:%M:%S,") + "%03d,%03d" % divmod(stamp.microsecond, 1000) if old
                else stamp.strftime("%Y-%m-%d %H:%M:%S.") + "%03d" % (stamp.microsecond // 1000))
        lines = [str(sample.n), cue_line(sample), head, date]
        if args.no_cues:
            lines = [str(sample.n), date.replace("-", ".")]
        pos = position(sample, d)
        printed = pos or (fmt(0.0, d), fmt(0.0, d))
        height = msl = None
        if old:
            msl = fmt(args.take_off_msl + s.height, 6)
            camera = ("[iso : %d] [shutter : 1/%d.0] [fnum : 280] [ev : %s] [ct : 5600] [color_md : default] "
                      "[focal_len : 240] " % (s.iso, s.shutter, (s.ev or "0")))
            where = ("[latitude : %s] [longtitude : %s] [altitude: %s] " if v == "mavic2"
                     else "[latitude: %s] [longitude: %s] [altitude: %s] ") % (printed[0], printed[1], msl)
        else:
            height = fmt(s.height, 3)
            msl = fmt(args.take_off_msl + s.height + ABS_ALT_ERROR, 3)
            camera = ("[iso: %d] [shutter: 1/%d.0] [fnum: %s] [ev: %s] [ct: 5300] [color_md : default] "
                      "[focal_len: %s] " % (s.iso, s.shutter, "1.7" if v == "mini3" else "2.8", (s.ev or "0"),
                                            "4.50" if v == "h20" else "24.00"))
            if v == "mini3":
                camera += "[dzoom_ratio: 10000, delta:0],"
            where = "[latitude: %s] [longitude: %s] [rel_alt: %s abs_alt: %s] " % (printed[0], printed[1], height, msl)
        if args.no_heights:
            height = msl = None
            where = where[:where.index("[rel_alt" if "[rel_alt" in where else "[altitude")]
        args.camera = (s.iso, "1/%d.0" % s.shutter, "280" if old else "1.7" if v == "mini3" else "2.8", ev_text(s.ev),
                       5600 if old else 5300, "240" if old else "4.50" if v == "h20" else "24.00",
                       {"mini3": "10000", "h20": "1.00"}.get(v))
        gimbal = "[gb_yaw: %s gb_pitch: -30.0 gb_roll: 0.0] " % fmt(s.heading, 1)
        if v == "mavic3":
            where += gimbal
        if v == "h20":
            h = math.radians(s.heading)
            lines += [camera + where,
                      "[drone_speedx: %s drone_speedy: %s drone_speedz: %s] " % (
                          fmt(s.speed * math.cos(h), 1), fmt(s.speed * math.sin(h), 1), fmt(-s.vspeed, 1)),
                      gimbal, "", "0", "[dzoom_ratio: 1.00] </font>"]
        else:
            lines.append(camera + where + ("" if args.no_cues else "</font>"))
        yield lines, record(sample, iso_time(stamp), pos, None, height, msl)


WRITERS = {"A": family_a, "B": family_b, "C": family_c, "D": family_d}


def write(out, blocks, eol, family):
    """Family C separates blocks by two empty lines and ends without a line end; the
    others end every block with an empty line. A truncated block ends after its last
    line's line end."""
    first = True
    for lines, truncated in blocks:
        text = eol.join(lines) + eol
        if family == "C":
            if not first:
                text = eol + eol + eol + text
            if not truncated:
                text = text[:-len(eol)]
        elif not truncated:
            text += eol
        out.write(text.encode("utf-8"))
        first = False


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0], epilog="\n".join(__doc__.splitlines()[2:]),
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    add = parser.add_argument
    add("output", nargs="?", default="-", help="file to write (default: standard output)")
    add("--family", choices=FAMILIES, default="A")
    add("--variant", help="A: mavicpro (default), old; C: p4p (default), mini2, rtk; D: mini3 (default), mavic2, air2, mavic3, h20")
    add("--blocks", type=positive_int, default=600, help="number of blocks")
    add("--duration", type=float, help="seconds of flight (instead of --blocks)")
    add("--fps", type=int, choices=FRAME_RATES, help="family D: blocks per second (default 30)")
    add("--decimals", type=int, help="decimals of latitude and longitude (A, B, C: 4; D: 6)")
    add("--line-ends", choices=("lf", "crlf"), default="crlf")
    add("--path", choices=("walk", "line", "hover", "loop", "orbit", "antimeridian"), default="walk")
    add("--speed", type=float, default=12.0, help="m/s (line, loop, antimeridian)")
    add("--heading", type=float, default=60.0, help="degrees from north (line, loop)")
    add("--length", type=float, default=2000.0, help="metres of the loop")
    add("--height", type=float, default=40.0, help="level height above take-off, metres")
    add("--climb", type=float, default=1.0, help="m/s up to --height (line, loop, antimeridian)")
    add("--take-off-msl", type=float, default=25.0, help="take-off height above sea level (D altitude, C RTK home)")
    add("--start-lat", type=float, help="take-off latitude (default -34.6037; antimeridian -16.8)")
    add("--start-lon", type=float, help="take-off longitude (default -58.3816; antimeridian: half the flight west of 180)")
    add("--no-fix", type=positive_int, default=0, help="seconds without a fix at the start")
    add("--no-fix-style", choices=("na", "zero"), default="na", help="family A without a fix: GPS(N/A,N/A,n) or zeros")
    add("--truncate", action="store_true", help="cut the last block short")
    add("--records-out", help="TSV of what each block holds")
    add("--camera-out", help="TSV of the camera fields of each block as printed")
    add("--truth-out", help="TSV of the true position, height and speed of each block")
    add("--seed", type=int, default=1)
    add("--split", type=float, help="seconds per clip: writes OUTPUT0001.SRT, ... (cues from 0)")
    add("--first-counter", type=int, default=1, help="--split: the first clip's number")
    add("--start-time", help="the local time of the first block, YYYY-MM-DD hh:mm:ss")
    add("--joined", action="store_true", help="--split: the clips one after another in OUTPUT")
    add("--then", help="options of a log to append to OUTPUT (a file), its account rows too")
    add("--radius", type=float, default=30.0, help="metres of the orbit")
    add("--wander", type=float, default=0.0,
        help="hover: placed on the border of two cells of the last decimal, wandering this many metres around it")
    add("--no-cues", action="store_true", help="D: no cue line and no frame line, dates with dots")
    add("--radians", action="store_true", help="D: latitude and longitude in radians")
    add("--time-zone", help="the zone whose clock the dates are written on (IANA name)")
    add("--no-heights", action="store_true", help="B, C, D: no height fields")
    args = parser.parse_args(argv)
    global START, RADIANS, ZONE
    RADIANS = args.radians
    ZONE = zoneinfo.ZoneInfo(args.time_zone) if args.time_zone else None
    if args.no_heights and args.family == "A":
        parser.error("--no-heights is for families B, C and D")
    CLIP[:] = [0, 0]
    if args.start_time:
        START = datetime.datetime.strptime(args.start_time, "%Y-%m-%d %H:%M:%S")

    variants = VARIANTS[args.family]
    if args.variant is None:
        args.variant = variants[0]
    elif args.variant not in variants:
        parser.error("family %s has the variants %s" % (args.family, ", ".join(variants)))
    args.decimals = DEFAULT_DECIMALS[args.family] if args.decimals is None else args.decimals
    if not 1 <= args.decimals <= 9:
        parser.error("--decimals must be between 1 and 9")
    if args.fps is not None and args.family != "D":
        parser.error("--fps is for family D; the others write one block per second")
    args.fps = args.fps or 30
    rate = args.fps if args.family == "D" else 1
    count = args.blocks if args.duration is None else int(round(args.duration * rate))
    if args.start_lat is None:
        args.start_lat = -16.8 if args.path == "antimeridian" else -34.6037
    if args.start_lon is None:
        if args.path == "antimeridian":
            east = args.speed * math.sin(math.radians(args.heading))
            if east <= 0.0:
                parser.error("the antimeridian path needs a --heading with an eastward part")
            half_way = east * count / rate / 2.0
            args.start_lon = 180.0 - half_way / (METRES_PER_DEGREE * math.cos(math.radians(args.start_lat)))
        else:
            args.start_lon = -58.3816

    rng = random.Random(args.seed)
    flight = RandomWalk(rng, args.start_lat, args.start_lon, args.height) if args.path == "walk" else PlannedPath(rng, args)
    records, truth, camera = ["\t".join(RECORD_COLUMNS)], ["\t".join(TRUTH_COLUMNS)], ["\t".join(CAMERA_COLUMNS)]
    stream, copy = itertools.tee(split(samples(args, flight, rate, count), args.split))

    def produced():
        for sample, (lines, row) in zip(stream, WRITERS[args.family](args, copy)):
            if sample.truncated:  # cut after the cue line (family D: after the date line)
                keep, held = (4, 3) if args.family == "D" else (2, 2)
                lines, row = lines[:keep], row[:held] + ["-"] * (9 - held)
            s = sample.state
            if args.records_out:
                records.append("\t".join(row))
            values = tuple(getattr(args, "camera", ()) if not sample.truncated else ())
            camera.append("\t".join("-" if v is None else str(v) for v in values + (None,) * (len(CAMERA_COLUMNS) - len(values))))
            args.camera = ()
            if args.truth_out:
                truth.append("%d\t%.9f\t%.9f\t%.4f\t%.4f\t%.4f" % (sample.start_ms, s.lat, s.lon, s.height, s.speed, s.vspeed))
            yield lines, sample.truncated

    eol = "\r\n" if args.line_ends == "crlf" else "\n"
    if args.split and not args.joined:
        for clip, blocks in itertools.groupby(produced(), key=lambda _: CLIP[0]):
            with open("%s%04d.SRT" % (args.output, args.first_counter + clip), "wb") as f:
                write(f, blocks, eol, args.family)
    else:
        out = sys.stdout.buffer if args.output == "-" else open(args.output, "wb")
        write(out, produced(), eol, args.family)
        out.flush()
    if args.no_cues and len(records) > 2:  # the last block lasts as long as the one before it
        before, last = records[-2].split("\t"), records[-1].split("\t")
        records[-1] = "\t".join([last[0], str(int(last[0]) + int(before[1]) - int(before[0]))] + last[2:])
    for name, rows in ((args.records_out, records), (args.truth_out, truth), (args.camera_out, camera)):
        if name:
            with open(name, "w", encoding="utf-8", newline="\n") as f:
                f.write("\n".join(rows) + "\n")
    if args.then:  # the second log after an empty line, its rows after these
        more = [name and name + ".then" for name in (args.output, args.records_out, args.truth_out, args.camera_out)]
        main(shlex.split(args.then) + ["--line-ends", args.line_ends, more[0]] + [
            "--%s-out=%s" % (kind, name) for kind, name in zip(("records", "truth", "camera"), more[1:]) if name])
        for name, then in zip((args.output, args.records_out, args.truth_out, args.camera_out), more):
            if name:
                with open(name, "ab") as f, open(then, "rb") as g:
                    data = g.read()
                    f.write((eol.encode() * 2 if name == args.output and args.family == "C" else b"")
                            + (data if name == args.output else data.split(b"\n", 1)[1]))
                os.remove(then)
    return 0


if __name__ == "__main__":
    sys.exit(main())
