#!/usr/bin/env bash
# Installs what is missing, builds everything in build/ with warnings as
# errors and runs every test through CTest; builds the Debian package and
# checks it (lintian, the desktop entry, the AppStream metadata, the manual
# pages, and the packaged velloa-cli converting the sample flight); then runs
# the whole suite again
# under AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/), runs
# velloa-cli under ThreadSanitizer (build-tsan/), and gives each libFuzzer
# target a short run on a copy of its seed corpus
# (build-fuzz/). Fails when any test fails, any sanitizer reports anything or
# a fuzzer finds a crash, a leak or a hang.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# Each stage says when it starts, counted from the start of the command, so
# a slow run shows where its time went.
stage() { echo "=== $1 (at $SECONDS s)"; }

stage "Build and tests"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLOA_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

# --- The Debian package -------------------------------------------------------
# scripts/package.sh builds build/velloa_<version>_<arch>.deb from build/.
# Lintian must report no error; the desktop entry, the AppStream metadata and
# the manual pages inside must pass their own checkers; and the velloa-cli
# inside, unpacked into build/package-check/, must convert the sample flight
# exactly as build/src/velloa-cli does.
stage "The Debian package"
deb=$(scripts/package.sh | tail -n 1)
lintian --fail-on error "$deb"
version=$(sed -n 's/^project(Velloa VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
package_fail() { echo "package check: $*" >&2; exit 1; }
[ "$(dpkg-deb -f "$deb" Package) $(dpkg-deb -f "$deb" Version)" = "velloa $version" ] \
  || package_fail "$deb is not velloa $version"
dpkg-deb -f "$deb" Depends | grep -q libqt5widgets5 || package_fail "no computed Depends"
# The video module (usr/lib/velloa) brings libavformat's package in.
dpkg-deb -f "$deb" Depends | grep -q libavformat || package_fail "no libavformat in Depends"
# The overlay video draws its text with DejaVu Sans.
dpkg-deb -f "$deb" Depends | grep -q fonts-dejavu-core || package_fail "no fonts-dejavu-core in Depends"
check=build/package-check
rm -rf "$check"
mkdir -p "$check"
dpkg-deb -x "$deb" "$check/root"
root=$check/root
desktop=$root/usr/share/applications/example.velloa.Velloa.desktop
desktop-file-validate "$desktop"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ "$exec_line" = "velloa %f" ] && [ -x "$root/usr/bin/velloa" ] || package_fail "Exec=$exec_line"
[ -s "$root/usr/share/icons/hicolor/scalable/apps/velloa.svg" ] \
  && [ -s "$root/usr/share/icons/hicolor/48x48/apps/velloa.png" ] || package_fail "icon missing"
