#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need; does nothing when all are there.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libqt6svg6-dev qt6-qpa-plugins
  libjpeg62-turbo-dev libexif-dev liblcms2-dev libxcb1-dev libmpv-dev libfluidsynth-dev timgm6mb-soundfont ffmpeg
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-aoyagi-kouzan-t
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth openbox xdotool x11-utils strace
  # the checking build and the fuzz targets; the style checks (scripts/check-style.sh, check-tidy.sh)
  clang libclang-rt-dev clang-format clang-tidy
  # desktop integration: entry and metadata validators, the Debian package, printing through a
  # private CUPS server checked with poppler, and the Wayland check under a headless Weston
  desktop-file-utils appstream shared-mime-info dpkg-dev
  libcups2-dev cups-daemon cups-client poppler-utils
  weston qt6-wayland
  # what the program plays, recorded from a private PulseAudio server; mpv's own player is the
  # start-up benchmark's baseline
  pulseaudio pulseaudio-utils mpv
  # the threads of a program a check finds stuck
  gdb
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

# On a fresh machine another package manager (unattended upgrades, a first-boot set-up) may hold
# apt's locks for minutes: wait for it instead of failing at once, and say why nothing moves.
lock_timeout=300
# The process holding one of the locks open, as "pid (name)"; nothing when they are all free.
lock_holder() {
  local fd pid
  fd=$(find /proc/[0-9]*/fd -lname /var/lib/dpkg/lock-frontend -o -lname /var/lib/dpkg/lock \
         -o -lname /var/lib/apt/lists/lock 2>/dev/null | head -n 1)
  [ -n "$fd" ] || return 0
  pid=${fd#/proc/}
  pid=${pid%%/*}
  echo "$pid ($(cat "/proc/$pid/comm" 2>/dev/null))"
}
# apt-get waits for dpkg's lock itself (DPkg::Lock::Timeout); older versions of apt-get update do
# not wait for the package lists' lock, so the wait is also made here.
apt_get() {
  local holder waited=0
  holder=$(lock_holder)
  if [ -n "$holder" ]; then
    echo "Waiting for another package manager to finish: process $holder holds apt's lock (up to ${lock_timeout} s)..."
    while [ -n "$holder" ] && [ "$waited" -lt "$lock_timeout" ]; do
      sleep 2
      waited=$((waited + 2))
      holder=$(lock_holder)
    done
    [ -z "$holder" ] && echo "The other package manager has finished; going on."
  fi
  apt-get -o DPkg::Lock::Timeout="$lock_timeout" "$@"
}
apt_get update -qq
apt_get install -y -qq --no-install-recommends "${missing[@]}"
