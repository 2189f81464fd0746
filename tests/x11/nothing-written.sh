#!/usr/bin/env bash
# Runs the real program through a session under strace and fails if it opens any file for
# writing or creates, renames or removes one outside its runtime folder: the viewer writes nothing.
# Session: open a picture, step to the next, open a document through the Open dialog, open the
# dialog again and cancel it, close the window. Needs an X server with a window manager (run-under-xvfb.sh).
#   nothing-written.sh PATH-TO-VELMOA
. "$(dirname "$0")/session-common.sh"
home="$work/home"
files="$work/files"
mkdir -p "$home" "$files"
# Two 1 x 1 bitmaps (a white and a black pixel) and a text document.
bmp() { printf 'BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0\0\0\0\0\x04\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0%b\0' "$1"; }
bmp '\xff\xff\xff' >"$files/a.bmp"
bmp '\0\0\0' >"$files/b.bmp"
printf 'A document of plain text.\n' >"$files/notes.ini"
chmod -R a-w "$files"

key() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
  xdotool key --window "$1" --clearmodifiers "$2" 2>/dev/null
  sleep 0.6
}

traces="$work/trace" # one file a process: calls are never split across lines
# A desktop has a session bus; without one, the bus library would start a bus daemon of its own.
HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache" \
  DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus" \
  strace -f -ff -qq -o "$traces" -e trace=%file "$program" "$files/a.bmp" &
viewer=$!
main=$(wait_for_window 'Velmoa') || { echo "no main window"; kill $viewer; exit 1; }
sleep 0.5
key "$main" ctrl+n
key "$main" ctrl+o
dialog=$(wait_for_window '開く|Open') || { echo "no Open dialog"; kill $viewer; exit 1; }
xdotool type --window "$dialog" --delay 20 "$files/notes.ini" 2>/dev/null
key "$dialog" Return
key "$main" ctrl+o
dialog=$(wait_for_window '開く|Open') || { echo "no second Open dialog"; kill $viewer; exit 1; }
key "$dialog" Escape
# Quit as a user does in the document view (where Ctrl+X belongs to the text): close the window.
xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
xdotool key --clearmodifiers alt+F4
for _ in $(seq 100); do kill -0 $viewer 2>/dev/null || break; sleep 0.1; done
if kill -0 $viewer 2>/dev/null; then
  echo "the viewer did not quit"
  kill $viewer
  exit 1
fi

# Every call that writes: an open for writing or creating, and the calls that make, move or
# remove names. The runtime folder (sockets, shared memory of the X connection) is allowed.
runtime="${XDG_RUNTIME_DIR:-/nonexistent}"
log="$work/all-traces"
cat "$traces".* >"$log"
writes=$(grep -E '^(open(at2?)?\(.*(O_WRONLY|O_RDWR|O_CREAT|O_TRUNC)|(creat|mkdir(at)?|rename(at2?)?|unlink(at)?|rmdir|link(at)?|symlink(at)?|truncate|f?chmod(at)?|f?chown(at)?|lchown|utimensat|utimes|mknod(at)?)\()' "$log" |
  grep -v -F "$runtime" | grep -v -E '= -1 E|"/dev/(null|tty|ptmx|dri/[^"]*|shm/[^"]*)"' || true)
grep -q -F "$files/notes.ini" "$log" || { echo "the document was never opened"; exit 1; }
grep -q -F "$files/b.bmp" "$log" || { echo "the step never read the next picture"; exit 1; }
if [ -n "$writes" ]; then
  echo "the viewer wrote:"
  echo "$writes"
  exit 1
fi
echo "nothing written ($(wc -l <"$log") file calls traced)"
