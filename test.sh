#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (--sanitize: under ASan/UBSan, in build-asan/).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh"
# Style first: a fault there fails in seconds, before anything is built.
"$here/scripts/check-style.sh"
if [ "${1:-}" = "--sanitize" ]; then
  # The same tests in the clang ASan/UBSan build (build-asan/).
  exec "$here/scripts/sanitize.sh"
fi
"$here/scripts/build.sh"
# clang-tidy over the sources changed since scripts/tidy-base (it needs the build's generated files).
"$here/scripts/check-tidy.sh"
cd "$here/build"
ctest --timeout 60 --output-on-failure -j "$(nproc)"
