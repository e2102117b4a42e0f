#!/usr/bin/env python3
"""Derives the expected outputs of the reference cases from their input logs.

This is a second, independent implementation of Velloa's rules, written from
the documented behaviour and not from the C++ code: reading a log (line ends,
blocks, the six patterns, filling unmatched Home/GPS/Barometer values from
neighbouring records), the track passes (smoothing sweeps of the positions,
or spread and averaged speeds without them, the way counting rule), the
subtitle expansion, and the GPX route over the records as parsed with step 5.
The options of the case's `args` file are honoured: --smooth, --way-before,
--pattern, --out-pattern-file, --no-srt, --no-gpx (others are ignored).

A case of another log layout holds expected.records.tsv, written by the log
generator with the log: what each block holds. The records are then taken
from it instead of the patterns, and a log of several blocks per second runs
the per-frame passes: smoothing on the positions nearest each whole second
of cue time, interpolated back; speed over one second around each point;
way in steps of at least a metre; haversine distances. A log outside the six
patterns has its track estimated; its cases are derived at --smooth=0, where
the estimate is the logged positions: each speed the haversine step to the
next record over its time (the last record's the step before it, a step of no
time 0), the way the sum of the steps, the distance from home haversine. A
log of several recordings (a cue that runs backwards, a date more
than 2 s ahead of its recording's cues but not by a change of the clocks) is
smoothed and measured recording by
recording, the way running on across each join, and its route sampled
recording by recording; a per-frame log whose positions all lie within pi/2
and pi is read in radians (the account then holds them as logged). The older
firmware's layout (Hb) and the logs of the other layouts without any height
have rules of their own (older_firmware_fly_times, no_heights).

Numbers are rounded the way the program writes them (as Qt writes them): the
exact binary value rounded to n decimals, a value exactly half-way away from
zero (heights such as -0.25 are exact in binary).

A case whose args ask for the outputs for other programs (--all, --kml, ...)
also gets expected.track.gpx, .kml, .csv and .geojson (see other_outputs).

Usage: derive_expected.py CASE_FOLDER...   (writes expected.sorned.srt and
expected.gpx beside each folder's flight.SRT; a log without records gets
neither, its expected.stderr and expected.exit are written by hand)
"""

import datetime
import decimal
import json
import math
import re
import sys
import zoneinfo
from decimal import Decimal, ROUND_HALF_UP
from pathlib import Path

decimal.getcontext().prec = 200  # every double's exact value fits

RADIUS_M = 6378200.0
PI = 3.141592653589793
HALF_PI = 1.5707963267948966

PATTERNS = {
    "ID": r"^([0-9]*)$",
    "SrtTime": r"(.{13}-->.{13})",
    "Home": r".*HOME[(]([-]?[0-9]+[.][0-9]*)[,]([-]?[0-9]+[.][0-9]*)[)]",
    "GPS": r".*GPS[(]([-]?[0-9]+[.][0-9]*)[,]([-]?[0-9]+[.][0-9]*)[,]",
    "FlyTime": r"HOME[(][-0-9., ]*[)][ ](20[0-9][0-9][.][0-9][0-9][.][0-9][0-9][ ][0-9:]{8})",
    "Barometer": r"BAROMETER[:]([-]?[0-9]*[.][0-9]*)",
}

DEFAULT_PATTERN_LF = ("{ID}\n{SrtTime}\n{FlyTime}   GPS:{GPS}   Hb:{Barometer}\n"
                      "Dst: {Distance}m   Spd: {SpeedMS}m/s  ({SpeedKMH}km/h)   Way: {Way}m\n\n")

GPX_HEADER = (
    '<?xml version="1.0"?>\r\n'
    '<gpx version="1.1" creator="velloa.example"'
    ' xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"'
    ' xmlns="http://www.topografix.com/GPX/1/1"'
    ' xsi:schemaLocation="http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd">\r\n'
    "<rte>\r\n"
)
GPX_FOOTER = "</rte>\r\n</gpx>\r\n"


def compile_pattern(text):
    # The block is searched as a whole: "." takes line ends too, "^" and "$"
    # stand only for the start and the very end of the block. An invalid
    # pattern never matches.
    if text.endswith("$"):
        text = text[:-1] + r"\Z"
    try:
        return re.compile(text, re.DOTALL)
    except re.error:
        return re.compile(r"(?!)")


def fixed(value, decimals):
    if math.isnan(value):
        return "nan"
    if value == 0.0:
        value = 0.0  # a negative zero is written without its sign
    exact = Decimal(value)
    step = Decimal(1).scaleb(-decimals)
    return str(exact.quantize(step, rounding=ROUND_HALF_UP))


def to_number(text):
    try:
        return float(text)
    except ValueError:
        return 0.0


def split_blocks(data):
    # The text ends at the first NUL, a leading mark is no text; a block is a
    # maximal run of non-empty lines with the line ends between them.
    text = data.split(b"\0", 1)[0].decode("utf-8", errors="replace").removeprefix("\ufeff")
    return re.findall(r"[^\r\n]+(?:(?:\r\n|\n|\r)[^\r\n]+)*", text)


def parse(data, patterns):
    compiled = {name: compile_pattern(p) for name, p in patterns.items()}
    records, matched = [], []
    for block in split_blocks(data):
        r = dict(Id="", SrtTime="not found", HomeLat=0.0, HomeLon=0.0, Lat=0.0, Lon=0.0,
                 FlyTime="", Barometer=0.0, Speed=0.0, Way=0.0)
        m = {name: rx.search(block) for name, rx in compiled.items()}
        r["Id"] = m["ID"].group(1) if m["ID"] else ""
        for name in ("Home", "GPS"):  # 0, 0 is no fix
            if m[name] and to_number(m[name].group(1)) == 0.0 and to_number(m[name].group(2)) == 0.0:
                m[name] = None
        for name, keys in (("SrtTime", ["SrtTime"]), ("FlyTime", ["FlyTime"]), ("Home", ["HomeLon", "HomeLat"]),
                           ("GPS", ["Lon", "Lat"]), ("Barometer", ["Barometer"])):
            for n, key in enumerate(keys if m[name] else []):
                text = m[name].group(n + 1)
                r[key] = text if name.endswith("Time") else to_number(text)
        records.append(r)
        matched.append(m)

        r["Cue"] = cue_ms(r["SrtTime"])
    fill(records, matched)
    return records


