# Sourced by the scripts that drive the real program: the program from their first argument, a work
# folder removed at exit, and a wait for a window by its title.
set -u
program="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Prints the id of the first visible window whose title matches PATTERN, waiting at most TRIES times
# 50 ms (default 200); fails when none appears.
#   wait_for_window PATTERN [TRIES]
wait_for_window() {
  for _ in $(seq "${2:-200}"); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.05
  done
  return 1
}
