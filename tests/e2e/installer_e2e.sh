#!/usr/bin/env bash
# Installs, upgrades and uninstalls Velotune with the built setup program, as
# a user or an administrator would, in a Wine prefix made afresh on the
# virtual display with a scratch home folder; checks what lands on disk and in
# the registry, that the installed program works from its folder, that
# neither Setup nor the uninstaller acts while it runs, and that no Wine run
# wrote desktop menu entries into the home folder.
# Usage: installer_e2e.sh <build folder> <version>   (inside the test run's Xvfb)
# No pipefail: "… | grep -q" would fail whenever grep stops reading early.
set -u
build=$(cd "$1" && pwd)
version=$2
src=$(cd "$(dirname "$0")/../.." && pwd)
scratch="$build/e2e-installer"
rm -rf "$scratch"
mkdir -p "$scratch/home"
# Wine writes menu entries under the home folder: a scratch one shows them.
export HOME="$scratch/home" XDG_DATA_HOME="$scratch/home/.local/share"
export XDG_CONFIG_HOME="$scratch/home/.config"
prefix_name=e2e-installer-prefix
fresh_prefix=1
source "$src/tests/e2e/e2e_common.sh"

cleanup() {
  stop_all
  rm -rf "$WINEPREFIX" "$scratch"
}
trap cleanup EXIT

setup_exe="$build/velotune-$version-setup.exe"
folder='C:\Program Files\Velotune'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velotune'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Velotune"
shortcuts=("Velotune.lnk" "Velotune Help.lnk" "Uninstall Velotune.lnk")
shipped=(velotune.exe license.txt velotunehelp.chm)

