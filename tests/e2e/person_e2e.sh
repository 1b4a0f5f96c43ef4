#!/usr/bin/env bash
# Uses the built program as a person would, in its own Wine prefix on the
# virtual display: real clicks and keys, the tray icon's messages, and the
# results read from outside (registry, files, windows). With
# VELOTUNE_UPDATE_DOCS=1 it also saves the README's screenshots into docs/.
# Usage: person_e2e.sh <build folder>   (inside the test run's Xvfb)
# No pipefail: "… | grep -q" would fail whenever grep stops reading early.
set -u
build=$(cd "$1" && pwd)
src=$(cd "$(dirname "$0")/../.." && pwd)
docs="$src/docs"
shots="$build/e2e-shots"
mkdir -p "$shots" "$docs"
prefix_name=e2e-person-prefix
source "$src/tests/e2e/e2e_common.sh"
# This suite runs the real eraser: nothing of the host is reachable from here.
seal_prefix
poke="$(dirname "$exe")/tray_poke.exe"
check "the prefix maps no host folder" sealed

PX=$((X0 + 152)) PY=$((Y0 + 54))  # the pages' top-left

# The progress window: 314 x 108 and nameless.
progress_window() {
  local id
  for id in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
    xdotool getwindowgeometry "$id" | grep -q 'Geometry: 314x108' && { echo "$id"; return; }
  done
}
wait_run_end() {
  # It may not have shown yet.
  for _ in $(seq 1 30); do
    [[ -n "$(progress_window)" ]] && break
    sleep 0.1
  done
  for _ in $(seq 1 200); do
    [[ -z "$(progress_window)" ]] && return 0
    sleep 0.1
  done
  return 1
}

