# Sourced by the end-to-end scripts: a fresh Wine prefix of their own, the
# check counter, and finding and starting the program.
# Needs: build (the build folder), src (the source folder), prefix_name.
exe="$build/velotune.exe"
# The Wine settings every run of ours shares; this script's own prefix.
e2e_build=$build
source "$src/scripts/wine-env.sh"
build=$e2e_build
unit_prefix="$build/wineprefix"
export WINEPREFIX="$build/$prefix_name"
passed=0
failed=0

check() {  # check "what" condition...
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok      $what"
  else
    failed=$((failed + 1))
    echo "FAILED  $what"
  fi
}

finish() {
  echo "$passed passed, $failed failed"
  [[ $failed -eq 0 ]]
}

# A fresh copy of the unit tests' initialised prefix every run, so nothing a
# previous run stored (settings, tweaks, profile values) leaks into this one.
rm -rf "$WINEPREFIX"
if [[ -f "$unit_prefix/.velotune-ready" ]]; then
  cp -a "$unit_prefix" "$WINEPREFIX"
else
  init_prefix
fi

# For a run of the real eraser: the program and its files on drive C:, no
# drive that maps the host's root, and no profile folder linked into $HOME,
# so no mistake can reach the host's files.
seal_prefix() {
  local program="$WINEPREFIX/drive_c/Velotune"
  mkdir -p "$program"
  cp "$build/velotune.exe" "$build/license.txt" "$build/velotunehelp.chm" "$program/"
  [[ -f "$build/e2e/tray_poke.exe" ]] && cp "$build/e2e/tray_poke.exe" "$program/"
  exe="$program/velotune.exe"
  rm -f "$WINEPREFIX/dosdevices/z:"
  unlink_home_folders
}
sealed() {
  [[ ! -e "$WINEPREFIX/dosdevices/z:" ]] &&
    ! find "$WINEPREFIX/drive_c/users" -maxdepth 2 -type l | grep -q .
}

stop_all() {
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
}

main_window() { xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -n 1; }
any_window() { xdotool search --name '^Form1$' 2>/dev/null | head -n 1; }
shown() { [[ -n "$(main_window)" ]]; }
hidden() { [[ -z "$(main_window)" && -n "$(any_window)" ]]; }

# Copies of the program in this prefix only: other Wine prefixes on the
# machine may run it too.
our_pids() {
  local pid
  for pid in $(pgrep -f 'velotune\.exe'); do
    # A process may end between the listing and the read.
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" &&
      echo "$pid"
  done
}

# Waits until the program has made its main window (shown or not).
wait_started() {
  for _ in $(seq 1 100); do
    [[ -n "$(any_window)" ]] && { sleep 0.7; return 0; }
    sleep 0.1
  done
  return 1
}

start() {
  stop_all
  (cd "$(dirname "$exe")" && wine "$exe" "$@" >/dev/null 2>&1 &)
  wait_started
}
