#!/usr/bin/env bash
# Takes screenshots of the window at 1024 x 768 (SIZE=WxH for another
# screen) under Xvfb, driving it from the keyboard as a pilot would: a
# simulated flight is typed into the input field, Tab moves on to "Calc &
# Write .SRT file", Space presses it, Return closes the boxes. The map tiles
# come from a tile server on the loopback started here (plain squares with a
# grid, drawn by this script), never from the internet. Writes into OUTDIR
# (default: screenshots/ in the build directory):
#   1-start.png           the window as it opens
#   2-after-srt.png       the flight view after "Calc & Write .SRT file"
#   3-patterns-shown.png  the same with "Adjust input patterns" checked
#   4-after-gpx.png       the view after "Write .GPX file" on a second flight
#   5-layout-X.png        the view after "Calc & Write .SRT file" on a flight
#                         logged in each layout X (A, B, C, D at 30 per second),
#                         the window started with the log as its argument
#   6-opened.png          a log given on the command line, shown at once
#   7-playback.png        the same played back to a moment (slider, marker,
#                         cursor lines, the moment's figures and subtitle)
#   8-all-groups.png      patterns, other outputs and the view at once
#   9-card.png            a card of clips (a folder: two flights and a log
#                         of no use) given on the command line: the flight
#                         list, the first flight shown whole
#   10-card-written.png   the summary box after "Calc & Write .SRT file" (the box alone)
#   11-picker.png         the Placeholders menu's second group (the menu alone),
#                         with the values of a flight just written
# The screen has a window manager with a task bar (IceWM), as a pilot's
# desktop has: title bar and panel take their share of the 768 px. Needs a
# built build/src/velloa and xvfb-run, icewm, xdotool, xwd and netpbm
# (Debian: xvfb icewm xdotool x11-apps netpbm). Not part of the test suite.
# Usage: tools/screenshots.sh [OUTDIR]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/build/screenshots}")
velloa=${VELLOA:-$root/build/src/velloa}
[ -x "$velloa" ] || { echo "no $velloa: build first" >&2; exit 1; }
for tool in xvfb-run icewm xdotool xwd xwdtopnm pnmtopng python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

if [ -z "${VELLOA_SCREENSHOT_DISPLAY:-}" ]; then
  VELLOA_SCREENSHOT_DISPLAY=1 exec xvfb-run -a -s "-screen 0 ${SIZE:-1024x768}x24" "$0" "$out"
fi

mkdir -p "$out"
work=$(mktemp -d)
pid= wm= tiles=
trap 'kill $pid $wm $tiles 2>/dev/null || true; rm -rf "$work"' EXIT

# The loopback tile server: every tile a light square with a grid line on
# two edges, so the tiles' seams show. The port is picked by the system.
python3 - "$work/port" <<'PY' &
import http.server, struct, sys, zlib
def png(size=256):
    rows = b"".join(b"\0" + b"".join(b"\xb4\xbe\xb4" if x == 0 or y == 0 or (x % 64 == 0 and y % 2) or (y % 64 == 0 and x % 2)
                                    else b"\xe8\xef\xe2" for x in range(size)) for y in range(size))
    chunk = lambda kind, data: struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)) \
        + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")
TILE = png()
class Tiles(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Type", "image/png")
        self.send_header("Content-Length", str(len(TILE)))
        self.end_headers()
        self.wfile.write(TILE)
    def log_message(self, *args):
        pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Tiles)
open(sys.argv[1], "w").write(str(server.server_port))
server.serve_forever()
PY
tiles=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
export VELLOA_TILE_URL="http://127.0.0.1:$(cat "$work/port")/{z}/{x}/{y}.png"
export XDG_CACHE_HOME="$work/cache"
python3 "$root/tools/make_flight_log.py" "$work/DJI_0001.SRT" --blocks 600 --seed 3
python3 "$root/tools/make_flight_log.py" "$work/DJI_0002.SRT" --blocks 240 --seed 8 \
  --start-lat 47.3769 --start-lon 8.5417 --line-ends lf

shot() {
  sleep 1
  xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng > "$out/$1"
  echo "$out/$1"
}
keys() { xdotool key --delay 60 "$@"; }
# Starts the window with the given arguments and waits until it is active.
start() {
  QT_QPA_PLATFORM=xcb "$velloa" "$@" &
  pid=$!
  window=$(xdotool search --sync --onlyvisible --name '^Velloa' | head -n 1)
  xdotool windowactivate --sync "$window"
}

