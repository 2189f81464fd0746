#!/usr/bin/env bash
# The style checks, before anything is built so that a fault fails fast:
#   clang-format over every .cpp/.h of src/ tests/ bench/ fuzz/ (the repo's .clang-format).
# clang-tidy needs the compile database of a configured build; scripts/check-tidy.sh runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z |
  xargs -0 clang-format --dry-run -Werror
echo "clang-format: every file as .clang-format says"