# Clicks until a run's progress window shows, then waits for its end; false
# when no run started.
run_by_clicks() {  # x y [x y]...
  local xy=("$@") i
  for _ in 1 2 3; do
    for ((i = 0; i < ${#xy[@]}; i += 2)); do click "${xy[i]}" "${xy[i + 1]}"; done
    for _ in $(seq 1 30); do
      [[ -n "$(progress_window)" ]] && { wait_run_end; return; }
      sleep 0.1
    done
  done
  return 1
}

shot() {  # name x y w h
  import -window root "$shots/screen.png"
  convert "$shots/screen.png" -crop "$4x$5+$2+$3" +repage "$shots/$1.png"
}
differ() { [[ "$(compare -metric AE "$1" "$2" null: 2>&1)" != 0 ]]; }
same() { [[ "$(compare -metric AE "$1" "$2" null: 2>&1)" == 0 ]]; }


hkcu='HKCU\Software\Quorvane\Velotune'
mstcp='HKLM\System\CurrentControlSet\Services\VxD\MSTCP'
tcpip='HKLM\System\CurrentControlSet\Services\Tcpip\Parameters'

# ---- A person at the window
wine reg delete 'HKCU\Software\Quorvane' /f >/dev/null 2>&1
start
check "the window is shown at (237, 197)" shown
for box in 1 2 3 4 5 6 7 8 9; do
  check "first start stores ie_box$box = 1" value_is "$hkcu" "ie_box$box" 0x1
done
shot page-network $X0 $Y0 550 374

nav=(0 67 129 192 255)
names=(x network eraser enhancements about)
for n in 2 3 4; do
  click $((X0 + 70)) $((Y0 + ${nav[n]} + 20))
  shot "page-${names[n]}" $X0 $Y0 550 374
  check "navigation button $n shows another page" differ "$shots/page-${names[n]}.png" "$shots/page-network.png"
done
shot header-about $((X0 + 371)) $((Y0 + 34)) 173 19
click $((X0 + 70)) $((Y0 + 67 + 20))
shot page-network-again $X0 $Y0 550 374
check "button 1 shows page 1 again" same "$shots/page-network-again.png" "$shots/page-network.png"

# Profile 2 from the page, restart question answered No.
click $((PX + 39 + 8)) $((PY + 67 + 8))
click $((PX + 263 + 60)) $((PY + 269 + 17))
sleep 0.6
if [[ -n "$(progress_window)" ]]; then shot progress 355 330 314 108; fi
check "the progress window shows during the run" test -f "$shots/progress.png"
check "the restart question comes and No answers it" answer_box n
check "the window is still there after No" shown
check "noset = 2" value_is "$hkcu" noset 0x2
check "MSTCP DefaultTTL = \"128\"" value_is "$mstcp" DefaultTTL 128
check "MSTCP DefaultRcvWindow = \"32767\"" value_is "$mstcp" DefaultRcvWindow 32767
check "MSTCP Tcp1323Opts is a number 1" value_is "$mstcp" Tcp1323Opts 0x1
check "Tcpip TcpWindowSize = 32767" value_is "$tcpip" TcpWindowSize 0x7fff
check "Tcpip GlobalMaxTcpWindowSize = 32767" value_is "$tcpip" GlobalMaxTcpWindowSize 0x7fff
check "Tcpip MTU = 1500" value_is "$tcpip" MTU 0x5dc
check "Tcpip TcpMaxDupAcks = 2" value_is "$tcpip" TcpMaxDupAcks 0x2

# A Tracks Eraser box stores its state at once.
click $((X0 + 70)) $((Y0 + 129 + 20))
click $((PX + 56 + 8)) $((PY + 39 + 8))
check "unticking IE_BOX2 stores ie_box2 = 0" value_is "$hkcu" ie_box2 0x0

# Enhancements: tick box 4 and apply; every other row gets its off value.
click $((X0 + 70)) $((Y0 + 192 + 20))
shot enhancements-before $X0 $Y0 550 374
check "button 3 shows the Enhancements page as before" same "$shots/enhancements-before.png" "$shots/page-enhancements.png"
shot box4-before $((PX + 56)) $((PY + 98)) 16 17
click $((PX + 56 + 8)) $((PY + 98 + 8))
shot box4-after $((PX + 56)) $((PY + 98)) 16 17
check "clicking EN_BOX4 ticks it" differ "$shots/box4-after.png" "$shots/box4-before.png"
click $((PX + 263 + 60)) $((PY + 269 + 17))
check "the enhancement run ends" wait_run_end
autocomplete='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\AutoComplete'
settings='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
check "Append Completion = yes" value_is "$autocomplete" "Append Completion" yes
check "MaxConnectionsPerServer = 2" value_is "$settings" MaxConnectionsPerServer 0x2
check "FavIntelliMenus = no" value_is 'HKCU\Software\Microsoft\Internet Explorer\Main' FavIntelliMenus no
check "e Web Based FTP = no" value_is 'HKCU\Software\Microsoft\Ftp' "e Web Based FTP" no
check "Hide Messenger = 0" value_is 'HKLM\SOFTWARE\Microsoft\Outlook Express' "Hide Messenger" 0x0
check "no message after a run that wrote everything" test -z "$(message_box)"

# Minimize to the tray and back with a double click on the icon.
click $((X0 + 509 + 8)) $((Y0 + 7 + 7))
check "the minimize glyph hides the window" hidden
tray 0x203
check "a double click on the icon shows it again" shown
check "at the same place" test "$(xdotool getwindowgeometry "$(main_window)" | grep -c 'Position: 237,197')" -eq 1

# The tray menu with its profile submenu open.
submenu_open() {
  local id g
  for id in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
    g=$(xdotool getwindowgeometry "$id")
    [[ "$g" != *"Position: 0,0"* && "$g" != *"Position: 400,300"* && "$g" != *"314x108"* ]] &&
      return 0
  done
  return 1
}
check "the tray menu opens its profile submenu" menu_until "Down Down Right" submenu_open
sleep 0.5
shot tray-menu 396 296 420 180
xdotool key Escape
sleep 0.3
xdotool key Escape
sleep 0.5

# ---- Tray only: started with -s, seeded traces, never shown until asked
stop_all
scratch="$WINEPREFIX/drive_c/velotune-e2e"
rm -rf "$scratch"
mkdir -p "$scratch"
echo keep >"$scratch/canary.txt"
appdata=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming | head -n 1)
ff="$appdata/Mozilla/Firefox/Profiles/e2e.default"
rm -rf "$appdata/Mozilla"
mkdir -p "$ff/Cache/0" "$scratch/ie/Cookies" "$scratch/ie/Cache/Content.IE5" \
  "$scratch/ie/History/History.IE5" "$scratch/opera/Cache4" "$scratch/aol"
echo c >"$ff/cookies.txt"
echo c >"$ff/cookies.sqlite"
echo c >"$ff/cookies.sqlite-wal"
echo c >"$ff/Cache/0/entry"
echo keep >"$ff/bookmarks.html"
echo keep >"$appdata/Mozilla/canary.txt"
echo c >"$scratch/ie/Cookies/user@site.txt"
echo c >"$scratch/ie/Cache/Content.IE5/page.htm"
echo c >"$scratch/ie/History/History.IE5/index.dat"
echo c >"$scratch/opera/cookies4.dat"
echo c >"$scratch/opera/global.dat"
echo c >"$scratch/opera/Cache4/opr0001.tmp"
echo keep >"$scratch/opera/opera.ini"
echo c >"$scratch/aol/a.arl"
echo keep >"$scratch/aol/keep.txt"
folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
wine reg add "$folders" /v Cookies /d 'C:\velotune-e2e\ie\Cookies' /f >/dev/null 2>&1
wine reg add "$folders" /v Cache /d 'C:\velotune-e2e\ie\Cache' /f >/dev/null 2>&1
wine reg add "$folders" /v History /d 'C:\velotune-e2e\ie\History' /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Microsoft\Internet Explorer\TypedURLs' /v url1 /d 'http://example.com/' /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Opera Software' /v 'Last Directory' /d 'C:\velotune-e2e\opera' /f >/dev/null 2>&1
wine reg add 'HKLM\Software\America Online\Aol\Current Version' /v AppPath /d 'C:\velotune-e2e\aol' /f >/dev/null 2>&1
wine reg delete "$hkcu" /f >/dev/null 2>&1

start -s
check "-s starts in the tray" hidden
tray 0x204
menu_key Down Down Right Down Return
check "the tray's ADSL item asks the restart question, No answers it" answer_box n
check "the window stayed hidden" hidden
check "profile 2 applied from the tray: noset = 2" value_is "$hkcu" noset 0x2
check "profile 2 applied from the tray: Tcpip MTU = 1500" value_is "$tcpip" MTU 0x5dc

tray 0x204
menu_key Down Down Down Return
check "Erase Tracks from the tray runs and ends" wait_run_end
check "the window stayed hidden after erasing" hidden
for gone in "$ff/cookies.txt" "$ff/cookies.sqlite" "$ff/cookies.sqlite-wal" "$ff/Cache/0/entry" "$scratch/ie/Cookies/user@site.txt" \
  "$scratch/ie/Cache/Content.IE5" "$scratch/ie/History/History.IE5" "$scratch/opera/cookies4.dat" \
  "$scratch/opera/global.dat" "$scratch/opera/Cache4/opr0001.tmp" "$scratch/aol/a.arl"; do
  check "erased: ${gone#"$WINEPREFIX/"}" test ! -e "$gone"
done
for kept in "$ff/bookmarks.html" "$appdata/Mozilla/canary.txt" "$scratch/canary.txt" \
  "$scratch/opera/opera.ini" "$scratch/aol/keep.txt" "$scratch/ie/Cookies"; do
  check "kept: ${kept#"$WINEPREFIX/"}" test -e "$kept"
done
check "the typed addresses are gone" no_key 'HKCU\Software\Microsoft\Internet Explorer\TypedURLs'

check "Quick Jump 3 shows the window" menu_until "q 3" shown
shot header-3 $((X0 + 371)) $((Y0 + 34)) 173 19
shot page3-after-jump $X0 $Y0 550 374
check "on the Enhancements page" differ "$shots/header-3.png" "$shots/header-about.png"

# ---- Through the window: a location spelled to reach the Windows folder, one
# reaching the roaming folder, and traces named outside the ANSI code page.
opera="Όπερα"
trace="κρυφή-缓存.tmp"
user=$(basename "$(dirname "$(dirname "$appdata")")")
mkdir -p "$scratch/$opera/Cache4"
echo c >"$scratch/$opera/cookies4.dat"
echo c >"$scratch/$opera/Cache4/$trace"
echo keep >"$scratch/$opera/opera.ini"
echo keep >"$WINEPREFIX/drive_c/windows/velotune-canary.txt"
echo keep >"$appdata/velotune-canary.arl"
wine reg add "$folders" /v Cookies /d '\\?\C:\windows' /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Opera Software' /v 'Last Directory' /d "C:\\velotune-e2e\\$opera" /f >/dev/null 2>&1
wine reg add 'HKLM\Software\America Online\Aol\Current Version' /v AppPath \
  /d "\\\\?\\C:\\users\\$user\\AppData\\Roaming" /f >/dev/null 2>&1
check "Erase Now! runs and ends" run_by_clicks $((X0 + 70)) $((Y0 + 129 + 20)) \
  $((PX + 263 + 60)) $((PY + 269 + 17))
check "erased: the Opera cookies in $opera" test ! -e "$scratch/$opera/cookies4.dat"
check "erased: $trace" test ! -e "$scratch/$opera/Cache4/$trace"
check "kept: $opera/opera.ini" test -e "$scratch/$opera/opera.ini"
check "kept: the Windows folder, reached as \\\\?\\C:\\windows" \
  test -e "$WINEPREFIX/drive_c/windows/velotune-canary.txt" -a -e "$WINEPREFIX/drive_c/windows/system32/kernel32.dll"
check "kept: .arl files in the roaming folder" test -e "$appdata/velotune-canary.arl"
rm -f "$WINEPREFIX/drive_c/windows/velotune-canary.txt" "$appdata/velotune-canary.arl"

check "Exit ends the program" menu_until "x" gone

stop_all
rm -rf "$scratch"
# The pictures the README shows: refreshed in docs/ on request only, so a test
# run leaves the source tree as it was.
[[ "${VELOTUNE_UPDATE_DOCS:-}" == 1 ]] && for picture in page-network page-eraser page-enhancements page-about progress tray-menu; do
  [[ -f "$shots/$picture.png" ]] && cp "$shots/$picture.png" "$docs/$picture.png"
done
finish