metainfo=$root/usr/share/metainfo/example.velloa.Velloa.metainfo.xml
appstreamcli validate --no-net "$metainfo"
grep -q "<release version=\"$version\"" "$metainfo" || package_fail "no AppStream release $version"
for page in "$root"/usr/share/man/man1/velloa.1.gz "$root"/usr/share/man/man1/velloa-cli.1.gz; do
  warnings=$(LC_ALL=C MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || package_fail "$page: $warnings"
  LC_ALL=C MANWIDTH=80 man -l "$page" | grep -q "Velloa $version" || package_fail "$page does not render"
done
# Every option that velloa-cli --help lists is described in its manual page.
manual=$(LC_ALL=C MANWIDTH=200 man -l "$root/usr/share/man/man1/velloa-cli.1.gz")
for option in $(build/src/velloa-cli --help | grep -oE '^ +(-[a-z], )?--[a-z-]+' | grep -oE -- '--[a-z-]+'); do
  grep -qe "^ *\(-[a-z], \)\?$option\b" <<<"$manual" || package_fail "velloa-cli.1 lacks $option"
done
[ "$("$root/usr/bin/velloa-cli" --version)" = "velloa-cli $version" ] || package_fail "velloa-cli --version"
[ "$("$root/usr/bin/velloa" --version 2>/dev/null)" = "velloa $version" ] || package_fail "velloa --version"
"$root/usr/bin/velloa-cli" --quiet --output-dir "$check/packaged" examples/sample_flight.SRT
build/src/velloa-cli --quiet --output-dir "$check/built" examples/sample_flight.SRT
for output in sample_flight.sorned.srt sample_flight.gpx; do
  [ -s "$check/packaged/$output" ] || package_fail "packaged velloa-cli wrote no $output"
  cmp "$check/packaged/$output" "$check/built/$output" || package_fail "$output differs from build/src/velloa-cli's"
done

# --- Sanitizers -------------------------------------------------------------
# Any report ends the test with a failure: UBSan does not recover
# (-fno-sanitize-recover=all), ASan halts at the first error and LeakSanitizer
# runs at every test's exit. The only suppressed leaks are Qt's own
# (tests/sanitizer/lsan.supp): the seven objects that its offscreen platform
# plugin allocates for its screen and never frees, and the data of a thread of
# Qt's pool that ends after the exit's leak check. The plugin's objects are
# matched by its library name, which needs full stacks for the window tests
# (fast_unwind_on_malloc=0, since Qt is built without frame pointers). Full
# unwinding makes every allocation slow, so only the window tests run with it.
stage "Sanitizers"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLOA_WERROR=ON -DVELLOA_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
asan_options=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0"
(cd build-asan && ASAN_OPTIONS=$asan_options ctest --output-on-failure -j "$jobs" -E '^gui_')
(cd build-asan && ASAN_OPTIONS=$asan_options:fast_unwind_on_malloc=0 ctest --output-on-failure -j "$jobs" -R '^gui_')

# --- Threads ------------------------------------------------------------------
# velloa-cli built with ThreadSanitizer (build-tsan/) converts generated logs
# that use every way a conversion runs work side by side: a long log of each
# family read in pieces, its estimate run in windows, its subtitle file
# rendered in runs, outputs written together; a log that changes layout
# twice; a card of clips converted and joined. ThreadSanitizer makes the program exit 66 on any report.
stage "Threads"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLOA_WERROR=ON -DVELLOA_SANITIZE_THREADS=ON >/dev/null
cmake --build build-tsan -j "$jobs" --target velloa-cli
threads=build-tsan/threads
rm -rf "$threads"
mkdir -p "$threads/card"
for family in A B C; do
  python3 tools/make_flight_log.py --family "$family" --blocks 12000 "$threads/$family.SRT"
done
# Long enough for the estimate to run two windows side by side.
python3 tools/make_flight_log.py --family D --blocks 40000 "$threads/D.SRT"
python3 tools/make_flight_log.py --duration 600 --then "--family D --variant h20 --duration 20 --then '--family C --duration 300'" \
  "$threads/joined.SRT"
python3 tools/make_flight_log.py --duration 900 --split 300 "$threads/card/DJI_"
for log in "$threads"/*.SRT "$threads/card"; do
  TSAN_OPTIONS="halt_on_error=1:suppressions=$PWD/tests/sanitizer/tsan.supp" build-tsan/src/velloa-cli --quiet --all --output-dir "$threads/out" "$log"
done

# --- Fuzzing smoke run --------------------------------------------------------
# libFuzzer needs clang; clang++ links the same libstdc++ as the gcc-built Qt.
# fuzz/run.sh builds each target in build-fuzz/ and runs it for 30 s on a
# fresh copy of its seed corpus; libFuzzer exits non-zero on a crash, a
# sanitizer report, a leak, a unit slower than 10 s or more than 2 GB.
stage "Fuzzing smoke run"
for target in fuzz_log fuzz_patterns fuzz_matcher fuzz_video fuzz_render fuzz_card fuzz_privacy fuzz_time \
  fuzz_overlay fuzz_video_copy; do
  fuzz/run.sh "$target" 30
done
stage "Done"
