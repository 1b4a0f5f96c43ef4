#!/usr/bin/env bash
# Starts velotune.exe under Wine in the private prefix. Without a display it
# runs on a virtual one, saves build/screenshot.png once it is up, and ends.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
cd "$root"
# The prefix is made without Wine's HTML engine (no install prompts); the
# program itself keeps it, so "Help Contents" opens in Wine's help viewer.
run_overrides="mscoree=;winemenubuilder.exe=d"

if [[ -n "${DISPLAY:-}" && -z "${VELOTUNE_IN_XVFB:-}" ]] && xdpyinfo >/dev/null 2>&1; then
  init_prefix
  WINEDLLOVERRIDES=$run_overrides exec wine "$build/velotune.exe" "$@"
fi

if [[ -z "${VELOTUNE_IN_XVFB:-}" ]]; then
  exec env VELOTUNE_IN_XVFB=1 xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$@"
fi

wineserver -k 2>/dev/null || true
init_prefix
WINEDLLOVERRIDES=$run_overrides wine "$build/velotune.exe" "$@" &
app=$!
# Up means a visible Velotune window, or the program already ended.
for _ in $(seq 1 60); do
  if xdotool search --onlyvisible --name 'Velotune|Form1' >/dev/null 2>&1; then
    sleep 1
    break
  fi
  kill -0 $app 2>/dev/null || break
  sleep 0.5
done
import -window root "$build/screenshot.png"
echo "screenshot: $build/screenshot.png"
wineserver -k 2>/dev/null || true
wait $app 2>/dev/null || true
