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
ctest --test-dir "$build" --output-on-failure "$@"
rc=$?
wineserver -k 2>/dev/null || true
exit $rc
