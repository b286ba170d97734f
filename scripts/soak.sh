#!/usr/bin/env bash
# Soak check (not part of CI): the whole show captured again and again at a small size, each
# run's resident memory sampled while it plays. Passes when no run grows once the show has
# started and the runs end at the same size.
#   scripts/soak.sh [RUNS] [BUILD_DIR]        (default 10 runs of build/)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs="${1:-10}"
build="$root/${2:-build}"
capture="$build/bin/heliotropic-capture"
# Growth allowed within a run and between runs, in KiB: allocator noise, not a leak.
tolerance=4096
if [ ! -x "$capture" ]; then
  echo "soak: no $capture; build first (scripts/setup.sh)" >&2
  exit 1
fi

# Resident size in KiB of a process, or nothing once it has ended.
rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || true; }

failed=0
first_end=""
printf '%4s %10s %10s %10s %10s\n' run start_KiB end_KiB max_KiB samples
for run in $(seq 1 "$runs"); do
  "$capture" --size 160x120 2>/dev/null &
  pid=$!
  samples=()
  while kill -0 "$pid" 2>/dev/null; do
    value=$(rss "$pid")
    [ -n "$value" ] && samples+=("$value")
    sleep 0.5
  done
  wait "$pid" || { echo "soak: run $run failed" >&2; exit 1; }
  count=${#samples[@]}
  if ((count < 8)); then
    echo "soak: run $run ended after $count samples; too short to judge" >&2
    exit 1
  fi
  # The first quarter holds the start-up (loading every scene and picture); the show plays after.
  start=${samples[$((count / 4))]}
  end=${samples[$((count - 2))]}
  max=$(printf '%s\n' "${samples[@]:$((count / 4))}" | sort -n | tail -1)
  printf '%4d %10d %10d %10d %10d\n' "$run" "$start" "$end" "$max" "$count"
  if ((max - start > tolerance)); then
    echo "soak: run $run grew by $((max - start)) KiB while the show played" >&2
    failed=1
  fi
  if [ -z "$first_end" ]; then first_end=$end; fi
  if ((end - first_end > tolerance)); then
    echo "soak: run $run ends $((end - first_end)) KiB above the first run" >&2
    failed=1
  fi
done
if ((failed)); then exit 1; fi
echo "soak: $runs runs, no growth"
