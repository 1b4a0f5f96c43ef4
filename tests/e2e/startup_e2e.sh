#!/usr/bin/env bash
# Starts the built program as a person would, in its own Wine prefix on the
# virtual display, and checks start-up from outside: window, position, the
# "-s" switch and the single-instance rule.
# Usage: startup_e2e.sh <build folder>   (inside the test run's Xvfb)
# No pipefail: "… | grep -q" would fail whenever grep stops reading early.
set -u
build=$(cd "$1" && pwd)
src=$(cd "$(dirname "$0")/../.." && pwd)
prefix_name=e2e-startup-prefix
source "$src/tests/e2e/e2e_common.sh"

running_copies() { our_pids | wc -l; }

# Starts with a Windows command line as written, quotes and all: Wine would
# escape quotes given on its own command line, a batch file's line it keeps.
start_line() {
  stop_all
  local winexe
  winexe="Z:$(echo "$exe" | tr / '\\')"
  printf 'start "" %s %s\r\n' "$winexe" "$1" >"$build/e2e-start.bat"
  (cd "$build" && wine cmd /c "Z:$(echo "$build/e2e-start.bat" | tr / '\\')" >/dev/null 2>&1 &)
  wait_started
}


geometry_is() {  # x y w h
  local id g
  id=$(main_window)
  [[ -n "$id" ]] || return 1
  g=$(xdotool getwindowgeometry "$id")
  [[ "$g" == *"Position: $1,$2"* && "$g" == *"Geometry: $3x$4"* ]] || {
    echo "        got: $g"
    return 1
  }
}

# A first start shows the frameless window centred on the 1024 x 768 screen.
start
check "first start shows the window" shown
check "550 x 374 at (237, 197)" geometry_is 237 197 550 374
check "no frame: the X window is exactly the client size" geometry_is 237 197 550 374

for arg in -s -S; do
  start "$arg"
  check "start with $arg is hidden" hidden
done
start_line '"-s"'
check 'start with "-s" in quotes is hidden' hidden
start_line '/S'
check 'a line started through cmd with /S is shown' shown
for args in /s --s -s1 "x -s"; do
  # shellcheck disable=SC2086
  start $args
  check "start with '$args' is shown" shown
done

# A second copy ends at once with exit code 0 and leaves the first as it was.
for first in "" "-s"; do
  start $first
  before=$(xdotool search --onlyvisible --name '^Form1$' | wc -l)
  (cd "$build" && timeout 60 wine "$exe" >/dev/null 2>&1)
  code=$?
  sleep 0.5
  after=$(xdotool search --onlyvisible --name '^Form1$' | wc -l)
  check "second copy (first started '${first:-plain}') exits with 0" test "$code" -eq 0
  check "second copy leaves the first as it was" test "$before" -eq "$after"
  check "one copy running" test "$(running_copies)" -eq 1
done

# Twenty copies started together leave exactly one running.
stop_all
wineserver -p 2>/dev/null  # one server for all twenty, so they truly race
for _ in $(seq 1 20); do
  (cd "$build" && wine "$exe" -s >/dev/null 2>&1 &)
done
# On a busy machine the late ones may still be starting: wait for them to end.
one_left() { [[ $(running_copies) -eq 1 ]]; }
within 300 one_left
count=$(running_copies)
check "twenty copies together leave exactly one (found $count)" test "$count" -eq 1

stop_all
finish
