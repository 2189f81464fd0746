#!/usr/bin/env bash
# clang-tidy (the repo's .clang-tidy, every finding an error) over the sources of a configured build
# (build/ unless BUILD_DIR says otherwise; it needs the compile database and Qt's generated files).
#   scripts/check-tidy.sh          the .cpp files changed since the base, and those beside changed headers
#   scripts/check-tidy.sh --all    every source of the tree (about 20 minutes of two cores' time)
# The base is VELMOA_TIDY_BASE if set, else where HEAD left origin/main, else (HEAD on main itself,
# or a clone without origin/main) the parent of HEAD: the commits being tested.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
[ -f "$build/compile_commands.json" ] || { echo "no $build/compile_commands.json: build first"; exit 1; }
sources='^'"$PWD"'/(src|tests|bench|fuzz)/.*\.cpp$'

if [ "${1:-}" = "--all" ]; then
  files=("$sources")
else
  base="${VELMOA_TIDY_BASE:-}"
  if [ -z "$base" ] && git rev-parse -q --verify origin/main >/dev/null; then
    base=$(git merge-base HEAD origin/main)
  fi
  if [ -z "$base" ] || [ "$(git rev-parse "$base")" = "$(git rev-parse HEAD)" ]; then
    base=$(git rev-parse -q --verify HEAD~1 || true)
  fi
  if [ -z "$base" ]; then
    echo "clang-tidy: no base commit to compare with; checking the whole tree"
    exec "$0" --all
  fi
  mapfile -t changed < <(git diff --name-only --diff-filter=d "$base" HEAD -- src tests bench fuzz |
                         grep -E '\.(cpp|h)$' || true)
  files=()
  for f in "${changed[@]}"; do
    c="${f%.h}"
    c="${c%.cpp}.cpp"
    # Only files the build compiles (a header without a source of its own is checked through them).
    [ -f "$c" ] && grep -q "\"file\": \"$PWD/$c\"" "$build/compile_commands.json" && files+=("^$PWD/$c\$")
  done
  if [ ${#files[@]} -eq 0 ]; then
    echo "clang-tidy: no source changed since $(git rev-parse --short "$base")"
    exit 0
  fi
  echo "clang-tidy: ${#files[@]} files changed since $(git rev-parse --short "$base")"
fi
# The counts of warnings suppressed in Qt's headers are left out; the status is run-clang-tidy's.
set +e
run-clang-tidy -p "$build" -j "$(nproc)" -quiet "${files[@]}" 2>&1 |
  grep -v -E '^(Suppressed [0-9]+ warnings|Use -header-filter|[0-9]+ warnings? generated)'
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] && echo "clang-tidy: no findings"
exit "$status"
