#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need; does nothing when all are there.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libqt6svg6-dev qt6-qpa-plugins
  libjpeg62-turbo-dev libexif-dev libmpv-dev libfluidsynth-dev timgm6mb-soundfont ffmpeg
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-aoyagi-kouzan-t
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth openbox xdotool x11-utils strace
  # the checking build and the fuzz targets
  clang libclang-rt-dev
  # desktop integration: entry and metadata validators, the Debian package, printing through a
  # private CUPS server checked with poppler, and the Wayland check under a headless Weston
  desktop-file-utils appstream shared-mime-info dpkg-dev
  libcups2-dev cups-daemon cups-client poppler-utils
  weston qt6-wayland
  # what the program plays, recorded from a private PulseAudio server; mpv's own player is the
  # start-up benchmark's baseline; the tests close its windows over xcb
  pulseaudio pulseaudio-utils mpv libxcb1-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Run as root:"
  echo "  apt-get update && apt-get install -y ${missing[*]}"
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
