#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (--sanitize: under ASan/UBSan, in build-asan/).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install-deps.sh"
if [ "${1:-}" = "--sanitize" ]; then
  # The same tests in the clang ASan/UBSan build (build-asan/).
  exec "$here/scripts/sanitize.sh"
fi
"$here/scripts/build.sh"
cd "$here/build"
ctest --timeout 60 --output-on-failure -j "$(nproc)"
