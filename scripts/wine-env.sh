# Sourced: the private Wine prefix under build/ and quiet Wine settings.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/${VELOTUNE_BUILD:-build}"
export WINEPREFIX="$build/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
# Wine maps file names through the locale: only UTF-8 keeps every name intact.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Initialises the prefix once; needs a display, so call it inside Xvfb.
init_prefix() {
  if [[ -f "$WINEPREFIX/.velotune-ready" ]]; then
    return 0
  fi
  echo "wine: initialising the prefix in $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wine wineboot --init >/dev/null 2>&1 || true
  wineserver -w
  # A crash ends with an exit code instead of a dialog that hangs the run.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # There is no window manager on the virtual display: without this, Wine
  # waits two seconds for one whenever a window is hidden or destroyed.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver -w
  unlink_home_folders
  touch "$WINEPREFIX/.velotune-ready"
}

# Wine links the profile's Desktop, Documents and the like to $HOME: real
# folders of the prefix instead, so nothing run in it reaches the host's files.
unlink_home_folders() {
  local user dir
  for user in "$WINEPREFIX"/drive_c/users/*; do
    for dir in Desktop Documents Downloads Music Pictures Videos Templates; do
      if [[ -L "$user/$dir" ]]; then
        rm -f -- "$user/$dir"
        mkdir -p -- "$user/$dir"
      fi
    done
  done
}
