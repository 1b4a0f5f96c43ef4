#!/usr/bin/env bash
# The command line for administrators, used from outside as a script would:
# exit codes, what each run wrote, --quiet, wrong switches, a running window
# told of the new state; and the window's own way to an elevated copy, through
# Wine's real "runas" (Wine gives every process full rights, so a test build
# of the program is told by its seam that its token is limited).
# Usage: command_line_e2e.sh <build folder>   (inside the test run's Xvfb)
# No pipefail: "… | grep -q" would fail whenever grep stops reading early.
set -u
build=$(cd "$1" && pwd)
src=$(cd "$(dirname "$0")/../.." && pwd)
prefix_name=e2e-command-line-prefix
source "$src/tests/e2e/e2e_common.sh"
# The eraser runs here too: nothing of the host is reachable from this prefix.
seal_prefix
limited="$build/e2e/velotune_limited.exe"
cp "$limited" "$(dirname "$exe")/"
limited="$(dirname "$exe")/velotune_limited.exe"
check "the prefix maps no host folder" sealed

hkcu='HKCU\Software\Quorvane\Velotune'
tcpip='HKLM\System\CurrentControlSet\Services\Tcpip\Parameters'
mstcp='HKLM\System\CurrentControlSet\Services\VxD\MSTCP'
typed='HKCU\Software\Microsoft\Internet Explorer\TypedURLs'

run() {  # switches... ; sets $code
  (cd "$(dirname "$exe")" && timeout 120 wine "$exe" "$@" >/dev/null 2>&1)
  code=$?
}
code_is() { [[ $code -eq $1 ]] || { echo "        exit code: $code"; return 1; }; }
# Everything the profiles and the tweaks touch, as reg prints it.
state() {
  local key
  for key in "$tcpip" "$mstcp" "$hkcu" 'HKLM\SOFTWARE\Microsoft\Outlook Express' \
    'HKCU\Software\Microsoft\Internet Explorer\Main'; do
    reg_query "$key" /s 2>/dev/null
  done
}

# ---- Every profile, quietly
stop_all
wine reg delete 'HKCU\Software\Quorvane' /f >/dev/null 2>&1
# A value each profile writes, and what it writes there.
written=(x "$tcpip|MTU|0x240" "$tcpip|MTU|0x5dc" "$mstcp|DefaultTTL|64" "$tcpip|TcpWindowSize|0x3e640")
for n in 1 2 3 4; do
  IFS='|' read -r key name data <<<"${written[n]}"
  run --apply-profile=$n --quiet
  check "--apply-profile=$n --quiet exits 0" code_is 0
  check "profile $n: noset = $n" value_is "$hkcu" noset "0x$n"
  check "profile $n: $name = $data" value_is "$key" "$name" "$data"
done
run --APPLY-PROFILE=3 --QUIET
check "switch names in any case" code_is 0
check "noset = 3" value_is "$hkcu" noset 0x3

# ---- The tweaks, every one written
run --apply-enhancements=11111111111 --quiet
check "--apply-enhancements=11111111111 exits 0" code_is 0
check "Hide Messenger = 1" value_is 'HKLM\SOFTWARE\Microsoft\Outlook Express' 'Hide Messenger' 0x1
check "Append Completion = yes" value_is \
  'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\AutoComplete' 'Append Completion' yes
run --apply-enhancements=00000000000 --quiet
check "--apply-enhancements=00000000000 exits 0" code_is 0
check "Hide Messenger = 0" value_is 'HKLM\SOFTWARE\Microsoft\Outlook Express' 'Hide Messenger' 0x0
check "Append Completion = no" value_is \
  'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\AutoComplete' 'Append Completion' no

# ---- The eraser: the typed addresses, by bits and by the saved ticks
wine reg add "$typed" /v url1 /d 'http://example.test/' /f >/dev/null 2>&1
run --erase=000010000 --quiet
check "--erase=000010000 exits 0" code_is 0
check "the typed addresses are gone" no_key "$typed"
wine reg add "$typed" /v url1 /d 'http://example.test/' /f >/dev/null 2>&1
wine reg add "$hkcu" /v ie_box5 /t REG_DWORD /d 0 /f >/dev/null 2>&1
for box in 1 2 3 4 6 7 8 9; do
  wine reg add "$hkcu" /v "ie_box$box" /t REG_DWORD /d 0 /f >/dev/null 2>&1
