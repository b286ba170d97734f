#!/usr/bin/env bash
# Regenerates the golden frames in tests/golden/frames from the software device, for a change
# that is meant to move pixels. Commit the new frames with that change and say why in its message.
#   scripts/update-golden.sh [BUILD_DIR]      (default: build, configured with the release preset)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
frames="$root/tests/golden/frames"

cd "$root"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset release >/dev/null
fi
# Builds the capture program and bakes the data with it.
cmake --build "$build" -j "$(nproc)" --target test_golden
if [ ! -f "$build/bin/music/clone.mp3" ]; then
  echo "update-golden: the show's data is not baked in $build/bin (configure with HELIOTROPIC_BAKE=ON)" >&2
  exit 1
fi

# Frames no longer in the test's table must not linger.
rm -f "$frames"/*.png
mkdir -p "$frames"
if ! HELIOTROPIC_UPDATE_GOLDEN=1 "$build/bin/test_golden" --gtest_filter='Depths/GoldenFrames.*'; then
  echo "update-golden: failed; 'git checkout -- tests/golden/frames' brings the previous frames back" >&2
  exit 1
fi

echo "update-golden: $(ls "$frames"/*.png | wc -l) frames, $(du -sh "$frames" | cut -f1) in $frames"
git -C "$root" status --short -- "$frames"
