#!/usr/bin/env bash
# The eraser's RemoveFolderContents against a minimal FindFirstFile/DeleteFile/
# RemoveDirectory loop under the same Wine, and against native rm -rf, on
# fresh trees of 20,000 small files in 200 folders. Alternating order, a sync
# after every generation, medians and ratios.
# Usage: bash bench/removal_bench.sh [rounds]   (default 5)
set -euo pipefail
rounds=${1:-5}
root=$(cd "$(dirname "$0")/.." && pwd)
export VELOTUNE_BUILD=${VELOTUNE_BUILD:-build}
build="$root/$VELOTUNE_BUILD"

if [[ -z "${VELOTUNE_IN_XVFB:-}" ]]; then
  cmake --build "$build" --target removal_bench >/dev/null
  exec env VELOTUNE_IN_XVFB=1 xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$@"
fi
source "$root/scripts/wine-env.sh"
init_prefix

scratch="$build/bench-scratch"
tree="$scratch/tree"
canary="$scratch/canary.txt"
rm -rf "$scratch"
mkdir -p "$scratch"
echo keep >"$canary"

generate() {
  rm -rf "$tree"
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

count_files() { find "$tree" -type f 2>/dev/null | wc -l; }

wintree="Z:$(echo "$tree" | tr / '\\')"
declare -A times
run() {
  local method=$1 ms
  generate
  [[ $(count_files) -eq 20000 ]] || { echo "generation failed"; exit 1; }
  case $method in
    ours | minimal) ms=$(wine "$build/bench/removal_bench.exe" "$method" "$wintree" | tr -d '\r') ;;
    rm)
      local t0 t1
      t0=$(date +%s%N)
      rm -rf "$tree"
      t1=$(date +%s%N)
      ms=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", (b - a) / 1e6 }')
      ;;
  esac
  [[ $(count_files) -eq 0 ]] || { echo "$method left files behind"; exit 1; }
  [[ -f "$canary" ]] || { echo "the canary is gone"; exit 1; }
  times[$method]+="$ms "
}

methods=(ours minimal rm)
for ((r = 0; r < rounds; ++r)); do
  # Rotate the order every round so no method always runs first.
  for ((i = 0; i < 3; ++i)); do run "${methods[(r + i) % 3]}"; done
done
wineserver -k 2>/dev/null || true
rm -rf "$scratch"

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "rounds: $rounds (20,000 files of 100 bytes in 200 folders, fresh tree each run)"
for m in "${methods[@]}"; do
  printf '%-8s median %8.1f ms   runs: %s\n' "$m" "$(echo "${times[$m]}" | median)" "${times[$m]}"
done
o=$(echo "${times[ours]}" | median)
n=$(echo "${times[minimal]}" | median)
x=$(echo "${times[rm]}" | median)
awk -v o="$o" -v n="$n" -v x="$x" \
  'BEGIN { printf "ours / minimal: %.2f   ours / rm -rf: %.2f   minimal / rm -rf: %.2f\n", o / n, o / x, n / x }'
