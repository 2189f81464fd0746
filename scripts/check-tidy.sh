#!/usr/bin/env bash
# clang-tidy (the repo's .clang-tidy, every finding an error) over the sources of a configured build
# (build/ unless BUILD_DIR says otherwise; it needs the compile database and Qt's generated files).
#   scripts/check-tidy.sh          the sources changed since the base (see below)
#   scripts/check-tidy.sh --all    every source of the tree (about 15 minutes on two cores)
# The whole tree is too slow for every CI run, so a run checks what changed since the commit that
# scripts/tidy-base records, whose tree is taken as passing (at first the one these checks were
# added to). After a clean --all run, record HEAD there (`git rev-parse HEAD > scripts/tidy-base`,
# then commit) to keep the changed set, and the run, small.
# VELMOA_TIDY_BASE=COMMIT checks against another base. When the recorded base is not in HEAD's
# history (a rebased or squashed merge), or more than VELMOA_TIDY_MAX sources (25: about a minute and a
# half on two cores) changed since it, the base is the parent of HEAD: the commit being
# tested, or for a merge, the branch it brings in.
# A changed source is checked itself; a changed header through its own source, or when it has none,
# through one source that includes it (its findings show the same from any includer).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
[ -f "$build/compile_commands.json" ] || { echo "no $build/compile_commands.json: build first"; exit 1; }
compiled() { grep -q "\"file\": \"$PWD/$1\"" "$build/compile_commands.json"; }
# One compiled source that includes header FILE, directly or through other headers (a few deep);
# nothing when none does.
includer() {
  local header="$1" depth="${2:-0}" f found
  # Included by its path under its top folder ("picture/X.h", "media/FakeMediaDevice.h"), or by its
  # bare name from a file of its own folder ("EmfPlusWriter.h").
  local by_path="#include \"${header#*/}\"" by_name="#include \"${header##*/}\"" folder="${header%/*}"
  for f in $(users "$by_path" "$by_name" "$folder" cpp); do
    if compiled "$f"; then echo "$f"; return 0; fi
  done
  [ "$depth" -lt 3 ] || return 0
  for f in $(users "$by_path" "$by_name" "$folder" h); do
    found=$(includer "$f" $((depth + 1)))
    if [ -n "$found" ]; then echo "$found"; return 0; fi
  done
  return 0
}
# users BY_PATH BY_NAME FOLDER EXT: the .EXT files holding the include BY_PATH anywhere or BY_NAME in FOLDER.
users() {
  { grep -rlF "$1" src tests bench fuzz --include="*.$4" || true
    grep -lF "$2" "$3"/*."$4" 2>/dev/null || true; } | sort -u
}

# Fills chosen[] with the sources that check what changed since commit $1.
declare -A chosen=()
select_sources() {
  local f c changed
  # Against the working tree: on a clean clone that is HEAD, locally it takes in uncommitted edits.
  mapfile -t changed < <(git diff --name-only --diff-filter=d "$1" -- src tests bench fuzz |
                         grep -E '\.(cpp|h)$' || true)
  chosen=()
  for f in "${changed[@]}"; do
    c="${f%.h}"
    c="${c%.cpp}.cpp"
    if [ -f "$c" ] && compiled "$c"; then
      chosen["$c"]=1
    elif [ "${f%.h}" != "$f" ]; then
      c=$(includer "$f")
      if [ -n "$c" ]; then chosen["$c"]=1; else echo "clang-tidy: no compiled source includes $f"; fi
    fi
  done
}

if [ "${1:-}" = "--all" ]; then
  files=('^'"$PWD"'/(src|tests|bench|fuzz)/.*\.cpp$')
else
  base="${VELMOA_TIDY_BASE:-}"
  if [ -z "$base" ] && [ -f scripts/tidy-base ]; then
    base=$(tr -d '[:space:]' <scripts/tidy-base)
    git merge-base --is-ancestor "$base" HEAD 2>/dev/null || base=""
  fi
  [ -n "$base" ] || base=$(git rev-parse -q --verify HEAD~1 || true)
  if [ -z "$base" ]; then
    echo "clang-tidy: no base commit to compare with; checking the whole tree"
    exec "$0" --all
  fi
  select_sources "$base"
  max="${VELMOA_TIDY_MAX:-25}"
  if [ -z "${VELMOA_TIDY_BASE:-}" ] && [ ${#chosen[@]} -gt "$max" ] &&
     parent=$(git rev-parse -q --verify HEAD~1); then
    echo "clang-tidy: ${#chosen[@]} sources changed since $(git rev-parse --short "$base"), more than $max:" \
         "checking the last commit's alone. Run scripts/check-tidy.sh --all and record a new base."
    base=$parent
    select_sources "$base"
  fi
  files=()
  for c in "${!chosen[@]}"; do
    files+=("^$PWD/$c\$")
  done
  if [ ${#files[@]} -eq 0 ]; then
    echo "clang-tidy: no source changed since $(git rev-parse --short "$base")"
    exit 0
  fi
  echo "clang-tidy: ${#files[@]} sources for the changes since $(git rev-parse --short "$base")"
fi
# g++'s precompiled headers are not clang's: the checks read each source with its own includes.
tidy_db="$build/tidy"
mkdir -p "$tidy_db"
sed -E 's# -Winvalid-pch -include [^ ]*/cmake_pch\.hxx##g' "$build/compile_commands.json" \
  >"$tidy_db/compile_commands.json"
# The counts of warnings suppressed in Qt's headers are left out; the status is run-clang-tidy's.
set +e
run-clang-tidy -p "$tidy_db" -j "$(nproc)" -quiet "${files[@]}" 2>&1 |
  grep -v -E '^(Suppressed [0-9]+ warnings|Use -header-filter|[0-9]+ warnings? generated)'
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] && echo "clang-tidy: no findings"
exit "$status"
