#!/usr/bin/env bash
# Sets everything up, builds, and runs every test suite.
#   scripts/test.sh [release|sanitize]
set -euo pipefail

preset="${1:-release}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" "$preset"
cd "$root"
ctest --preset "$preset" -j "$(nproc)"