def cue_ms(text):
    m = re.search(r"(\d+):(\d\d):(\d\d)[,.](\d\d\d) *--> *(\d+):(\d\d):(\d\d)[,.](\d\d\d)", text)
    if not m:
        return None
    v = [int(g) for g in m.groups()]
    return ((v[0] * 60 + v[1]) * 60 + v[2]) * 1000 + v[3]


def fill(records, matched):
    # Unmatched Home, GPS or Barometer: nearest earlier match, else nearest
    # later one, else 0; a log without any home point takes the first fix.
    fields = {"GPS": ("Lat", "Lon"), "Home": ("HomeLat", "HomeLon"), "Barometer": ("Barometer",), "Cue": ("Cue",)}
    for r, m in zip(records, matched):
        m["Cue"] = r["Cue"] is not None
    for name, keys in fields.items():
        sources = [i for i, m in enumerate(matched) if m[name]]
        for i, m in enumerate(matched):
            if m[name] or not sources:
                continue
            earlier = [j for j in sources if j < i]
            j = earlier[-1] if earlier else min(j for j in sources if j > i)
            for key in keys:
                records[i][key] = records[j][key]
    if not any(m["Home"] for m in matched):
        for r in records:
            r["HomeLat"], r["HomeLon"] = records[0]["Lat"], records[0]["Lon"]


def read_tsv(path):
    # The generator's account of each block ("-": the block has no value).
    records, matched = [], []
    rows = [line.split("\t") for line in path.read_text().splitlines()[1:]]
    value = lambda text: None if text == "-" else float(text)
    for start, end, local, lat, lon, hlat, hlon, height, msl in rows:
        c = f"{int(start) // 3600000:02}:{int(start) // 60000 % 60:02}:{int(start) // 1000 % 60:02},{int(start) % 1000:03}"
        e = f"{int(end) // 3600000:02}:{int(end) // 60000 % 60:02}:{int(end) // 1000 % 60:02},{int(end) % 1000:03}"
        records.append(dict(SrtTime=f"{c} --> {e}", Cue=int(start), Local=None if local == "-" else local, FlyTime="" if local == "-" else
                            local[:19].replace("-", ".").replace("T", " "), Lat=value(lat) or 0.0, Lon=value(lon) or 0.0,
                            HomeLat=value(hlat) or 0.0, HomeLon=value(hlon) or 0.0, Barometer=value(height) or 0.0,
                            Msl=value(msl), Speed=0.0, Way=0.0))
        matched.append(dict(GPS=lat != "-", Home=hlat != "-", Barometer=height != "-"))
    fill(records, matched)
    # A per-frame log whose every position lies within pi/2 and pi is in radians.
    spans = sorted(b["Cue"] - a["Cue"] for a, b in zip(records, records[1:]))
    fixes = [r for r, m in zip(records, matched) if m["GPS"]]
    scale = 180.0 / PI if spans and spans[len(spans) // 2] < 500 and fixes and all(
        abs(r["Lat"]) <= PI / 2 and abs(r["Lon"]) <= PI for r in fixes) else 1.0
    for r in records:
        r["Scale"] = scale
        for key in ("Lat", "Lon", "HomeLat", "HomeLon") if scale != 1.0 else ():
            r[key] *= scale
    if not any(m["Barometer"] for m in matched) and any(r["Msl"] is not None for r in records):
        msl = [r["Msl"] for r in records]
        for i in range(len(msl)):  # above sea level only: counted from the first
            msl[i] = msl[i] if msl[i] is not None else next(
                [v for v in msl[:i][::-1] if v is not None] + [v for v in msl[i:] if v is not None])
        for r, m in zip(records, msl):
            r["Barometer"] = m - msl[0]
    return records


def haversine(lat1, lon1, lat2, lon2):
    k = PI / 180.0
    s, t = math.sin((lat2 - lat1) * k / 2), math.sin((lon2 - lon1) * k / 2)
    a = s * s + math.cos(lat1 * k) * math.cos(lat2 * k) * t * t
    return 2.0 * RADIUS_M * math.asin(min(1.0, math.sqrt(a)))


def derive_logged(records, way_before):
    """An estimated recording at --smooth=0: the positions as logged."""
    w, n = way_before(records) if callable(way_before) else way_before, len(records)
    for i, r in enumerate(records):
        if i:
            w += haversine(records[i - 1]["Lat"], records[i - 1]["Lon"], r["Lat"], r["Lon"])
        r["Way"] = w
        a = i if i + 1 < n else max(i - 1, 0)
        b = min(a + 1, n - 1)
        seconds = (records[b]["Cue"] - records[a]["Cue"]) / 1000.0
        d = haversine(records[a]["Lat"], records[a]["Lon"], records[b]["Lat"], records[b]["Lon"])
        r["Speed"] = d / seconds if seconds > 0 else 0.0


