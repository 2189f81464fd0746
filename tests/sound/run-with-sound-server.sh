#!/usr/bin/env bash
# Runs a program with a private PulseAudio server whose only sink is a null sink (its monitor can be
# recorded: VELMOA_SOUND_MONITOR names it), on a private X server with openbox (run-under-xvfb.sh).
# Everything started here, and anything the program left running, is ended before it returns.
#   run-with-sound-server.sh PROGRAM [ARGUMENTS...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
runtime=$(mktemp -d)
sink=velmoa_null
server=
program=
cleanup() {
  # The program's process group first (whatever it started and did not end), then the server.
  [ -n "$program" ] && kill -KILL -- "-$program" 2>/dev/null
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
  fi
  rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The server's state, socket and cookie stay in the private folder, also when run as root.
mkdir -p "$runtime/home" "$runtime/pulse"
export PULSE_RUNTIME_PATH="$runtime/pulse" PULSE_STATE_PATH="$runtime/pulse" \
  PULSE_COOKIE="$runtime/pulse/cookie" PULSE_SERVER="unix:$runtime/pulse/native"
HOME="$runtime/home" XDG_RUNTIME_DIR="$runtime" \
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
  --log-target=stderr --log-level=error \
  --load="module-null-sink sink_name=$sink rate=44100" \
  --load="module-native-protocol-unix socket=$runtime/pulse/native auth-anonymous=1" &
server=$!
ready=
for _ in $(seq 200); do
  pactl info >/dev/null 2>&1 && { ready=1; break; }
  kill -0 "$server" 2>/dev/null || break
  sleep 0.05
done
if [ -z "$ready" ]; then
  echo "run-with-sound-server: the private PulseAudio server did not start" >&2
  exit 1
fi
pactl set-default-sink "$sink"
export VELMOA_SOUND_MONITOR="$sink.monitor"

# A process group of its own, so that nothing it started outlives it.
setsid "$here/../x11/run-under-xvfb.sh" "$@" &
program=$!
wait "$program"
status=$?
exit $status
