#!/usr/bin/env bash
# Configures and builds into build/ (through ccache when it is installed), warnings as errors, with
# the compile database that clang-tidy reads.
set -euo pipefail
cd "$(dirname "$0")/.."
options=(-DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DVELMOA_WERROR=ON)
command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
cmake --build build -j "$(nproc)"