unix_path() {  # C:\a\b -> the file in the prefix
  local rest=${1#C:\\}
  echo "$WINEPREFIX/drive_c/${rest//\\//}"
}
windows_path() { echo "Z:${1//\//\\}"; }

# Runs a Windows command line as written, through a batch file, and returns
# its exit code: wine would quote an argument with spaces, and Setup reads
# /D= only unquoted.
run_line() {
  printf '@echo off\r\n%s\r\nexit %%ERRORLEVEL%%\r\n' "$1" >"$scratch/line.bat"
  (cd "$build" && timeout 120 wine cmd /c "$(windows_path "$scratch/line.bat")" >/dev/null 2>&1)
}
# Starts the program with a command line as written, in the background (cmd
# waits for it), and waits for its window.
start_program() {
  printf '%s\r\n' "$1" >"$scratch/program.bat"
  (cd "$build" && wine cmd /c "$(windows_path "$scratch/program.bat")" >/dev/null 2>&1 &)
  wait_started
}
setup() { run_line "\"$(windows_path "$setup_exe")\" $*"; }
uninstall_in_place() {  # [folder] [switches]: waits, and gives the real exit code
  local at=${1:-$folder}
  run_line "\"$at\\uninstall.exe\" /S ${2:-} _?=$at"
}

exits_with() {  # code command...
  local want=$1 code
  shift
  "$@"
  code=$?
  [[ $code -eq $want ]] || { echo "        exit code $code"; return 1; }
}
fails() {
  "$@"
  local code=$?
  [[ $code -ne 0 ]] || { echo "        exit code 0"; return 1; }
}
# Entries named Velotune in Apps & Features, in the given registry view; -1
# when reg could not tell.
entries() {
  local out
  out=$(reg_query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s "$@")
  (($? <= 1)) || { echo -1; return; }
  grep -c '^ *DisplayName    REG_SZ    Velotune$' <<<"$out"
}
same_as_built() {  # folder (Windows path): the shipped files, byte for byte
  local f
  for f in "${shipped[@]}"; do
    cmp -s "$build/$f" "$(unix_path "$1")/$f" || { echo "        $f differs"; return 1; }
  done
}
links_to() { strings "$menu/$1" | grep -qxF "$2"; }  # a shortcut's target
shortcuts_are() {  # folder: the three shortcuts, each naming its file there
  links_to Velotune.lnk "$1\\velotune.exe" && links_to "Velotune Help.lnk" "$1\\velotunehelp.chm" &&
    links_to "Uninstall Velotune.lnk" "$1\\uninstall.exe"
}
no_shortcuts() { [[ ! -e "$menu" ]]; }
autostart_is() { value_is "$run_key" Velotune "\"$1\\velotune.exe\" -s"; }
no_autostart() { no_value "$run_key" Velotune; }

# Command lines of this prefix's Windows processes.
command_lines() {
  local pid
  for pid in $(pgrep -f '\.exe'); do
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" &&
      { tr '\0' ' ' <"/proc/$pid/cmdline"; } 2>/dev/null && echo
  done
}
opened() {  # text of a command line, within 10 s
  for _ in $(seq 1 50); do
    command_lines | grep -qF "$1" && return 0
    sleep 0.2
  done
  return 1
}
running() { [[ -n "$(our_pids)" ]]; }
running_from() { command_lines | grep -qF "$1\\velotune.exe"; }

# ---- Silent install with the default choices
check "the setup program is $(basename "$setup_exe")" test -f "$setup_exe"
check "silent install succeeds" exits_with 0 setup /S
check "the shipped files are in Program Files" same_as_built "$folder"
check "the uninstaller is beside them" test -f "$(unix_path "$folder")/uninstall.exe"
check "nothing else is there" test "$(ls "$(unix_path "$folder")" | wc -l)" -eq 4
check "nothing in the 32-bit Program Files" test ! -e "$(unix_path 'C:\Program Files (x86)\Velotune')"
check "Start menu shortcuts for all users: program, help, uninstaller" shortcuts_are "$folder"
check "not started with Windows by default" no_autostart
apps=(
  "DisplayName|Velotune"
  "DisplayVersion|$version"
  "Publisher|Quorvane"
  "DisplayIcon|$folder\\velotune.exe,0"
  "InstallLocation|$folder"
  "UninstallString|\"$folder\\uninstall.exe\""
  "QuietUninstallString|\"$folder\\uninstall.exe\" /S"
  "URLInfoAbout|http://www.quorvane.example/"
  "NoModify|0x1"
  "NoRepair|0x1"
)
for row in "${apps[@]}"; do
  check "Apps & Features ${row%%|*} = ${row#*|}" value_is "$uninstall_key" "${row%%|*}" "${row#*|}"
done
kb=0
for f in "${shipped[@]}"; do kb=$((kb + $(stat -c %s "$build/$f") / 1024)); done
size=$(($(reg_value "$uninstall_key" EstimatedSize)))
check "Apps & Features EstimatedSize is the files' size ($size KB, files $kb KB)" \
  test "$size" -ge "$kb" -a "$size" -le $((kb + 4))
check "the entry is in the 64-bit registry only" test "$(entries /reg:32)" -eq 0

# ---- The installed program, started from elsewhere, finds its licence and help
# Notepad opens .txt files on Windows; Wine's fresh prefix lacks the link.
wine reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null 2>&1
stop_all
(cd "$build" && wine "$folder\\velotune.exe" >/dev/null 2>&1 &)
wait_started
check "the installed program starts and shows its window" shown
click $((X0 + 70)) $((Y0 + 255 + 20))  # About
click $((X0 + 211)) $((Y0 + 340))      # License Agreement
check "its licence opens from its folder" opened "$folder\\license.txt"
check "its help opens from its folder" menu_until h opened "$folder\\velotunehelp.chm"
settings='HKCU\Software\Quorvane\Velotune'
check "it stored its settings" key_exists "$settings"
stop_all

# ---- Start with Windows, and installing over the running program
check "upgrade with /AUTOSTART=yes succeeds" exits_with 0 setup /S /AUTOSTART=yes
check "the Run value starts the installed program with -s" autostart_is "$folder"
start_program "$(reg_value "$run_key" Velotune)"
check "that command line starts it in the tray" hidden

licence=$(unix_path "$folder")/license.txt
echo "left by the earlier install" >"$licence"
check "silent install over the running program fails" fails setup /S
check "it replaced nothing" grep -qx "left by the earlier install" "$licence"
check "the program still runs" running
check "silent uninstall of the running program fails" fails uninstall_in_place
check "it removed nothing" test -f "$(unix_path "$folder")/velotune.exe" -a -f "$menu/Velotune.lnk"
check "the entry stays" value_is "$uninstall_key" DisplayName Velotune
check "a bad switch value fails" fails setup /S /AUTOSTART=maybe
check "install with /CLOSE closes the program and succeeds" exits_with 0 setup /S /CLOSE
check "the program has ended" gone
check "the files are replaced" same_as_built "$folder"

# A file that cannot be written (here a folder in its place) fails the install.
help=$(unix_path "$folder")/velotunehelp.chm
rm "$help" && mkdir "$help"
check "a file that cannot be replaced fails the install" fails setup /S
rmdir "$help"

# ---- Setup run by a person while the program runs
# Setup's windows: the wizard, and its message box, which is narrower. (The
# finish page's title ends with a space.)
titled_windows() {  # title -> width id, widest first
  local id
  for id in $(xdotool search --onlyvisible --name "^$1" 2>/dev/null); do
    xdotool getwindowgeometry --shell "$id" | awk -v id="$id" -F= '$1 == "WIDTH" { print $2, id }'
  done | sort -rn
}
setup_windows() { titled_windows "Velotune $version Setup"; }
wizard() { setup_windows | awk '$1 >= 400 { print $2; exit }'; }
setup_box() { setup_windows | awk '$1 < 400 { print $2; exit }'; }
press() {  # window key
  xdotool windowfocus "$1" 2>/dev/null
  sleep 0.3
  xdotool key "$2"
  sleep 1.2
}
wait_for() {  # command: its output, within 15 s
  local out
  for _ in $(seq 1 75); do
    out=$("$@")
    [[ -n "$out" ]] && { echo "$out"; return 0; }
    sleep 0.2
  done
  return 1
}
# Starts Setup with its wizard, passes welcome, licence, components and folder,
# and waits for the question whether to close Velotune.
interactive_to_question() {
  rm -f "$scratch/setup-code"
  (cd "$build" && wine "$setup_exe" >/dev/null 2>&1; echo $? >"$scratch/setup-code") &
  setup_pid=$!
  local w
  w=$(wait_for wizard) || return 1
  for _ in 1 2 3 4; do press "$w" Return; done
  wait_for setup_box >/dev/null
}
setup_code() {  # Setup's exit code, once it has ended (within 30 s)
  for _ in $(seq 1 150); do
    [[ -s "$scratch/setup-code" ]] && break
    sleep 0.2
  done
  cat "$scratch/setup-code" 2>/dev/null
}

start_program "\"$folder\\velotune.exe\" -s"
echo "left by the earlier install" >"$licence"
check "Setup asks to close the running program" interactive_to_question
press "$(setup_box)" Escape
check "Cancel there quits Setup with exit code 1" test "$(setup_code)" = 1
check "and replaces nothing" grep -qx "left by the earlier install" "$licence"
check "the program still runs" running
check "Setup asks again" interactive_to_question
press "$(setup_box)" Return
check "OK closes the program" gone
# The finish page, once the install has run: Finish with "Run Velotune" ticked.
for _ in $(seq 1 15); do
  kill -0 "$setup_pid" 2>/dev/null || break
  w=$(wizard)
  [[ -n "$w" ]] && press "$w" Return
done
check "Setup finishes with exit code 0" test "$(setup_code)" = 0
check "the files are replaced" same_as_built "$folder"
wait_started
check "Finish with \"Run Velotune\" starts it, shown" shown
check "from its folder" running_from "$folder"
# Setup runs elevated: the copy that stays was started by the desktop's shell
# (with the user's token on Windows), not by Setup, which only asked for it.
started_by_shell() { ! command_lines | grep -q -- '--start-as-user'; }
check "started through the desktop's shell, not by Setup itself" started_by_shell
stop_all

# ---- Upgrades keep earlier choices unless told otherwise
# switches | started with Windows | shortcuts
upgrades=(
  "/S|yes|yes"
  "/S /AUTOSTART=no|no|yes"
  "/S|no|yes"
  "/S /SHORTCUTS=no|no|no"
  "/S|no|no"
  "/S /AUTOSTART=yes /SHORTCUTS=yes|yes|yes"
  "/S|yes|yes"
)
for row in "${upgrades[@]}"; do
  IFS='|' read -r switches autostart links <<<"$row"
  check "upgrade '$switches' succeeds" exits_with 0 setup $switches
  check "  one Apps & Features entry" test "$(entries)" -eq 1
  if [[ $autostart == yes ]]; then
    check "  started with Windows" autostart_is "$folder"
  else
    check "  not started with Windows" no_autostart
  fi
  if [[ $links == yes ]]; then
    check "  shortcuts" shortcuts_are "$folder"
  else
    check "  no shortcuts" no_shortcuts
  fi
done

# ---- Moving to another folder (spaces in the name) on upgrade
moved='C:\Quorvane Apps\Velo tune'
check "upgrade with /D= into another folder succeeds" exits_with 0 setup /S "/D=$moved"
check "the files are there" same_as_built "$moved"
check "the earlier folder is gone" test ! -e "$(unix_path "$folder")"
check "one entry, pointing there" value_is "$uninstall_key" InstallLocation "$moved"
check "  one Apps & Features entry" test "$(entries)" -eq 1
check "shortcuts point there" shortcuts_are "$moved"
check "started with Windows from there" autostart_is "$moved"
check "a later upgrade stays there" exits_with 0 setup /S
check "  and leaves no copy in Program Files" test ! -e "$(unix_path "$folder")"

# ---- Uninstall: exactly what was installed
# A file it cannot remove (here a folder in its place) fails it, and the
# entry stays for another try.
help=$(unix_path "$moved")/velotunehelp.chm
rm "$help" && mkdir "$help" && touch "$help/inside"
check "an uninstall that cannot remove a file fails" fails uninstall_in_place "$moved"
check "  and keeps the entry" value_is "$uninstall_key" InstallLocation "$moved"
rm -r "$help"
check "installing again mends it" exits_with 0 setup /S
check "  in the same folder" same_as_built "$moved"

echo "my own notes" >"$(unix_path "$moved")/notes.txt"
check "silent uninstall succeeds" exits_with 0 uninstall_in_place "$moved"
for f in "${shipped[@]}"; do
  check "  $f removed" test ! -e "$(unix_path "$moved")/$f"
done
check "  the user's file stays" grep -qx "my own notes" "$(unix_path "$moved")/notes.txt"
check "  the shortcuts are removed" no_shortcuts
check "  the Run value is removed" no_autostart
check "  the Apps & Features entry is removed" no_key "$uninstall_key"
check "  the settings key stays" key_exists "$settings"

# The Apps & Features way: QuietUninstallString, which returns at once and
# leaves the work to a copy of the uninstaller; wait for the prefix to idle.
check "a fresh install succeeds" exits_with 0 setup /S /AUTOSTART=yes
run_line "$(reg_value "$uninstall_key" QuietUninstallString)"
timeout 120 wineserver -w
check "QuietUninstallString removes the folder, uninstaller included" \
  test ! -e "$(unix_path "$folder")"
check "  the shortcuts" no_shortcuts
check "  the Run value" no_autostart
check "  the Apps & Features entry" no_key "$uninstall_key"

# ---- The way back: the uninstaller puts back what Velotune changed, or keeps
# the notes for a later install. The notes are made by the installed program
# itself, from the command line.
tcpip='HKLM\System\CurrentControlSet\Services\Tcpip\Parameters'
vxd='HKLM\System\CurrentControlSet\Services\VxD'
nettrans='HKLM\System\CurrentControlSet\Services\Class\NetTrans'
originals='HKLM\Software\Quorvane\Velotune\Original'
apply_profile() { run_line "\"$folder\\velotune.exe\" --apply-profile=$1 --quiet"; }
type_is() {  # key value type
  reg_query "$1" /v "$2" | grep -q "^ *$2 *$3 " || { echo "        not $3"; return 1; }
}
installed() { test -f "$(unix_path "$folder")/velotune.exe"; }
reinstall() {  # after an uninstall run in place, which leaves itself behind
  rm -f "$(unix_path "$folder")/uninstall.exe"
  setup /S
}
wine reg add "$tcpip" /v MTU /t REG_SZ /d 1400 /f >/dev/null 2>&1
wine reg delete "$vxd" /f >/dev/null 2>&1
wine reg delete "$nettrans" /f >/dev/null 2>&1
check "a fresh install for the way back succeeds" exits_with 0 setup /S
check "the installed program applies profile 2 from the command line" exits_with 0 apply_profile 2
check "  Tcpip MTU = 1500" value_is "$tcpip" MTU 0x5dc
check "  the text MTU it replaced is noted" \
  key_exists "$originals\\Values\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters"
check "uninstall /S /RESTORE=maybe fails" exits_with 2 uninstall_in_place "$folder" /RESTORE=maybe
check "  and removes nothing" installed
check "  and restores nothing" value_is "$tcpip" MTU 0x5dc
check "silent uninstall without /RESTORE succeeds" exits_with 0 uninstall_in_place "$folder"
check "  and leaves the profile's MTU" value_is "$tcpip" MTU 0x5dc
check "  and the notes" key_exists "$originals"
check "installing again succeeds" exits_with 0 reinstall
check "  profile 3 over profile 2 from the command line" exits_with 0 apply_profile 3
check "uninstall /S /RESTORE=no succeeds" exits_with 0 uninstall_in_place "$folder" /RESTORE=no
check "  and leaves profile 3's window" value_is "$tcpip" TcpWindowSize 0x3ebc0
check "  and the notes" key_exists "$originals"
check "installing again succeeds" exits_with 0 reinstall
# A note no Velotune writes (the wrong type) cannot be put back.
wine reg add "$originals\\Values\\Software\\Broken" /v x /t REG_SZ /d bad /f >/dev/null 2>&1
check "uninstall /S /RESTORE=yes that cannot put everything back fails" \
  exits_with 2 uninstall_in_place "$folder" /RESTORE=yes
check "  and removes nothing" installed
check "  the entry stays" value_is "$uninstall_key" DisplayName Velotune
check "  what could be put back is back: MTU is the text 1400" value_is "$tcpip" MTU 1400
check "  of type REG_SZ" type_is "$tcpip" MTU REG_SZ
check "  the note it could not use stays" key_exists "$originals\\Values\\Software\\Broken"
wine reg delete "$originals\\Values\\Software\\Broken" /f >/dev/null 2>&1
check "  profile 1 from the command line" exits_with 0 apply_profile 1
check "uninstall /S /RESTORE=yes succeeds" exits_with 0 uninstall_in_place "$folder" /RESTORE=yes
check "  and removes the program" test ! -e "$(unix_path "$folder")/velotune.exe"
check "  MTU is the text 1400 again" value_is "$tcpip" MTU 1400
check "  of type REG_SZ" type_is "$tcpip" MTU REG_SZ
check "  a value that was not there is gone" no_value "$tcpip" TcpWindowSize
check "  the MSTCP key Velotune created is gone, with VxD above it" no_key "$vxd"
check "  the NetTrans key it created is gone" no_key "$nettrans"
check "  the notes are gone" no_key 'HKLM\Software\Quorvane'

# A person is asked, and Return takes the default answer, Yes.
uninstall_windows() { titled_windows "Velotune $version Uninstall"; }
uninstall_wizard() { uninstall_windows | awk '$1 >= 400 { print $2; exit }'; }
uninstall_box() { uninstall_windows | awk '$1 < 400 { print $2; exit }'; }
check "installing again succeeds" exits_with 0 reinstall
check "  profile 2 from the command line" exits_with 0 apply_profile 2
rm -f "$scratch/uninstall-code"
# In place, to wait for it; through a batch file, as _?= must stay unquoted.
printf '@echo off\r\n"%s\\uninstall.exe" _?=%s\r\nexit %%ERRORLEVEL%%\r\n' "$folder" "$folder" \
  >"$scratch/uninstall.bat"
(cd "$build" && timeout 120 wine cmd /c "$(windows_path "$scratch/uninstall.bat")" >/dev/null 2>&1
  echo $? >"$scratch/uninstall-code") &
w=$(wait_for uninstall_wizard)
[[ -n "$w" ]] && press "$w" Return  # the confirm page's Uninstall
check "a person uninstalling is asked whether to restore" wait_for uninstall_box
press "$(uninstall_box)" Return
for _ in $(seq 1 50); do
  [[ -s "$scratch/uninstall-code" ]] && break
  w=$(uninstall_wizard)
  [[ -n "$w" ]] && press "$w" Return  # Close, once it has finished
done
check "  the uninstall ends with exit code 0" test "$(cat "$scratch/uninstall-code" 2>/dev/null)" = 0
check "  Yes, the default, restored MTU as the text 1400" type_is "$tcpip" MTU REG_SZ
check "  and removed the notes" no_key 'HKLM\Software\Quorvane'
check "  and the program" test ! -e "$(unix_path "$folder")/velotune.exe"
rm -rf "$(unix_path "$folder")"

# ---- No Wine run here (the prefix's set-up included) wrote desktop menus
for dir in .local/share/applications .local/share/icons .local/share/desktop-directories \
  .local/share/mime .config/menus Desktop; do
  check "no ~/$dir from Wine" test ! -e "$HOME/$dir"
done

finish