done
run --erase --quiet
check "--erase with every saved tick off exits 0" code_is 0
check "... and leaves the typed addresses" key_exists "$typed"
wine reg add "$hkcu" /v ie_box5 /t REG_DWORD /d 1 /f >/dev/null 2>&1
run --erase --quiet
check "--erase with the saved typed-address tick exits 0" code_is 0
check "... and erases them" no_key "$typed"

# A running browser is left alone, and the exit code says that not all went.
cp "$exe" "$(dirname "$exe")/firefox.exe"
(cd "$(dirname "$exe")" && wine ./firefox.exe -s >/dev/null 2>&1 &)
firefox_runs() { pgrep -f 'firefox\.exe' >/dev/null; }
check "a stand-in firefox.exe runs" within 100 firefox_runs
run --erase=110000000 --quiet
check "--erase with Firefox running exits 3" code_is 3
stop_all
run --erase=110000000 --quiet
check "... and 0 once it has ended" code_is 0

# ---- Wrong switches change nothing
before=$(state)
for bad in --apply-profile=5 --apply-profile=0 --apply-profile= --apply-profile=12 \
  --erase=12 --erase=00000000x --apply-enhancements=1111 "--restart" "--quiet" \
  "--apply-profile=2 --erase" "--apply-profile=2 --bogus" "--apply-profile=2 -s" \
  "--apply-profile=2 --quiet --quiet"; do
  # shellcheck disable=SC2086
  run $bad --quiet
  check "'$bad' exits 2" code_is 2
done
check "and nothing changed" test "$before" == "$(state)"

# ---- --quiet shows nothing; without it the progress window shows
windows_during() {  # switches...: how many progress windows were seen during the run
  local pid seen=0
  (cd "$(dirname "$exe")" && exec wine "$exe" "$@" >/dev/null 2>&1) &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    [[ -n "$(progress_window)" ]] && seen=$((seen + 1))
    sleep 0.1
  done
  echo "$seen"
}
check "without --quiet the progress window shows" test "$(windows_during --apply-profile=2)" -gt 0
check "with --quiet no window shows" test "$(windows_during --apply-profile=2 --quiet)" -eq 0
check "... and no message box either" test -z "$(message_box)"

# ---- A running window is told, and stays the one copy
wine reg add "$hkcu" /v noset /t REG_DWORD /d 1 /f >/dev/null 2>&1
start
check "the window runs" shown
# Row 3's highlight bar, right of its texts: white until profile 3 is applied.
bar_pixel() {
  import -window root -crop "1x1+$((X0 + 152 + 370))+$((Y0 + 54 + 134 + 28))" -depth 8 txt:- 2>/dev/null |
    tail -n 1 | grep -o '#[0-9A-F]\{6\}'
}
bar_is() { [[ "$(bar_pixel)" == "$1" ]]; }
check "row 3 is white before the run" bar_is "#FFFFFF"
run --apply-profile=3 --quiet
check "a run beside the window exits 0" code_is 0
check "the running window shows profile 3 applied (green bar)" within 50 bar_is '#F0FFF0'
check "still one copy with one tray icon" test "$(our_pids | wc -l)" -eq 1 -a \
  "$(wine_output "$build/e2e/tray_poke.exe" count | tr -d '\r')" -eq 1

# ---- The window's own way to an elevated copy, through the real "runas"
stop_all
wine reg delete 'HKCU\Software\Quorvane' /f >/dev/null 2>&1
wine reg add "$tcpip" /v DefaultTTL /t REG_DWORD /d 99 /f >/dev/null 2>&1
program=$exe
exe=$limited
start
exe=$program
check "the limited window runs" shown
PX=$((X0 + 152)) PY=$((Y0 + 54))
click $((PX + 39 + 8)) $((PY + 134 + 8))  # Home, Office LAN
click $((PX + 263 + 60)) $((PY + 269 + 17))
check "the elevated copy's progress window shows" within 100 has_window progress_window
check "two processes while the copy runs" test "$(pgrep -f 'velotune_limited\.exe' | wc -l)" -ge 2
check "the restart question comes after the copy, and No answers it" answer_box n
check "the copy wrote the profile (Tcpip DefaultTTL = 64)" value_is "$tcpip" DefaultTTL 0x40
check "the window stored noset = 3" value_is "$hkcu" noset 0x3
check "the copy has ended, the window stays" test "$(pgrep -f 'velotune_limited\.exe' | wc -l)" -eq 1

stop_all
finish
