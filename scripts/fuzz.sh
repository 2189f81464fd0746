#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan + UBSan) into build-asan/ and runs each for
# SECONDS (default 20) on its seed corpus, one after the other. New inputs that a run finds stay in
# build-asan/fuzz-corpus/<target>/; a crash is written there as crash-* and fails the script.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     targets: bmp ico jpeg wmf emf rtf text midi midi_play playlist
# Extra libFuzzer options may be given in FUZZ_OPTIONS (for example "-jobs=2 -workers=2").
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(bmp ico jpeg wmf emf rtf text midi midi_play playlist)

scripts/sanitize.sh --build-only
seeds=build-asan/fuzz-seeds
rm -rf "$seeds"
build-asan/fuzz_seeds "$seeds"
# Regression inputs found earlier run with the seeds.
for t in "${targets[@]}"; do
  [ -d "tests/fixtures/fuzz/$t" ] && cp tests/fixtures/fuzz/$t/* "$seeds/$t/" 2>/dev/null || true
done

failed=()
for t in "${targets[@]}"; do
  corpus="build-asan/fuzz-corpus/$t"
  artifacts="build-asan/fuzz-artifacts/$t/"
  mkdir -p "$corpus" "$artifacts"
  echo "== fuzz_$t: ${seconds}s"
  # Leaks are checked run by run (fontconfig's own caches aside), and the quarantine is small: the
  # memory limit is for what the readers hold, not for what the checker keeps of freed blocks.
  if ! QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=16 \
      LSAN_OPTIONS=suppressions=fuzz/lsan.supp UBSAN_OPTIONS=print_stacktrace=1 \
      "build-asan/fuzz_$t" "$corpus" "$seeds/$t" \
      -max_total_time="$seconds" -rss_limit_mb=512 -timeout=2 -max_len=65536 \
      -artifact_prefix="$artifacts" -print_final_stats=1 ${FUZZ_OPTIONS:-} \
      2>"build-asan/fuzz-$t.log"; then
    failed+=("$t")
    tail -n 40 "build-asan/fuzz-$t.log"
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|cov: ' "build-asan/fuzz-$t.log" | tail -n 3 || true
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz findings in: ${failed[*]} (inputs under build-asan/fuzz-artifacts/)"
  exit 1
fi
