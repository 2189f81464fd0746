#!/usr/bin/env bash
# Runs the real program on songs of the shapes that once brought playback down (a flood of notes on
# one tick, a million program changes by running status, resets on one tick, the largest delta
# times): each plays by itself once opened, and the window must still answer, Ctrl+H showing the
# About box, until it is closed. Needs an X server with a window manager (run-under-xvfb.sh).
#   hostile-song-answers.sh PATH-TO-VELMOA
. "$(dirname "$0")/session-common.sh"

# A one-track song at 480 ticks a quarter, written to FILE: the events that the Perl expression
# EVENTS makes (bytes with NULs, which a shell variable would not keep), a note, the track's end.
song() {
  perl -e '
    my $track = eval($ARGV[1]) . "\x00\x90\x3c\x64\x83\x60\x3c\x00\x00\xff\x2f\x00";
    open(my $out, ">:raw", $ARGV[0]) or die;
    print $out "MThd", pack("Nnnn", 6, 0, 1, 480), "MTrk", pack("N", length $track), $track;' "$1" "$2"
}
song "$work/notes.mid" 'join "", map { pack("C4", 0, 0x90 | $_ % 16, int($_ / 16) % 128, 100) } 0 .. 99999'
song "$work/programs.mid" '"\x00\xc0\x05" . "\x00\x05" x 1000000'
song "$work/resets.mid" \
  '"\x00\xf0\x05\x7e\x7f\x09\x01\xf7\x00\xf0\x0a\x41\x10\x42\x12\x40\x00\x7f\x00\x41\xf7" x 10000'
song "$work/deltas.mid" '"\xff\xff\xff\x7f\xb0\x07\x64" x 300000'

status=0
for file in notes programs resets deltas; do
  "$program" "$work/$file.mid" &
  viewer=$!
  main=$(wait_for_window 'Velmoa' 120) || { echo "$file: no main window"; kill $viewer; status=1; continue; }
  # Playing: the audio thread works through the song while the window is asked for its About box
  # (asked again while it is not there: the window may not have the focus yet).
  sleep 1
  about=""
  for _ in $(seq 10); do
    xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
    xdotool key --window "$main" --clearmodifiers ctrl+h 2>/dev/null
    about=$(wait_for_window 'バージョン情報' 40) && break
  done
  if [ -n "$about" ]; then
    xdotool windowactivate --sync "$about" >/dev/null 2>&1 || true
    xdotool key --window "$about" --clearmodifiers Escape 2>/dev/null
  else
    echo "$file: no About box"
    status=1
  fi
  xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
  xdotool key --clearmodifiers alt+F4
  for _ in $(seq 100); do kill -0 $viewer 2>/dev/null || break; sleep 0.1; done
  if kill -0 $viewer 2>/dev/null; then
    echo "$file: the viewer did not quit"
    kill $viewer
    status=1
  fi
  wait $viewer
  code=$?
  if [ $code -ne 0 ]; then
    echo "$file: the viewer ended with status $code"
    status=1
  fi
done
exit $status
