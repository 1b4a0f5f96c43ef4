#!/usr/bin/env bash
# The built program used by keyboard alone, in its own Wine prefix on the
# virtual display: Tab to a page's controls, Space on a box, Enter on an
# action button, the page keys, Esc to the tray, F1 and Alt+F4. What the keys
# did is read from outside (registry, windows, screenshots).
# Usage: keyboard_e2e.sh <build folder>   (inside the test run's Xvfb)
set -u
build=$(cd "$1" && pwd)
src=$(cd "$(dirname "$0")/../.." && pwd)
shots="$build/e2e-keys-shots"
mkdir -p "$shots"
prefix_name=e2e-keys-prefix
source "$src/tests/e2e/e2e_common.sh"

# The program on drive C: without its help file, so F1 must warn.
program="$WINEPREFIX/drive_c/VelotuneKeys"
mkdir -p "$program"
cp "$build/velotune.exe" "$build/license.txt" "$program/"
[[ -f "$build/e2e/tray_poke.exe" ]] && cp "$build/e2e/tray_poke.exe" "$program/"
exe="$program/velotune.exe"
poke="$program/tray_poke.exe"
hkcu='HKCU\Software\Quorvane\Velotune'

# The main window takes the X focus before any key (there is no window manager).
keys() {  # key...
  local w
  w=$(main_window)
  [[ -n "$w" ]] && xdotool windowfocus --sync "$w" 2>/dev/null
  sleep 0.2
  for k in "$@"; do
    xdotool key "$k"
    sleep 0.4
  done
}
shot() {  # name x y w h
  import -window root "$shots/screen.png"
  convert "$shots/screen.png" -crop "$4x$5+$2+$3" +repage "$shots/$1.png"
}
header() { shot "$1" $((X0 + 371)) $((Y0 + 34)) 173 19; }
same() { [[ "$(compare -metric AE "$1" "$2" null: 2>&1)" == 0 ]]; }
differ() { ! same "$1" "$2"; }
has_box() { [[ -n "$(message_box)" ]]; }

wine reg delete 'HKCU\Software\Quorvane' /f >/dev/null 2>&1
start
check "the window is shown" shown
header header-1

# Page keys: each page's header, and round again.
keys ctrl+2
header header-2
keys ctrl+3
header header-3
keys ctrl+4
header header-4
check "Ctrl+2 shows another page" differ "$shots/header-2.png" "$shots/header-1.png"
check "Ctrl+3 shows another page" differ "$shots/header-3.png" "$shots/header-2.png"
check "Ctrl+4 shows another page" differ "$shots/header-4.png" "$shots/header-3.png"
keys ctrl+Tab
header header-wrap
check "Ctrl+Tab on the last page goes round to page 1" same "$shots/header-wrap.png" "$shots/header-1.png"
keys ctrl+shift+Tab
header header-back
check "Ctrl+Shift+Tab goes back to page 4" same "$shots/header-back.png" "$shots/header-4.png"
keys ctrl+1

# Space on a box: page 2's first stop is IE_BOX1.
check "first start stores ie_box1 = 1" value_is "$hkcu" ie_box1 0x1
keys Tab ctrl+2 space
check "Tab, Ctrl+2 and Space untick IE_BOX1: ie_box1 = 0" value_is "$hkcu" ie_box1 0x0
keys space
check "Space again ticks it: ie_box1 = 1" value_is "$hkcu" ie_box1 0x1

# Enter on Optimize Now!: back on page 1 the stops are RB1, then the button.
keys ctrl+1 Down
keys Tab Return
check "Enter on Optimize Now! runs profile 2 and asks to restart; No answers it" answer_box n
check "the window is still there after No" shown
check "noset = 2: the arrow selected profile 2" value_is "$hkcu" noset 0x2

# F1 without the help file: Help Contents' warning (its text is checked by
# the unit tests; from outside only the box is seen).
keys F1
check "F1 warns in a Velotune box" within 50 has_box
check "Return closes the warning" answer_box Return

# Esc sends the window to the tray; the icon brings it back.
keys Escape
check "Esc hides the window to the tray" within 30 hidden
tray 0x203
check "a double click on the icon shows it again" shown
keys ctrl+3
header header-after-tray
check "the keys work again after the tray" same "$shots/header-after-tray.png" "$shots/header-3.png"

keys alt+F4
check "Alt+F4 ends the program" gone

stop_all
finish
