#!/usr/bin/env bash
# Sets everything up, builds, and plays the show. With no display to play on, the show is
# rendered to a video file instead.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" release

bin="$root/build/bin"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/heliotropic"
fi

echo "No display to play the show on: rendering it to a video file instead."
if [ ! -x "$bin/heliotropic-capture" ]; then
  echo "The capture tool is not built here ($bin/heliotropic-capture), so no video can be made." >&2
  echo "Run the show where there is a display, or under Xvfb: xvfb-run -a $bin/heliotropic" >&2
  exit 1
fi
video="$root/build/heliotropic.mp4"
"$bin/heliotropic-capture" --video "$video"
echo "The show is in $video"