icewm >/dev/null 2>&1 &
wm=$!
sleep 2
start
shot 1-start.png

# Input field (focused at start), then ten Tabs to "Calc & Write .SRT
# file"; the read summary and the "OK" box are closed with Return.
xdotool type --delay 5 "$work/DJI_0001.SRT"
keys Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space
sleep 1; keys Return; sleep 1; keys Return
shot 2-after-srt.png

# Eight Shift+Tabs back to "Adjust input patterns".
keys shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space
shot 3-patterns-shown.png
keys space

# A second flight: back to the input field, then to "Write .GPX file".
keys shift+Tab shift+Tab ctrl+a
xdotool type --delay 5 "$work/DJI_0002.SRT"
keys Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space
sleep 1; keys Return
shot 4-after-gpx.png
kill $pid; wait $pid 2>/dev/null || true

# One flight per log layout, given on the command line.
for layout in A B C D; do
  options=(--family "$layout" --path loop --length 1500 --speed 8 --duration 240 --no-fix 5)
  [ "$layout" = D ] && options+=(--fps 30)
  python3 "$root/tools/make_flight_log.py" "$work/layout-$layout.SRT" "${options[@]}"
  start "$work/layout-$layout.SRT"
  keys Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space
  sleep 2; keys Return; sleep 1; keys Return
  shot "5-layout-$layout.png"
  kill $pid; wait $pid 2>/dev/null || true
done

# A log given on the command line is shown at once, nothing written; then
# played back: twenty-four Tabs from the input field round the map's buttons, the
# colour choice, "Play" and the rate to the slider, which End moves to the end
# of the flight and each Page_Down a second back, to 7:39.
start "$work/DJI_0001.SRT"
sleep 2
shot 6-opened.png
keys Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab
keys End
xdotool key --delay 10 --repeat 141 Page_Down
shot 7-playback.png
kill $pid; wait $pid 2>/dev/null || true

# Every group at once: patterns and other outputs beside the view.
start "$work/DJI_0002.SRT"
sleep 2
keys Tab Tab space
keys Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space
shot 8-all-groups.png
kill $pid; wait $pid 2>/dev/null || true

# A card of clips: three clips of one flight, two of another an hour later,
# and a log of no use, the folder given on the command line; then thirteen
# Tabs (the flight list is the third stop) to "Calc & Write .SRT file".
mkdir -p "$work/card"
python3 "$root/tools/make_flight_log.py" --family D --path loop --length 1500 --speed 8 --duration 180 --split 60 "$work/card/DJI_"
python3 "$root/tools/make_flight_log.py" --family D --path line --speed 10 --duration 100 --split 60 --first-counter 4 \
  --start-time "2019-06-20 13:40:00" --start-lat 47.3769 --start-lon 8.5417 "$work/card/DJI_"
: > "$work/card/DJI_0009.SRT"
start "$work/card"
sleep 2
shot 9-card.png
keys Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space
sleep 4
# The box alone: a new window is drawn black in a capture of the whole
# screen under Xvfb, so it is captured by itself.
xwd -id "$(xdotool getactivewindow)" -silent | xwdtopnm 2>/dev/null | pnmtopng > "$out/10-card-written.png"
keys Return
kill $pid; wait $pid 2>/dev/null || true

# The Placeholders menu after a write (the values of that flight): twelve
# Tabs to "Calc & Write .SRT file", its boxes closed, three Shift+Tabs back
# to "Placeholders"; Space opens the menu, Down and Right its second group.
start "$work/DJI_0001.SRT"
sleep 2
keys Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space
sleep 2; keys Return; sleep 1; keys Return
keys shift+Tab shift+Tab shift+Tab space
sleep 1; keys Down Down Right
sleep 1
# Menus too are drawn black in a capture of the whole screen: the widest
# window shown but the main one is the open group, captured by itself.
group=$(for id in $(xdotool search --onlyvisible --classname velloa); do
  eval "$(xdotool getwindowgeometry --shell "$id")"; echo "$WIDTH $HEIGHT $id"; done | sort -n | awk '$1 < 900' | tail -1 | cut -d' ' -f3)
xwd -id "$group" -silent | xwdtopnm 2>/dev/null | pnmtopng > "$out/11-picker.png"
echo "$out/11-picker.png"
keys Escape Escape
kill $pid; wait $pid 2>/dev/null || true
