#!/usr/bin/env bash
# Runs a test program on a private X server with the openbox window manager.
set -u
n=90
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
runtime=$(mktemp -d)
Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:$n XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=xcb
for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.05; done
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
sleep 0.5
# A session bus of its own: without one, the first client to ask for a bus starts a shared one
# through the X server (dbus-launch's autolaunch), which outlives this script.
if command -v dbus-run-session >/dev/null; then
  dbus-run-session -- "$@"
else
  "$@"
fi
status=$?
kill $wm $xvfb 2>/dev/null
wait 2>/dev/null
rm -rf "$runtime"
exit $status
