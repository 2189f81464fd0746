#!/usr/bin/env bash
# Runs a test program on a private X server with the openbox window manager.
set -u
n=90
while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
runtime=$(mktemp -d)
Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:$n XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=xcb
# No session bus: without this, the first client to ask for one has dbus-launch start a shared bus
# through the X server, which outlives this script and carries state from one run to the next.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/no-session-bus"
for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.05; done
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# The window manager is ready once it has put up its check window (on a loaded machine that
# takes seconds; a window mapped before it is never activated).
for _ in $(seq 400); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done
"$@"
status=$?
kill $wm $xvfb 2>/dev/null
wait 2>/dev/null
rm -rf "$runtime"
exit $status
