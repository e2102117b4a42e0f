#!/usr/bin/env bash
# Installs whatever Velloa's build and tests need and is missing (Debian 12),
# through sudo when not root. Usage: scripts/setup.sh [build|package|test|bench]
set -euo pipefail

# rsvg-convert (librsvg2-bin) renders the icon's PNG sizes during the build;
# tzdata holds the zones of --time-zone and the window's log time zone; Qt
# Charts draws the flight view's charts; libavformat (found through
# pkg-config) reads the subtitle track of videos, libavcodec and libswscale
# encode the overlay video.
# fonts-dejavu-core holds the font that the overlay video's text is drawn with.
packages=(cmake make g++ pkg-config qtbase5-dev qtbase5-dev-tools librsvg2-bin tzdata libqt5charts5-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev fonts-dejavu-core)
if [ "${1:-build}" = bench ] || [ "${1:-build}" = test ]; then
  # The ffmpeg program makes the videos that the tests and the benchmark read.
  packages+=(ffmpeg)
fi
if [ "${1:-build}" = bench ]; then
  # valgrind counts the instructions of the benchmark's runs.
  packages+=(python3 time valgrind)
fi
if [ "${1:-build}" = package ] || [ "${1:-build}" = test ]; then
  # CPack's .deb: dpkg-shlibdeps (dpkg-dev) computes the dependencies, file
  # finds the binaries to strip and to scan.
  packages+=(dpkg-dev file)
fi
if [ "${1:-build}" = test ]; then
  # xmllint validates the GPX files, gpsbabel and GDAL's ogrinfo (gdal-bin)
  # read the outputs back, python3 runs the log generator, clang and its
  # runtimes build the sanitizer and fuzz runs; lintian,
  # desktop-file-validate, appstreamcli and man check the package.
  packages+=(libxml2-utils gpsbabel gdal-bin python3 clang libclang-rt-14-dev
    lintian desktop-file-utils appstream man-db)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "Missing packages (${missing[*]}) and neither root nor sudo to install them." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
