#!/usr/bin/env bash
# Runs a test program under a headless Weston compositor of its own, which can take screenshots.
# Exits 77 (skipped) where Weston cannot run.
set -u
if ! command -v weston >/dev/null; then
  echo "SKIP: weston is not installed (Debian package weston)"
  exit 77
fi
runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=wayland-velmoa QT_QPA_PLATFORM=wayland
unset DISPLAY
weston --backend=headless-backend.so --use-pixman --debug --socket="$WAYLAND_DISPLAY" \
  --width=1024 --height=768 --idle-time=0 >"$runtime/weston.log" 2>&1 &
weston=$!
for _ in $(seq 200); do
  [ -e "$runtime/$WAYLAND_DISPLAY" ] && break
  kill -0 $weston 2>/dev/null || break
  sleep 0.05
done
if [ ! -e "$runtime/$WAYLAND_DISPLAY" ]; then
  echo "SKIP: weston cannot start here:"
  tail -5 "$runtime/weston.log"
  kill $weston 2>/dev/null
  wait 2>/dev/null
  rm -rf "$runtime"
  exit 77
fi
"$@"
status=$?
kill $weston 2>/dev/null
wait 2>/dev/null
rm -rf "$runtime"
exit $status
