#!/usr/bin/env bash
# Runs the fuzz targets of the sanitizer build for longer than the test suite does, each for the
# given time, keeping what they find: new inputs in build-sanitize/fuzz/corpus/<target>, inputs
# that crash in build-sanitize/fuzz/found-<target>-*.
#   scripts/fuzz.sh [SECONDS] [TARGET...]     (default 600 seconds, every target)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-600}"
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then targets=(scene track jpeg mp3 captureoptions); fi

"$root/scripts/setup.sh" sanitize
build="$root/build-sanitize"
fuzz="$build/fuzz"
"$build/bin/fuzz-seeds" "$build/bin" "$fuzz/seeds"
export UBSAN_OPTIONS="print_stacktrace=1"
for target in "${targets[@]}"; do
  mkdir -p "$fuzz/corpus/$target"
  echo "== fuzz_$target for $seconds s"
  "$build/bin/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$fuzz/found-$target-" "$fuzz/corpus/$target" "$fuzz/seeds/$target"
done
