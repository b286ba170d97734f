#!/usr/bin/env bash
# Sets everything up, builds, and plays the show.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" release
exec "$root/build/bin/heliotropic"
