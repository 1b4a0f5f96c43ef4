#!/usr/bin/env bash
# The eraser's RemoveFolderContents against a minimal FindFirstFile/DeleteFile/
# RemoveDirectory loop (ANSI, and wide on "\\?\" paths) under the same Wine,
# and against native rm -rf, on
# fresh trees of 20,000 small files in 200 folders. Rotating order, a sync
# after every generation, medians and ratios.
# Usage: bash bench/removal_bench.sh [rounds]   (default 5)
set -euo pipefail
rounds=${1:-5}
[[ $rounds =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [rounds]" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
export VELOTUNE_BUILD=${VELOTUNE_BUILD:-build}
build="$root/$VELOTUNE_BUILD"
exe="$build/bench/removal_bench.exe"

if [[ -z "${VELOTUNE_IN_XVFB:-}" ]]; then
  cmake --build "$build" --target removal_bench >/dev/null
  exec env VELOTUNE_IN_XVFB=1 xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" "$@"
fi
source "$root/scripts/wine-env.sh"
init_prefix

# Everything this script deletes lies below this fresh folder; Wine reaches it
# through Z:.
scratch=$(mktemp -d /tmp/velotune-bench.XXXXXX)
tree="$scratch/tree"
canary="$scratch/canary.txt"
wintree="Z:$(tr / '\\' <<<"$tree")"

remove_below_scratch() {
  case $1 in
    "$scratch"/?*) rm -rf -- "$1" ;;
    *) echo "refusing to delete $1" >&2; exit 1 ;;
  esac
}
cleanup() {
  # After a failure a Wine process could still be deleting in the scratch
  # folder; after success none is left, and the prefix may be shared.
  (($? == 0)) || wineserver -k 2>/dev/null || true
  case $scratch in /tmp/velotune-bench.?*) rm -rf -- "$scratch" ;; esac
}
trap cleanup EXIT
trap 'exit 130' INT TERM

echo "keep me" >"$canary"

generate() {
  [[ ! -e $tree ]] || remove_below_scratch "$tree"
  python3 - "$tree" <<'PY'
import os, sys
root = sys.argv[1]
payload = b"x" * 100
for a in range(20):
    for b in range(10):
        folder = os.path.join(root, f"d{a:02}", f"s{b}")
        os.makedirs(folder)
        for f in range(100):
            with open(os.path.join(folder, f"f{f:03}.dat"), "wb") as out:
                out.write(payload)
PY
  sync
}

# Entries below the tree's root: 20 + 200 folders and 20,000 files (the Windows
# routines leave the root itself).
count_entries() { find "$tree" -mindepth 1 2>/dev/null | wc -l; }

declare -A times round_times
run() {
  local method=$1 ms
  generate
  [[ $(count_entries) -eq 20220 ]] || { echo "generation failed" >&2; exit 1; }
  case $method in
    ours | minimal | minimal-wide) ms=$(wine "$exe" "$method" "$wintree" | tr -d '\r') ;;
    rm)
      local t0 t1
      t0=$(date +%s%N)
      rm -rf -- "$tree"
      t1=$(date +%s%N)
      ms=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", (b - a) / 1e6 }')
      ;;
  esac
  [[ $ms =~ ^[0-9]+(\.[0-9]+)?$ ]] || { echo "$method gave no time: '$ms'" >&2; exit 1; }
  [[ $(count_entries) -eq 0 ]] || { echo "$method left entries behind" >&2; exit 1; }
  [[ $(cat "$canary" 2>/dev/null) == "keep me" ]] || { echo "the canary is gone" >&2; exit 1; }
  times[$method]+="$ms "
  round_times[$method,$r]=$ms
}

methods=(ours minimal minimal-wide rm)
for ((r = 0; r < rounds; ++r)); do
  # Rotate the order every round so no method always runs first.
  for ((i = 0; i < 4; ++i)); do run "${methods[(r + i) % 4]}"; done
done

median() {
  tr ' ' '\n' | grep -v '^$' | sort -g |
    awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
echo "rounds: $rounds (20,000 files of 100 bytes in 20 x 10 folders, fresh tree each run)"
for m in "${methods[@]}"; do
  printf '%-13s median %8.1f ms   runs: %s\n' "$m" "$(median <<<"${times[$m]}")" "${times[$m]}"
done
o=$(median <<<"${times[ours]}")
n=$(median <<<"${times[minimal]}")
w=$(median <<<"${times[minimal-wide]}")
x=$(median <<<"${times[rm]}")
awk -v o="$o" -v n="$n" -v w="$w" -v x="$x" 'BEGIN {
  printf "ours / minimal: %.2f   ours / minimal-wide: %.2f   ours / rm -rf: %.2f   minimal / rm -rf: %.2f\n",
         o / n, o / w, o / x, n / x }'
# Runs of the same round are close in time, so their ratio shrugs off slow
# swings in the machine's load better than a ratio of medians does.
for base in minimal minimal-wide; do
  paired=$(for ((r = 0; r < rounds; ++r)); do
    awk -v o="${round_times[ours,$r]}" -v n="${round_times[$base,$r]}" 'BEGIN { printf "%.2f ", o / n }'
  done)
  printf 'ours / %s per round: median %.2f   rounds: %s\n' "$base" "$(median <<<"$paired")" "$paired"
done
