#!/usr/bin/env bash
# Times a Direct3D device on the show: evenly spaced frames of every segment drawn at each
# size, the rest of the show run record-only, and one table of mean and worst milliseconds and
# frames per second per segment, the whole show's mean and the record-only speed.
#   scripts/bench.sh [--quick] [--frames N] [--program PATH] [--device TEXT]... [SIZE...]
#     SIZE       WIDTHxHEIGHTxBITS (default: 640x480x16 640x480x32 1280x720x32 1920x1080x32)
#     --quick    640x480x16 alone unless sizes are given, 2 frames a segment: under 30 seconds
#     --frames   frames drawn per segment (default 10)
#     --program  another build's heliotropic-capture, to compare builds (nothing is built then)
#     --device   the device with this description (default: the first listed); given more than
#                once, the devices side by side, each size once per device
# HELIOTROPIC_THREADS and HELIOTROPIC_SIMD are passed on to the device.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
frames=10
quick=0
program=""
sizes=()
devices=()
while (($#)); do
  case "$1" in
    --quick) quick=1 ;;
    --frames) frames="${2:?--frames needs a number}"; shift ;;
    --program) program="${2:?--program needs a path}"; shift ;;
    --device) devices+=("${2:?--device needs a device description}"); shift ;;
    -h|--help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "bench: unknown option $1 (see --help)" >&2; exit 2 ;;
    *)
      if [[ ! "$1" =~ ^[0-9]+x[0-9]+x(16|32)$ ]]; then
        echo "bench: size '$1' is not WIDTHxHEIGHTxBITS such as 640x480x16" >&2
        exit 2
      fi
      sizes+=("$1") ;;
  esac
  shift
done
if ((quick)); then
  frames=2
  ((${#sizes[@]})) || sizes=(640x480x16)
fi
((${#sizes[@]})) || sizes=(640x480x16 640x480x32 1280x720x32 1920x1080x32)

if [ -z "$program" ]; then
  program="$root/build/bin/heliotropic-capture"
  if [ ! -f "$root/build/CMakeCache.txt" ]; then
    (cd "$root" && cmake --preset release >/dev/null)
  fi
  cmake --build "$root/build" --target heliotropic-capture bake-data -j "$(nproc)" >/dev/null
fi
if [ ! -x "$program" ]; then
  echo "bench: no capture program at $program" >&2
  exit 1
fi

names=("opening" "echo and credits" "compe and figure" "figure burst" "flare swarm" "roki"
       "king and cube swarm" "alien finale")
results="$(mktemp -d)"
trap 'rm -rf "$results"' EXIT

# One column group per device and size, named by the size and, with several devices, a letter.
runs=()
labels=()
letters=(A B C D E F G H)
if ((${#devices[@]} > 1)); then
  for d in "${!devices[@]}"; do
    echo "bench: ${letters[$d]} is \"${devices[$d]}\"" >&2
    for size in "${sizes[@]}"; do runs+=("$d:$size"); labels+=("$size ${letters[$d]}"); done
  done
else
  for size in "${sizes[@]}"; do runs+=("0:$size"); labels+=("$size"); done
fi

for run in "${runs[@]}"; do
  d="${run%%:*}"
  size="${run#*:}"
  IFS=x read -r width height bits <<<"$size"
  device=()
  ((${#devices[@]})) && device=(--device "${devices[$d]}")
  echo "bench: $size${device[1]:+ on ${device[1]}}, $frames frames a segment" >&2
  if ! "$program" --bench "$frames" --size "${width}x${height}" --bits "$bits" "${device[@]}" \
      >"$results/$run" 2>"$results/$run.err"; then
    cat "$results/$run.err" >&2
    exit 1
  fi
done

# One row per segment, three columns per run: mean ms, worst ms, frames/s.
{
  printf '%-24s' "segment"
  for label in "${labels[@]}"; do printf ' | %-25s' "$label mean/worst ms, fps"; done
  printf '\n'
  for segment in 0 1 2 3 4 5 6 7; do
    printf '%-24s' "$segment ${names[$segment]}"
    for run in "${runs[@]}"; do
      awk -v s="$segment" '$1 == s { printf " | %8.1f %8.1f %7.1f", $3, $4, $6; found = 1 }
                            END { if (!found) printf " | %25s", "-" }' "$results/$run"
    done
    printf '\n'
  done
  printf '%-24s' "show mean"
  for run in "${runs[@]}"; do
    awk '$1 == "show" { sub(",", "", $5); printf " | %8.1f %8s %7.1f", $5, "", $7 }' "$results/$run"
  done
  printf '\n'
  printf '%-24s' "record-only frames/s"
  for run in "${runs[@]}"; do
    awk '$1 == "record-only" { printf " | %25.0f", $4 }' "$results/$run"
  done
  printf '\n'
}
