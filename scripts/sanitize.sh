#!/usr/bin/env bash
# The checking build: clang with AddressSanitizer and UndefinedBehaviorSanitizer, into build-asan/,
# with the fuzz targets beside the tests. Runs the whole test suite in it unless --build-only.
set -euo pipefail
cd "$(dirname "$0")/.."
options=(-DVELMOA_WERROR=ON)
command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVELMOA_FUZZ=ON "${options[@]}" >/dev/null
cmake --build build-asan -j "$(nproc)"
[ "${1:-}" = "--build-only" ] && exit 0
cd build-asan
# Leaks are not looked for here: Qt's platform plug-ins, unloaded at exit, leave allocations that
# cannot be told from ours. The fuzz targets check memory errors and growth run after run.
export ASAN_OPTIONS="detect_leaks=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The sound-server tests listen in real time, one at a time (a minute and a half here), for what the
# plain build's run hears as well; the engine code they drive is checked here by its own tests.
ctest --timeout 180 --output-on-failure -j "$(nproc)" --exclude-regex '^sound\.'
