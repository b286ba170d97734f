#!/usr/bin/env bash
# Sets everything up, builds, and runs every test. This is what CI runs.
#   scripts/test.sh            the release build and suite, then the sanitizer build (clang,
#                              AddressSanitizer + UndefinedBehaviorSanitizer) with the suite (but the picture
#                              comparisons), the fuzz targets for a fixed number of inputs each, and a capture of
#                              one frame in each segment of the show
#   scripts/test.sh release    the release build and suite only
#   scripts/test.sh sanitize   the sanitizer build and its runs only
set -euo pipefail

which="${1:-all}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

step() { printf '\n== %s (%s)\n' "$1" "$(date +%H:%M:%S)"; }

if [ "$which" = all ] || [ "$which" = release ]; then
  step "release build"
  scripts/setup.sh release
  step "release suite"
  ctest --preset release -j "$(nproc)"
fi

if [ "$which" = all ] || [ "$which" = sanitize ]; then
  step "sanitizer build"
  scripts/setup.sh sanitize
  # Any report fails the run: AddressSanitizer stops at its first, UBSan is built not to recover.
  export UBSAN_OPTIONS="print_stacktrace=1"
  step "sanitizer suite and fuzz runs"
  ctest --preset sanitize -j "$(nproc)"
  step "sanitizer capture: one frame in each segment"
  scripts/segment-frames.sh build-sanitize
fi

step "done"
