#!/usr/bin/env bash
# One frame inside each of the show's eight segments, captured as stills in one run of the
# show, every earlier frame run as well; fails on any sanitizer report.
#   scripts/segment-frames.sh [BUILD_DIR]     (default build-sanitize)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/${1:-build-sanitize}"
out="$(mktemp -d)"
log="$out/capture.log"
trap 'rm -rf "$out"' EXIT

# Positions where each segment shows its own material (as the segment tests use).
positions=2000000,4500000,7500000,9000000,13000000,16000000,25000000,40000000
status=0
"$build/bin/heliotropic-capture" --size 160x120 --at "$positions" --frames "$out" 2>"$log" || status=$?
if [ "$status" -ne 0 ] || grep -qE "runtime error|Sanitizer" "$log"; then
  cat "$log" >&2
  echo "segment frames: the capture failed or a sanitizer reported (exit $status)" >&2
  exit 1
fi
stills=$(find "$out" -name 'pos_*.png' | wc -l)
if [ "$stills" -ne 8 ]; then
  echo "segment frames: $stills stills written, not 8" >&2
  exit 1
fi
echo "segment frames: 8 stills, no sanitizer report"
