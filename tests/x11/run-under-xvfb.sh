#!/usr/bin/env bash
# Runs a test program on a private X server with the openbox window manager.
set -u
runtime=$(mktemp -d)
# The server picks a free display itself and writes its number once it is ready: two runs at once
# that chose a number apart could pick the same one, and one would end up on the other's server.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$runtime/display" >/dev/null 2>&1 &
xvfb=$!
n=
for _ in $(seq 200); do
  n=$(tr -dc 0-9 <"$runtime/display")
  [ -n "$n" ] && break
  kill -0 $xvfb 2>/dev/null || break
  sleep 0.05
done
if [ -z "$n" ]; then
  echo "run-under-xvfb: the private X server did not start" >&2
  kill $xvfb 2>/dev/null
  rm -rf "$runtime"
  exit 1
fi
export DISPLAY=:$n XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=xcb
# No session bus: without this, the first client to ask for one has dbus-launch start a shared bus
# through the X server, which outlives this script and carries state from one run to the next.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/no-session-bus"
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
