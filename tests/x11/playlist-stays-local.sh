#!/usr/bin/env bash
# Runs the real program on playlists whose entries try to reach the network or another protocol
# (through file URLs naming other schemes, a decoded line break, a generated sound, a nested list)
# and fails if it connects anywhere but local sockets (X, D-Bus, the sound server). Each list must
# end in the program's failure message, which is also written to standard error.
# Needs an X server with a window manager (run-under-xvfb.sh).
#   playlist-stays-local.sh PATH-TO-VELMOA
. "$(dirname "$0")/session-common.sh"
lists="$work/lists"
mkdir -p "$lists"
# A server on the loopback that must never be reached (port 9, discard; nothing listens there).
network='127.0.0.1%5C:9'
asx() { printf '<asx version="3.0"><entry><ref href="%s"/></entry></asx>' "$1"; }
asx "file:av://lavfi:amovie=%27http%5C://$network/x.mp3%27" >"$lists/lavfi-amovie.asx"
asx "file:http://127.0.0.1:9/x.mp3" >"$lists/file-http.asx"
asx "file:///tmp/a%0Ahttp://127.0.0.1:9/x.mp3" >"$lists/line-break.wax"
printf '<smil><body><seq><media src="file:av://lavfi:sine"/></seq></body></smil>' >"$lists/generated.wpl"
printf '#EXTM3U\nhttp://127.0.0.1:9/x.mp3\nav://lavfi:sine\n' >"$lists/network.m3u"
# A local entry that is itself a list naming the network: the player must not follow it there.
printf '#EXTM3U\nhttp://127.0.0.1:9/x.mp3\n' >"$lists/inner.m3u"
printf 'inner.m3u\n' >"$lists/nested.m3u"

status=0
for list in "$lists"/*.asx "$lists"/*.wax "$lists"/*.wpl "$lists/network.m3u" "$lists/nested.m3u"; do
  name=$(basename "$list")
  traces="$work/trace-$name"
  errors="$work/stderr-$name"
  DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus" \
    strace -f -qq -o "$traces" -e trace=connect "$program" "$list" 2>"$errors" &
  viewer=$!
  # The open has run once its failure is on standard error.
  for _ in $(seq 300); do
    [ -s "$errors" ] && break
    sleep 0.05
  done
  # The viewer is strace's child; strace ends with it.
  pkill -TERM -P $viewer 2>/dev/null
  wait $viewer 2>/dev/null
  if [ ! -s "$errors" ]; then
    echo "$name: no failure reported"
    status=1
  fi
  reached=$(grep -E 'connect\(' "$traces" | grep -E 'AF_INET6?' || true)
  if [ -n "$reached" ]; then
    echo "$name: the viewer connected to the network:"
    echo "$reached"
    status=1
  else
    echo "$name: local only ($(head -n 1 "$errors"))"
  fi
done
exit $status
