#!/usr/bin/env bash
# A bounded, repeatable run of the PNG fuzz target: the decoder's test
# fixtures as seeds, a fixed number of inputs and a fixed random seed. Any
# sanitizer report, broken promise (the target traps) or allocation above the
# decoder's output cap fails it. Ends with a line saying what it covered.
# Usage: fuzz_png.sh FUZZER SEED_DIR WORK_DIR
set -uo pipefail
fuzzer=$1
seeds=$2
work=$3
runs=${VELOTUNE_FUZZ_RUNS:-1000000}
here=$(cd "$(dirname "$0")" && pwd)

# A fresh corpus each time, so every run does the same work.
mkdir -p "$work"
rm -rf "$work/corpus" "$work/seeds" "$work/summary.txt" "$work"/crash-* "$work"/oom-* "$work"/timeout-* "$work"/leak-*
mkdir "$work/corpus" "$work/seeds"
cp "$seeds"/*.png "$work/seeds/"
seed_count=$(ls "$work/seeds" | wc -l)

# Compared pointers feed the mutations too, so addresses are kept fixed; the
# malloc limit sits just above the decoder's 64 MiB output cap.
start=$EPOCHREALTIME
setarch "$(uname -m)" --addr-no-randomize \
  "$fuzzer" -runs="$runs" -seed=1 -reload=0 -max_len=2048 -malloc_limit_mb=65 \
  -rss_limit_mb=1024 -timeout=10 -dict="$here/png.dict" -print_final_stats=1 \
  -artifact_prefix="$work/" "$work/corpus" "$work/seeds" >"$work/log" 2>&1
rc=$?
seconds=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')

if [[ $rc -ne 0 ]]; then
  tail -n 60 "$work/log"
  echo "png fuzz: FAILED (exit $rc); the input is in $work/ (crash-*, oom-*, timeout-*)"
  exit 1
fi
executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
edges=$(sed -nE 's/.*Loaded 1 modules +\(([0-9]+) inline 8-bit counters.*/\1/p' "$work/log")
field() { sed -nE "s/.* $1: ([0-9]+).*/\1/p" <<<"$2"; }
inited=$(grep -E '^#[0-9]+[[:space:]]+INITED' "$work/log")
last=$(grep -E '^#[0-9]+' "$work/log" | tail -n 1)
corpus=$(ls "$work/corpus" | wc -l)
printf '%s\n' \
  "png fuzz: $executed inputs in $seconds s (seed 1) from $seed_count seed files;" \
  "  coverage: $(field cov "$last") of $edges edges (the seeds alone: $(field cov "$inited")), $(field ft "$last") features (seeds: $(field ft "$inited"));" \
  "  $corpus new inputs kept, in $work/corpus" | tee "$work/summary.txt"