def derive_per_frame(records, smoothing, way_before):
    t = [r["Cue"] for r in records]
    if smoothing > 0 and t[-1] > t[0]:
        seconds, i = [], 0
        for k in range((t[-1] - t[0]) // 1000 + 2):  # the record nearest each whole second
            while i + 1 < len(t) and abs(t[i + 1] - t[0] - k * 1000) <= abs(t[i] - t[0] - k * 1000):
                i += 1
            seconds.append(dict(records[i]))
        for _ in range(smoothing):
            sweep(seconds, "Lat")
            sweep(seconds, "Lon")
        for r in records:
            u = (r["Cue"] - t[0]) / 1000.0
            k = min(max(0, math.floor(u)), len(seconds) - 2)
            f = min(max(u - k, 0.0), 1.0)
            for key in ("Lat", "Lon"):
                r[key] = seconds[k][key] + (seconds[k + 1][key] - seconds[k][key]) * f
    for i, r in enumerate(records):  # from half a second before to half a second after
        a = max([j for j in range(i + 1) if t[j] <= t[i] - 500] or [0])
        b = min([j for j in range(i, len(t)) if t[j] >= t[i] + 500] or [len(t) - 1])
        d = haversine(records[a]["Lat"], records[a]["Lon"], records[b]["Lat"], records[b]["Lon"])
        r["Speed"] = d / ((t[b] - t[a]) / 1000.0) if t[b] > t[a] else 0.0
    w, k = way_before(records) if callable(way_before) else way_before, 0
    for i, r in enumerate(records):
        step = haversine(records[k]["Lat"], records[k]["Lon"], r["Lat"], r["Lon"])
        if step >= 1.0 or (i == len(records) - 1 and step > 0.0):
            w, k = w + step, i
        r["Way"] = w


def distance(lat1, lon1, lat2, lon2):
    if any(math.isnan(v) or math.isinf(v) for v in (lat1, lon1, lat2, lon2)):
        return float("nan")
    if lat1 == lat2 and lon1 == lon2:
        return 0.0
    c1 = HALF_PI - (lat1 * PI) / 180
    c2 = HALF_PI - (lat2 * PI) / 180
    d = ((lon2 - lon1) * PI) / 180
    x = math.cos(c2) * math.cos(c1) + math.sin(c2) * math.sin(c1) * math.cos(d)
    return math.acos(min(1.0, max(-1.0, x))) * RADIUS_M



def sweep(records, key, skip_nan=False):
    for j in range(len(records) - 1):
        a, b = records[j][key], records[j + 1][key]
        if skip_nan and math.isnan(b - a):
            continue
        h = (b - a) * 0.5
        records[j][key] = a + h
        records[j + 1][key] = b - h


def derive_track(records, smoothing, way_before):
    for _ in range(smoothing):
        sweep(records, "Lat")  # Lat and Lon are independent: one sweep each
        sweep(records, "Lon")
    for i in range(len(records) - 1):
        a, b = records[i], records[i + 1]
        a["Speed"] = distance(a["Lat"], a["Lon"], b["Lat"], b["Lon"])
        if a["Cue"] is not None and b["Cue"] is not None and b["Cue"] - a["Cue"] > 0 and b["Cue"] - a["Cue"] != 1000:
            a["Speed"] /= (b["Cue"] - a["Cue"]) / 1000.0  # a gap in the cues is elapsed time
    if smoothing < 1:
        # Without smoothing each step is shared with the (up to four) exact
        # zeros after it, then the speeds are averaged in three sweeps.
        i = 0
        while i < len(records):
            n = 1
            while n < 5 and i + n < len(records) and records[i + n]["Speed"] == 0.0:
                n += 1
            share = records[i]["Speed"] / n
            for r in records[i:i + n]:
                r["Speed"] = share
            i += n
        for _ in range(3):
            sweep(records, "Speed", skip_nan=True)
    w, k = way_before(records) if callable(way_before) else way_before, 0
    for i, r in enumerate(records):
        r["Way"] = w
        lat_changed = not (r["Lat"] == records[k]["Lat"])
        lon_changed = not (r["Lon"] == records[k]["Lon"])
        if (lat_changed and lon_changed) or ((lat_changed or lon_changed) and i - k >= 5):
            w += distance(records[k]["Lat"], records[k]["Lon"], r["Lat"], r["Lon"])
            r["Way"] = w
            k = i


def expand(record, index, pattern, per_frame=False):
    far = haversine if record.get("Haversine", per_frame) else distance
    text = pattern
    values = [
        ("{ID}", lambda: str(index + 1)),
        ("{SrtTime}", lambda: record["SrtTime"]),
        ("{GPS}", lambda: fixed(record["Lon"], 4) + "," + fixed(record["Lat"], 4)),
        ("{Home}", lambda: fixed(record["HomeLon"], 4) + "," + fixed(record["HomeLat"], 4)),
        ("{Barometer}", lambda: "" if record.get("NoHeights") else fixed(record["Barometer"], 1)),
        ("{FlyTime}", lambda: record["FlyTime"]),
        ("{Distance}", lambda: fixed(far(record["HomeLat"], record["HomeLon"],
                                              record["Lat"], record["Lon"]), 1)),
        ("{SpeedMS}", lambda: fixed(record["Speed"], 2)),
        ("{SpeedKMH}", lambda: fixed((record["Speed"] * 0.001) * 3600, 1)),
        ("{Way}", lambda: fixed(record["Way"], 1)),
    ]
    for name, value in values:
        if name in text:
            text = text.replace(name, value())
    return text


def gpx(records, step=5, per_frame=False, parts=None):
    sampled = []
    for a, b, frames in parts or [(0, len(records), per_frame)]:  # each recording on its own
        sampled += records[a:b:step]
        if frames:  # the first record, then the first at or after every further 5 s of cue
            del sampled[len(sampled) - len(records[a:b:step]):]
            due = None
            for r in records[a:b]:
                if due is None or r["Cue"] >= due:
                    sampled.append(r)
                    due = r["Cue"] + 5000 if due is None else due + 5000 * ((r["Cue"] - due) // 5000 + 1)
    present = any(not (r["Barometer"] == 0.0) for r in sampled)
    offset = 0
    for r in sampled:
        if float(offset) > r["Barometer"]:
            offset = int(r["Barometer"])  # truncation toward zero
    out = [GPX_HEADER]
    for n, r in enumerate(sampled):
        if n > 0 and r["Lat"] == sampled[n - 1]["Lat"] and r["Lon"] == sampled[n - 1]["Lon"]:
            continue
        point = f'<rtept lat="{fixed(r["Lat"], 5)}" lon="{fixed(r["Lon"], 5)}">\r\n'
        if present:
            point += f"<ele>{fixed(r['Barometer'] - offset, 2)}</ele>\r\n"
        out.append(point + "</rtept>\r\n")
    out.append(GPX_FOOTER)
    return "".join(out)


# --- The outputs for other programs (GPX track, KML, CSV, GeoJSON) ------------------
# Written for a case whose args ask for them (--all, --gpx-track, --kml, --csv,
# --geojson) from its expected.records.tsv: the path is the records with a fix
# (per frame: of the records whose cue rounds to the same second, the fix
# nearest that second), at the positions as read, each recording on its own;
# a UTC time is its recording's first dated block's date, turned into UTC in
# the zone of --time-zone by Python's zoneinfo, plus the cue time since, and
# the local time is that instant on the zone's clock (clock_times).

LAYOUT_NAMES = (("[latitude", "bracketed fields"), ("Hb:", "HOME and GPS fields with Hb"), ("HOME(", "HOME and GPS fields"),
                ("GPS (", "comma-separated fields"), ("RTK (", "comma-separated fields"), ("GPS(", "GPS latitude first"))


def utc_ms(local, zone):
    # A skipped local time takes the offset before the change, a repeated one
    # the first reading (fold=0 gives both).
    naive = datetime.datetime.fromisoformat(local)
    sign = re.fullmatch(r"([+-])(\d\d):(\d\d)", zone)
    if sign:
        offset = datetime.timedelta(hours=int(sign[2]), minutes=int(sign[3])) * (1 if sign[1] == "+" else -1)
        aware = naive.replace(tzinfo=datetime.timezone(offset))
    else:
        aware = naive.replace(tzinfo=zoneinfo.ZoneInfo(zone), fold=0)
    return round(aware.timestamp() * 1000)


def iso(ms, milliseconds, utc):
    t = datetime.datetime(1970, 1, 1) + datetime.timedelta(milliseconds=ms)
    return t.strftime("%Y-%m-%dT%H:%M:%S") + (".%03d" % (t.microsecond // 1000) if milliseconds else "") + ("Z" if utc else "")


def nearest_filled(values):
    # The nearest earlier value that is not None, else the nearest later one.
    given = [i for i, v in enumerate(values) if v is not None]
    return [values[max([j for j in given if j <= i] or [min(given)])] for i in range(len(values))] if given else values


def flight_points(folder, parsed, derived, per_frame, zone, parts, radius=0.0):
    clocks = clock_times(parsed, parts, zone)
    """Every record as the outputs see it: the values as read (None: absent),
    the filled and derived ones, and the samples of the path, one segment a
    recording."""
    rows = [line.split("\t") for line in (folder / "expected.records.tsv").read_text().splitlines()[1:]]
    value = lambda text: None if text == "-" else float(text)
    msl = nearest_filled([value(r[8]) for r in rows])
    points, local, running = [], [], 0
    for a, b, _ in parts:
        base = None
        for p in parsed[a:b]:
            logged = local_ms(p)
            if logged is not None and (base is None or logged > base[0] + p["Cue"] - base[1] + 2000):
                base = (logged, p["Cue"])
            local.append(None if logged is None else iso(base[0] + p["Cue"] - base[1], True, False))
        if a:  # the time runs on across a join: by the local times where both sides have them, else the last span
            gap = (local_ms(dict(Local=local[a])) - local_ms(dict(Local=local[a - 1])) if local[a - 1] and (local[a] or "") > local[a - 1]
                   else int(rows[a - 1][1]) - parsed[a - 1]["Cue"])
            running += parsed[a - 1]["Cue"] + gap - parsed[a]["Cue"]
        for row in rows[a:b]:
            row.append(int(row[0]) + running)
    for row, p, d, alt, (utc, lt) in zip(rows, parsed, derived, msl, clocks):
        far = haversine if d["Haversine"] else distance
        points.append(dict(Start=int(row[0]), End=int(row[1]), Time=row[9], Local=lt,
                           Lat=value(row[3]), Lon=value(row[4]), Height=value(row[7]), Msl=value(row[8]),
                           FilledHeight=p["Barometer"], FilledMsl=alt, HomeLat=p["HomeLat"], HomeLon=p["HomeLon"],
                           Speed=d["Speed"], Way=d["Way"], Far=far(p["HomeLat"], p["HomeLon"], d["Lat"], d["Lon"]),
                           Utc=utc))
    zone_points(points, radius)
    segments = []
    for a, b, frames in parts:
        samples = [i for i in range(a, b) if points[i]["Lat"] is not None and not points[i]["Hidden"]]
        if frames:
            second = lambda i: (points[i]["Start"] + 500) // 1000
            runs = {}
            for i in samples:
                best = runs.get(second(i))
                if best is None or abs(points[i]["Start"] - 1000 * second(i)) < abs(points[best]["Start"] - 1000 * second(i)):
                    runs[second(i)] = i
            samples = sorted(runs.values())
        segments += [samples] if samples or not segments else []
    segments = zone_cut(points, segments) if radius > 0 else segments
    has_msl = any(p["Msl"] is not None for p in points)
    elevations = has_msl or any(p["Height"] is not None for p in points)
    # A recording without heights above sea level (another drone's clip) has
    # no elevation where the others give them.
    logged = [any(points[i]["Msl"] is not None for i in range(a, b)) for a, b, _ in parts]
    for k, (a, b, _) in enumerate(parts):
        for p in points[a:b]:
            e = (p["FilledMsl"] if logged[k] else None) if has_msl else p["FilledHeight"]
            p["Ele"] = e if elevations and e is not None and math.isfinite(e) else None
    spans = [p["End"] - p["Start"] for p in points[:parts[0][1]] if p["End"] > p["Start"]][:60]
    rate = round(1000 * len(spans) / sum(spans))
    text = (folder / "flight.SRT").read_bytes().decode("utf-8", "replace")
    first = next(b for b in split_blocks(text.encode()) if any(mark in b for mark, _ in LAYOUT_NAMES))
    layout = next(name for mark, name in LAYOUT_NAMES if mark in first)  # the layout of the first blocks
    milliseconds = per_frame or any(p["Local"] and not p["Local"].endswith(".000") for p in points)
    return dict(points=points, samples=sum(segments, []), segments=segments, radius=radius, has_msl=has_msl, elevations=elevations, rate=rate, camera=log_camera(folder),
                format=f"{layout}, {rate} block{'s' if rate > 1 else ''} per second", ms=milliseconds)


def track_gpx(f):
    out = ['<?xml version="1.0" encoding="UTF-8"?>\n<gpx xmlns="http://www.topografix.com/GPX/1/1"'
           ' xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" version="1.1" creator="velloa.example"'
           ' xsi:schemaLocation="http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd">\n'
           '  <trk>\n']
    for segment in f["segments"]:  # one segment a recording
        out.append("    <trkseg>\n")
        for p in (f["points"][i] for i in segment):
            inner = ([f"        <ele>{fixed(p['Ele'], 2)}</ele>\n"] if p["Ele"] is not None else []) + (
                [f"        <time>{iso(p['Utc'], f['ms'], True)}</time>\n"] if p["Utc"] is not None else [])
            start = f'      <trkpt lat="{fixed(p["Lat"], 6)}" lon="{fixed(p["Lon"], 6)}"'
            out.append(start + (">\n" + "".join(inner) + "      </trkpt>\n" if inner else "/>\n"))
        out.append("    </trkseg>\n")
    return "".join(out) + "  </trk>\n</gpx>\n"


def kml(f):
    # Heights above take-off wherever the log gives them; above sea level
    # only where it gives nothing else.
    pts, samples = f["points"], f["samples"]
    relative = any(p["Height"] is not None for p in pts)
    mode = "relativeToGround" if relative else "absolute" if f["has_msl"] else "clampToGround"
    ele = lambda p: (p["FilledHeight"] if relative else p["Ele"])
    where = lambda p, sep, zero: sep.join([fixed(p["Lon"], 6), fixed(p["Lat"], 6)] + (
        [fixed(ele(p) if ele(p) is not None else 0.0, 2)] if ele(p) is not None or zero else []))
    out = ['<?xml version="1.0" encoding="UTF-8"?>\n<kml xmlns="http://www.opengis.net/kml/2.2"'
           ' xmlns:gx="http://www.google.com/kml/ext/2.2">\n  <Document>\n    <name>Flight</name>\n'
           '    <Style id="path">\n      <LineStyle>\n        <color>ff00a5ff</color>\n        <width>3</width>\n'
           '      </LineStyle>\n    </Style>\n'
           + ('' if f["radius"] > 0 else  # no home point with a privacy zone
              f'    <Placemark>\n      <name>Home</name>\n      <Point>\n        <coordinates>{fixed(pts[0]["HomeLon"], 6)},'
              f'{fixed(pts[0]["HomeLat"], 6)}</coordinates>\n      </Point>\n    </Placemark>\n')]
    # Several recordings: one placemark of several lines (and of several tracks).
    segments = f["segments"]
    timed = [t for t in ([i for i in segment if pts[i]["Utc"] is not None] for segment in segments) if t]
    for name, parts, multi in (("Path", segments if samples else [], "MultiGeometry"), ("Replay", timed, "gx:MultiTrack")):
        d = "  " * (len(parts) > 1)
        out.append(f"    <Placemark>\n      <name>{name}</name>\n      <styleUrl>#path</styleUrl>\n"
                   + f"      <{multi}>\n" * (len(parts) > 1) if parts else "")
        for part in parts:
            shape = "gx:Track" if name == "Replay" else "LineString" if len(part) > 1 else "Point"
            out.append(f"{d}      <{shape}>\n{d}        <altitudeMode>{mode}</altitudeMode>\n" + (
                "".join(f"{d}        <when>{iso(pts[i]['Utc'], f['ms'], True)}</when>\n" for i in part)
                + "".join(f"{d}        <gx:coord>{where(pts[i], ' ', True)}</gx:coord>\n" for i in part) if name == "Replay" else
                f"{d}        <coordinates>" + "\n".join(where(pts[i], ",", False) for i in part) + "</coordinates>\n")
                + f"{d}      </{shape}>\n")
        out.append(f"      </{multi}>\n" * (len(parts) > 1) + "    </Placemark>\n" if parts else "")
    return "".join(out) + "  </Document>\n</kml>\n"


# The camera fields as each layout prints them, read from the log's own text
# (one block a record), in the generator's account's order.
CAMERA_FIELDS = (r"(?:ISO[: ]|\[iso\s*:)\s*(\d+)", r"(?:Shutter:|SS |\[shutter\s*:\s*)([\d./]+)",
                 r"(?:Fnum:|\[fnum\s*:\s*)(F?[\d.]+)|(?<!\w)(F/[\d.]+)", r"(?:EV:|EV |\[ev\s*:\s*)([-+]?[\d./]*)",
                 r"\[ct\s*:\s*(\d+)", r"\[focal_len\s*:\s*([\d.]+)", r"(?:DZOOM |\[dzoom_ratio\s*:\s*)([\d.]+)")
CSV_CAMERA = (("iso", "{ISO}"), ("shutter_s", "{Shutter}"), ("f_number", "{FNumber}"), ("ev", "{EV}"),
              ("focal_length_mm", "{FocalLength}"), ("color_temp_k", "{ColorTemp}"), ("digital_zoom", "{DigitalZoom}"))


def log_camera(folder):
    rows = []
    for block in split_blocks((folder / "flight.SRT").read_bytes()):
        found = [re.search(field, block) for field in CAMERA_FIELDS]
        rows.append(camera_texts([next((g for g in m.groups() if g is not None), "-") if m else "-" for m in found]))
    return rows


def csv(f):
    camera = [(name, key) for name, key in CSV_CAMERA if any(row[key] for row in f["camera"])]
    zone = f["radius"] > 0  # no distance from home, no row whose position lies in the zone
    out = ["cue_start_s,time_utc,time_local,latitude,longitude,height_m,altitude_m,"
           "speed_ms,speed_kmh," + "distance_home_m," * (not zone) + "way_m" + "".join("," + name for name, _ in camera) + "\r\n"]
    number = lambda v, n: "" if v is None or not math.isfinite(v) else fixed(v, n)
    for p, row in zip(f["points"], f["camera"]):
        if p["Hidden"]:
            continue
        local = p["Local"] and p["Local"][:23 if f["ms"] else 19]
        out.append(",".join([fixed(p["Start"] / 1000.0, 3), "" if p["Utc"] is None else iso(p["Utc"], f["ms"], True),
                             local or "", number(p["Lat"], 6), number(p["Lon"], 6), number(p["Height"], 2),
                             number(p["Msl"], 2), number(p["Speed"], 2), number((p["Speed"] * 0.001) * 3600, 2),
                             *[number(p["Far"], 2)] * (not zone), number(p["Way"], 2)] + [row[key] for _, key in camera]) + "\r\n")
    return "".join(out)


def geojson(f):
    # Numbers rounded half away from zero on value * 10^n, written as the
    # shortest text that reads back (whole numbers without a point); keys in
    # alphabetical order, no blanks.
    def rounded(v, n):
        if not math.isfinite(v):
            return None
        r = float(Decimal(v * 10.0 ** n).quantize(Decimal(1), rounding=ROUND_HALF_UP)) / 10.0 ** n
        return 0.0 if r == 0.0 else r

    def whole(v):  # whole numbers without a point
        if isinstance(v, (dict, list)):
            return {k: whole(x) for k, x in v.items()} if isinstance(v, dict) else [whole(x) for x in v]
        return int(v) if isinstance(v, float) and v == int(v) else v

    pts, samples = f["points"], f["samples"]
    where = lambda i: [pts[i]["Lon"], pts[i]["Lat"]] + (
        [pts[i]["Ele"] if pts[i]["Ele"] is not None else 0.0] if f["elevations"] else [])
    # The passes outside a privacy zone, each cut at the antimeridian.
    parts = f["segments"] if f["radius"] > 0 and len(f["segments"]) > 1 else [samples]
    lines = [[[rounded(v, 6 if k < 2 else 2) for k, v in enumerate(p)] for p in line]
             for part in parts for line in cut_at_antimeridian([where(i) for i in part])]
    path = lines[0] if samples else []
    last = pts[-1]
    end = last["Time"] + float(last["End"] - last["Start"])
    props = {"name": "Path", "flight_time_s": rounded((end - pts[0]["Time"]) / 1000.0, 2),
             "path_m": rounded(last["Way"] - pts[0]["Way"], 2),
             "max_distance_home_m": rounded(max([0.0] + [p["Far"] for p in pts if not math.isnan(p["Far"])]), 2),
             # a log without heights above take-off gives its greatest height above sea level
             "max_height_m": rounded(max(p["FilledHeight"] if any(q["Height"] is not None for q in pts) or not f["has_msl"]
                                         else p["FilledMsl"] for p in pts), 2),
             "top_speed_ms": rounded(max([0.0] + [p["Speed"] for p in pts if not math.isnan(p["Speed"])]), 2),
             "records": len(pts), "log_format": f["format"]}
    if f["elevations"]:
        props["elevation"] = "above sea level" if f["has_msl"] else "above take-off"
    for key, i in (("start_utc", samples[0]), ("end_utc", samples[-1])):
        if samples and pts[i]["Utc"] is not None:
            props[key] = iso(pts[i]["Utc"], f["ms"], True)
    feature = lambda kind, where, properties: {"type": "Feature", "geometry": {"type": kind, "coordinates": where},
                                               "properties": properties}
    features = ([feature("MultiLineString", lines, props)] if len(lines) > 1 else
                [feature("LineString", path, props) if len(path) > 1 else feature("Point", path[0], props)] if path else [])
    if not f["radius"] > 0:  # no home point with a privacy zone
        features.append(feature("Point", [rounded(pts[0]["HomeLon"], 6), rounded(pts[0]["HomeLat"], 6)], {"name": "Home"}))
    return json.dumps(whole({"type": "FeatureCollection", "features": features}), sort_keys=True, separators=(",", ":")) + "\n"


def cut_at_antimeridian(path):
    """The lines of a path of [lon, lat(, ele)]: cut wherever a step spans more
    than 180 degrees of longitude, the crossing interpolated linearly (with the
    far point's longitude taken 360 degrees round) and ending one line at the
    side left (+-180) and starting the next on the other."""
    lines = [[]]
    for k, p in enumerate(path):
        if k and abs(p[0] - path[k - 1][0]) > 180.0:
            a = path[k - 1]
            side = 180.0 if a[0] > 0 else -180.0
            f = (side - a[0]) / (p[0] + 2 * side - a[0])
            cross = [a[j] + (p[j] - a[j]) * f for j in range(1, len(p))]
            lines[-1] += [[side] + cross] if a[0] != side else []  # a point on the line stands once
            lines.append([[-side] + cross])
            if p[0] == -side:
                continue
        lines[-1].append(p)
    return lines


def other_outputs(folder, args, parsed, derived, per_frame, parts):
    outputs = {"gpx-track": ("track.gpx", track_gpx), "kml": ("kml", kml), "csv": ("csv", csv), "geojson": ("geojson", geojson)}
    wanted = [kind for kind in outputs if ("--all" in args or "--" + kind in args) and "--no-" + kind not in args]
    if not wanted:
        return
    zone = next((a.partition("=")[2] for a in args if a.startswith("--time-zone=")), None)
    assert zone, "a case with these outputs names its --time-zone"
    radius = float(next((a.partition("=")[2] for a in args if a.startswith("--privacy-radius=")), "0"))
    f = flight_points(folder, parsed, derived, per_frame, zone, parts, radius)
    for suffix, write in (outputs[kind] for kind in wanted):
        (folder / ("expected." + suffix)).write_bytes(write(f).encode("utf-8"))
# --- The placeholders after the ten, the camera fields and the privacy zone ---
# The camera fields come from expected.camera.tsv, the generator's account of
# what each block prints (iso, shutter, fnum, ev, ct, focal_len, dzoom).

def trimmed(text, implied):
    """A printed camera number: without a point in units of 10^-implied, with
    one as written; printed without trailing zeros."""
    text = text.lstrip("F/")
    value = Decimal(text) if "." in text else Decimal(int(text)).scaleb(-implied)
    value = value.quantize(Decimal("0.0001") if implied == 4 else Decimal("0.01"), rounding=ROUND_HALF_UP)
    out = format(value, "f")
    return out.rstrip("0").rstrip(".") if "." in out else out


def camera_texts(row):
    iso, shutter, fnum, ev, ct, focal, zoom = [None if v == "-" else v for v in row]
    return {
        "{ISO}": iso or "", "{EV}": ev or "", "{ColorTemp}": ct or "",
        "{Shutter}": "1/" + trimmed(shutter.removeprefix("1/"), 0) if shutter else "",
        "{FNumber}": trimmed(fnum, 2) if fnum else "",
        "{FocalLength}": trimmed(focal, 1) if focal else "",
        "{DigitalZoom}": trimmed(zoom, 4) if zoom else "",
    }


def fill_nearest(values):
    given = [i for i, v in enumerate(values) if v is not None]
    return [v if v is not None else values[max([j for j in given if j < i] or [min(j for j in given if j > i)])]
            for i, v in enumerate(values)] if given else values


def overlay_blocks(folder, derived, pattern, per_frame, args, clocks):
    """The subtitle text with every placeholder; the ten as expand() gives them."""
    options = dict(a.partition("=")[::2] for a in args)
    radius = float(options.get("--privacy-radius", "0"))
    far = haversine if per_frame or derived[0]["Haversine"] else distance
    rows = [line.split("\t") for line in (folder / "expected.camera.tsv").read_text().splitlines()[1:]]
    msl = fill_nearest([r["Msl"] for r in derived])
    t = [r["Cue"] for r in derived]
    h = [r["Barometer"] for r in derived]
    out = []
    for i, r in enumerate(derived):
        if per_frame:  # from half a second before to half a second after
            a = max([j for j in range(i + 1) if t[j] <= t[i] - 500] or [0])
            b = min([j for j in range(i, len(t)) if t[j] >= t[i] + 500] or [len(t) - 1])
        else:
            a, b = i, min(i + 1, len(t) - 1)
        rise = h[b] - h[a]
        vspeed = rise / ((t[b] - t[a]) / 1000.0) if t[b] > t[a] else (0.0 if per_frame else rise)
        d = far(r["HomeLat"], r["HomeLon"], r["Lat"], r["Lon"])
        gps_hidden, hidden = zone_subtitles(r, pattern, radius)
        utc, local = clocks[i]
        utc = utc is not None and iso(utc, False, False)[11:19]
        heights = not r.get("NoHeights")
        values = dict(camera_texts(rows[i]))
        values.update({
            "{Altitude}": fixed(msl[i], 1) if msl[i] is not None else "",
            "{VSpeed}": fixed(vspeed, 1) if heights else "",
            "{SpeedMPH}": fixed((r["Speed"] * 3600) / 1609.344, 1),
            "{SpeedKnots}": fixed((r["Speed"] * 3600) / 1852, 1),
            "{DistanceFt}": fixed(d / 0.3048, 0),
            "{HeightFt}": fixed(r["Barometer"] / 0.3048, 0) if heights else "",
            "{WayKm}": fixed(r["Way"] / 1000, 2),
            "{WayMi}": fixed(r["Way"] / 1609.344, 2),
            "{Date}": local[:10] if local else "",
            "{Time}": local[11:19] if local else "",
            "{TimeUTC}": utc or "",
            "{Lat}": "" if hidden else fixed(r["Lat"], 6),
            "{Lon}": "" if hidden else fixed(r["Lon"], 6),
        })
        text = pattern
        if radius > 0:  # no home at all, no position inside the zone
            text = text.replace("{Home}", "")
            if gps_hidden:
                text = text.replace("{GPS}", "")
        text = expand(r, i, text, per_frame)
        for name, value in values.items():  # in the order of the placeholders
            text = text.replace(name, value)
        out.append(text)
    return "".join(out), radius


def local_ms(r):
    text = r.get("Local") or r["FlyTime"]
    if not text:
        return None
    try:
        t = datetime.datetime.strptime(re.sub(r"[.T]", " ", text[:19].replace(".", "-", 2)), "%Y-%m-%d %H:%M:%S")
    except ValueError:  # a text that is no date (an edited pattern)
        return None
    return (t - datetime.datetime(1970, 1, 1)) // datetime.timedelta(milliseconds=1) + int(text[20:23] or 0)


def recordings(records):
    """The recordings of a log: [first, end, per frame] of each. One starts
    where a cue runs backwards, or a date runs more than 2 s ahead of its
    recording's first date plus the cue time since."""
    starts, last, base = [0], None, None
    for i, r in enumerate(records):
        cue, date = r["Cue"], local_ms(r)
        if i and cue is not None and date is not None and base and (last is None or cue >= last) and clock_change(
                date - (base[0] + cue - base[1])):
            base = (base[0] + clock_change(date - (base[0] + cue - base[1])), base[1])
        elif i and cue is not None and ((last is not None and cue < last)
                                      or (date is not None and base and date > base[0] + cue - base[1] + 2000)):
            starts.append(i)
            base = None
        if cue is not None and date is not None and base is None:
            base = (date, cue)
        last = cue if cue is not None else last
    parts = []
    for a, b in zip(starts, starts[1:] + [len(records)]):
        spans = sorted(y["Cue"] - x["Cue"] for x, y in zip(records[a:b], records[a + 1:b]))
        parts.append((a, b, bool(spans) and spans[len(spans) // 2] < 500))
    return parts


# --- Clocks that change, the older firmware's layout, logs without heights ---------

def clock_change(jump_ms):
    """The change of the clocks (an hour, or half an hour, either way) that a
    jump of a logged date is, within 2 s, or 0."""
    for change in (3600000, 1800000):
        for signed in (change, -change):
            if abs(jump_ms - signed) <= 2000:
                return signed
    return 0


def clock_times(parsed, parts, zone):
    """(UTC ms, local ISO text with ms) of every record, or (None, None): the
    recording's first dated block's date, in UTC, plus the cue time since; the
    local time is that instant on the zone's clock."""
    sign = re.fullmatch(r"([+-])(\d\d):(\d\d)", zone)
    tz = (datetime.timezone(datetime.timedelta(hours=int(sign[2]), minutes=int(sign[3])) * (1 if sign[1] == "+" else -1))
          if sign else datetime.timezone.utc if zone in ("UTC", "Z") else zoneinfo.ZoneInfo(zone))
    out = []
    for a, b, _ in parts:
        base = None
        for p in parsed[a:b]:
            logged = local_ms(p)
            if logged is None:
                out.append((None, None))
                continue
            if base is None:
                base = (utc_ms(iso(logged, True, False), zone), p["Cue"])
            utc = base[0] + p["Cue"] - base[1]
            stamp = datetime.datetime(1970, 1, 1, tzinfo=datetime.timezone.utc) + datetime.timedelta(milliseconds=utc)
            out.append((utc, stamp.astimezone(tz).replace(tzinfo=None).isoformat(timespec="milliseconds")))
    return out


def older_firmware_fly_times(log, derived):
    """The older firmware's unpadded date ("2017.8.5 14:11:51") is {FlyTime} as logged."""
    if b"Hb:" in log:
        for r, block in zip(derived, split_blocks(log)):
            m = re.search(r"HOME\([^)]*\) ([^\r\n]*)", block)
            r["FlyTime"] = m.group(1).strip() if m else r["FlyTime"]


def no_heights(rows, derived):
    """A log outside the six patterns whose blocks give no height prints its heights empty."""
    if rows and all(row[7] == "-" and row[8] == "-" for row in rows):
        for r in derived:
            r["NoHeights"] = True


# --- The privacy zone ----------------------------------------------------------------
# With --privacy-radius above 0 no output writes a position within the radius
# of home, measured from the position as that output writes it: rounded to its
# decimals, by the haversine formula on the sphere of every distance (a
# position that is no number counts as inside). The route writes the positions
# as read (gaps filled, 5 decimals), the GPX track, KML, CSV and GeoJSON the
# logged ones (6), the subtitles the smoothed ones ({GPS} 4, {Lat}/{Lon} 6).
# A pattern that prints a distance from home beside positions prints no
# position at all. No home point is written; the figures stay the flight's.

def in_zone(home_lat, home_lon, lat, lon, decimals, radius):
    if not radius > 0:
        return False
    d = haversine(home_lat, home_lon, float(fixed(lat, decimals)), float(fixed(lon, decimals)))
    return not d > radius


def zone_subtitles(r, pattern, radius):
    """Whether the zone empties {GPS}, and {Lat} and {Lon}, of smoothed record r."""
    if not radius > 0:
        return False, False
    if any(n in pattern for n in ("{Distance}", "{DistanceFt}")) and any(n in pattern for n in ("{GPS}", "{Lat}", "{Lon}")):
        return True, True
    return tuple(in_zone(r["HomeLat"], r["HomeLon"], r["Lat"], r["Lon"], n, radius) for n in (4, 6))


def zone_route(parsed, radius):
    """The records the route samples from: those written outside the zone."""
    return [p for p in parsed if not in_zone(p["HomeLat"], p["HomeLon"], p["Lat"], p["Lon"], 5, radius)]


def zone_points(points, radius):
    """Marks the points whose logged position lies in the zone: no path
    sample, no CSV row."""
    for p in points:
        p["Hidden"] = p["Lat"] is not None and in_zone(p["HomeLat"], p["HomeLon"], p["Lat"], p["Lon"], 6, radius)


def zone_cut(points, segments):
    """Each segment cut where a logged position in the zone lies between two
    of its samples: no line is drawn across the zone."""
    out = []
    for segment in segments:
        for n, i in enumerate(segment):
            if n == 0 or any(p["Hidden"] for p in points[segment[n - 1] + 1:i]):
                out.append([])
            out[-1].append(i)
    return out or [[]]


def main(folders):
    for folder in map(Path, folders):
        patterns, smoothing, way_before, pattern = dict(PATTERNS), 5, 0.0, DEFAULT_PATTERN_LF
        args = (folder / "args").read_text().split("\n") if (folder / "args").exists() else []
        for arg in args:
            name, _, value = arg.partition("=")
            if name == "--pattern":
                label, _, text = value.partition("=")
                patterns[label] = text
            elif name == "--smooth":
                smoothing = int(value) if re.fullmatch(r"[-+]?[0-9]+", value) else 0
            elif name == "--way-before":
                way_before = to_number(value)
            elif name == "--out-pattern-file":
                pattern = (folder / value).read_bytes().decode("utf-8")
        tsv = folder / "expected.records.tsv"
        parsed = read_tsv(tsv) if tsv.exists() else parse((folder / "flight.SRT").read_bytes(), patterns)
        parts = recordings(parsed) if parsed else []
        per_frame = bool(parts) and parts[0][2]
        if parsed and "--no-gpx" not in args:
            (folder / "expected.gpx").write_bytes(gpx(parsed, parts=parts).encode("utf-8"))
        derived = [dict(r) for r in parsed]
        log = (folder / "flight.SRT").read_bytes()
        by_patterns = b"HOME(" in log and b"GPS(" in log and b"Hb:" not in log or any(a.startswith("--pattern") for a in args)
        rows = [line.split("\t") for line in tsv.read_text().splitlines()[1:]] if tsv.exists() else []
        if not by_patterns:
            older_firmware_fly_times(log, derived)
            no_heights(rows, derived)
        estimated = tsv.exists() and not by_patterns
        if estimated and smoothing > 0:
            sys.exit(f"{folder}: an estimated track is derived here at --smooth=0 only")
        for a, b, frames in parts:  # each recording on its own; the way runs on across the joins
            far = haversine if frames or estimated else distance
            before = (lambda records, a=a, far=far: way_before if a == 0 else derived[a - 1]["Way"] + far(
                derived[a - 1]["Lat"], derived[a - 1]["Lon"], records[0]["Lat"], records[0]["Lon"]))
            part = derived[a:b]
            if estimated:
                derive_logged(part, before)
            else:
                (derive_per_frame if frames else derive_track)(part, smoothing, before)
            for r in part:
                r["PerFrame"], r["Haversine"] = frames, frames or estimated
        zone = next((a.partition("=")[2] for a in args if a.startswith("--time-zone=")), "UTC")
        if (folder / "expected.camera.tsv").exists():  # the placeholders after the ten, a privacy zone
            srt, radius = overlay_blocks(folder, derived, pattern, per_frame, args, clock_times(parsed, parts, zone))
            (folder / "expected.sorned.srt").write_bytes(srt.encode("utf-8"))
            if radius > 0:  # the route of the records outside the zone
                (folder / "expected.gpx").write_bytes(gpx(zone_route(parsed, radius), per_frame=per_frame).encode("utf-8"))
        elif parsed and "--no-srt" not in args:
            srt = "".join(expand(r, i, pattern, per_frame) for i, r in enumerate(derived))
            (folder / "expected.sorned.srt").write_bytes(srt.encode("utf-8"))
        if parsed and tsv.exists():
            other_outputs(folder, args, parsed, derived, per_frame, parts)
        print(f"{folder}: {len(parsed)} records")


if __name__ == "__main__":
    main(sys.argv[1:])
