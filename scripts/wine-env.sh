# Sourced: the private Wine prefix under build/ and quiet Wine settings.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/${VELOTUNE_BUILD:-build}"
export WINEPREFIX="$build/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
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
  touch "$WINEPREFIX/.velotune-ready"
}
