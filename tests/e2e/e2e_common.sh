# Sourced by the end-to-end scripts: a fresh Wine prefix of their own, the
# check counter, finding and starting the program, clicks, the registry and
# the tray menu.
# Needs: build (the build folder), src (the source folder), prefix_name;
# fresh_prefix=1 makes the prefix anew, in this run's environment, instead
# of copying the unit tests' one.
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
if [[ -z "${fresh_prefix:-}" && -f "$unit_prefix/.velotune-ready" ]]; then
  cp -a "$unit_prefix" "$WINEPREFIX"
else
  init_prefix >/dev/null
fi
# Windows' usual setting, which the screenshots assume: focus marks only once
# the keyboard is used (a new Wine prefix shows them always).
wine reg add 'HKCU\Control Panel\Desktop' /v UserPreferencesMask /t REG_BINARY \
  /d 9e1e078012000000 /f >/dev/null 2>&1

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

# True as soon as the command is, polled every 0.1 s for at most that many tries.
within() {  # tries command...
  local tries=$1
  shift
  for _ in $(seq 1 "$tries"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

main_window() { xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -n 1; }
any_window() { xdotool search --name '^Form1$' 2>/dev/null | head -n 1; }
has_window() { [[ -n "$($1)" ]]; }
# On a busy machine a window can be made some time before it shows: wait
# for it. A hidden start is judged at once, after wait_started's pause.
shown() { within 50 has_window main_window; }
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
wait_started() { within 100 has_window any_window && sleep 0.7; }

start() {
  stop_all
  (cd "$(dirname "$exe")" && wine "$exe" "$@" >/dev/null 2>&1 &)
  wait_started
}

X0=237 Y0=197  # the main window's place on the 1024 x 768 screen
poke="$build/e2e/tray_poke.exe"

no_copies() { [[ -z "$(our_pids)" ]]; }
gone() { within 50 no_copies; }

click() {  # screen x y
  xdotool mousemove "$1" "$2"
  sleep 0.2
  xdotool click 1
  sleep 0.5
}

# What a Wine program prints (both streams), through a file. Read through a
# pipe, the output could never end: a process Wine starts on the way (a
# service, a driver host) may inherit the pipe and keep it open for as long
# as the Wine server runs.
wine_output() {
  local file status
  file=$(mktemp "${TMPDIR:-/tmp}/velotune-e2e-out.XXXXXX")
  wine "$@" >"$file" 2>&1
  status=$?
  cat "$file"
  rm -f -- "$file"
  return $status
}

# reg query, told apart: 0 with the output, 1 when reg says the key or value
# does not exist, 2 when reg failed some other way. That last one is retried:
# under load a Wine process now and then ends without a word, and a check of
# absence must not take that for "absent".
reg_query() {
  local out try
  for try in 1 2 3; do
    out=$(wine_output reg query "$@")
    if [[ $? -eq 0 && $out == *HKEY_* ]]; then
      printf '%s\n' "${out//$'\r'/}"
      return 0
    fi
    [[ $out == *"Unable to find"* ]] && return 1
    echo "        reg query $* failed (try $try): '${out//$'\r'/}'" >&2
    sleep 1
  done
  return 2
}
reg_value() {  # key value -> the data as reg prints it; exit code as reg_query's
  local out
  out=$(reg_query "$1" /v "$2") || return
  awk -v v="$2" '
    { line = $0; sub(/^ +/, "", line) }
    index(line, v) == 1 { n = split(line, f, /    /); print f[n]; found = 1 }
    END { if (!found) exit 2 }' <<<"$out"
}
no_value() { reg_value "$1" "$2" >/dev/null; [[ $? -eq 1 ]]; }
no_key() { reg_query "$1" >/dev/null; [[ $? -eq 1 ]]; }
key_exists() { reg_query "$1" >/dev/null; }
value_is() {
  local got
  got=$(reg_value "$1" "$2")
  [[ "$got" == "$3" ]] || { echo "        got: '$got'"; return 1; }
}

# The tray icon's messages, as the shell sends them, with the cursor at (400, 300).
tray() {
  xdotool mousemove 400 300
  wine "$poke" "$1" >/dev/null 2>&1
  sleep 1
}
menu_key() {  # keys typed into the open tray menu
  # Without a window manager the X focus may still sit on a window a run has
  # hidden; the menu's own window takes the keys.
  local id
  for id in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
    xdotool getwindowgeometry "$id" | grep -q 'Position: 400,300' && xdotool windowfocus "$id"
  done
  sleep 0.2
  # shellcheck disable=SC2068
  for k in $@; do
    xdotool key "$k"
    sleep 0.3
  done
}

# Opens the tray menu and types keys until `done` holds (three tries: without a
# window manager a key can land before the menu has the focus).
menu_until() {  # "keys" done-command...
  local keys=$1
  shift
  for _ in 1 2 3; do
    tray 0x204
    menu_key $keys
    sleep 0.8
    "$@" && return 0
    xdotool key Escape Escape
    sleep 0.5
  done
  return 1
}

# The message box captioned "Velotune" (the application window has that
# name too, but it is 1 x 1).
message_box() {
  local id
  for id in $(xdotool search --onlyvisible --name '^Velotune$' 2>/dev/null); do
    xdotool getwindowgeometry "$id" | grep -q 'Geometry: 1x1' || { echo "$id"; return; }
  done
}
# Waits for the box and answers it with a key; true once it is gone.
answer_box() {
  local box=""
  for _ in $(seq 1 150); do
    box=$(message_box)
    [[ -n "$box" ]] && break
    sleep 0.1
  done
  [[ -n "$box" ]] || return 1
  # On a busy machine the key can land before the box has the focus: again.
  for _ in 1 2 3; do
    xdotool windowfocus "$box" 2>/dev/null
    sleep 0.3
    xdotool key "$1"
    sleep 0.6
    [[ -z "$(message_box)" ]] && return 0
  done
  return 1
}

# The progress window: 314 x 108 and nameless.
progress_window() {
  local id
  for id in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
    xdotool getwindowgeometry "$id" | grep -q 'Geometry: 314x108' && { echo "$id"; return; }
  done
}
