#!/usr/bin/env bash
# Runs every test under Wine inside one virtual display.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [[ -z "${VELOTUNE_IN_XVFB:-}" ]]; then
  exec env VELOTUNE_IN_XVFB=1 xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$@"
fi
source "$here/wine-env.sh"
cd "$root"
# A wineserver left from a run without this display would break window creation.
wineserver -k 2>/dev/null || true
init_prefix
started=$(date +%s)
ctest --test-dir "$build" --output-on-failure "$@"
rc=$?
# ctest keeps a passing test's output to itself: show what the fuzz run covered.
fuzz_summary="$build/host/fuzz-run/summary.txt"
if [[ -f $fuzz_summary ]] && (($(stat -c %Y "$fuzz_summary") >= started)); then
  cat "$fuzz_summary"
fi
wineserver -k 2>/dev/null || true
exit $rc
