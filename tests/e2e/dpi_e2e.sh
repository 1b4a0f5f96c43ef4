#!/usr/bin/env bash
# The built program on screens of 96, 120, 144 and 192 DPI. Wine takes the
# DPI from HKCU\Control Panel\Desktop\LogPixels when a process starts, so for
# each DPI it is set, this prefix's wineserver is restarted and the program
# started again. Every page and the progress window are shot; at 96 DPI the
# pages must be the README's pictures pixel for pixel, at 192 the window and
# its outline exactly twice the size and the artwork the 2x drawing. With
# VELOTUNE_UPDATE_DOCS=1 the shots of the other DPIs go into docs/.
# Usage: dpi_e2e.sh <build folder>
set -u
# A screen that holds the window at twice its size: a display of its own.
if [[ -z "${VELOTUNE_DPI_SCREEN:-}" ]]; then
  export VELOTUNE_DPI_SCREEN=1
  exec xvfb-run -a -s '-screen 0 1400x1000x24' bash "$0" "$@"
fi
build=$(cd "$1" && pwd)
src=$(cd "$(dirname "$0")/../.." && pwd)
docs="$src/docs"
shots="$build/e2e-dpi-shots"
mkdir -p "$shots"
prefix_name=e2e-dpi-prefix
source "$src/tests/e2e/e2e_common.sh"
SW=1400 SH=1000
# Some runs write the registry and ask to restart: nothing here answers yes.

s() { echo $((($1 * dpi + 48) / 96)); }  # a 96-DPI length at this DPI, as MulDiv rounds
shot() {  # file x y w h
  import -window root "$shots/screen.png"
  convert "$shots/screen.png" -crop "$4x$5+$2+$3" +repage "$1"
}
ae() { compare -metric AE "$1" "$2" null: 2>&1; }
same() { [[ "$(ae "$1" "$2")" == 0 ]]; }
geometry_is() {  # window w h
  xdotool getwindowgeometry "$1" | grep -q "Geometry: $2x$3"
}
progress_window() {  # the nameless window of the progress window's size
  local id
  for id in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
    xdotool getwindowgeometry "$id" | grep -q "Geometry: $(s 314)x$(s 108)" && { echo "$id"; return; }
  done
}
names=(x network eraser enhancements about)
nav=(0 67 129 192 255)
for dpi in 96 120 144 192; do
  echo "---- $dpi DPI"
  stop_all
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  start  # restarts this prefix's wineserver first
  W=$(s 550) H=$(s 374)
  X0=$((SW / 2 - W / 2)) Y0=$((SH / 2 - H / 2))
  win=$(main_window)
  check "$dpi DPI: the window is shown" test -n "$win"
  check "$dpi DPI: the window is ${W}x$H, centred" geometry_is "$win" "$W" "$H"
  out="$shots/$dpi"
  mkdir -p "$out"
  shot "$out/page-network.png" $X0 $Y0 "$W" "$H"
  # What the screen shows just left of the window: the same as in its cut corners.
  behind=$(convert "$shots/screen.png" -format "%[pixel:p{$((X0 - 2)),$((Y0 + 2))}]" info:)
  for n in 2 3 4; do
    click $((X0 + $(s 70))) $((Y0 + $(s $((nav[n] + 20)))))
    shot "$out/page-${names[n]}.png" $X0 $Y0 "$W" "$H"
  done
  click $((X0 + $(s 70))) $((Y0 + $(s 87)))
  # A profile run, for the progress window.
  PX=$((X0 + $(s 152))) PY=$((Y0 + $(s 54)))
  click $((PX + $(s 47))) $((PY + $(s 75)))
  click $((PX + $(s 323))) $((PY + $(s 286)))
  sleep 0.6
  pw=""
  for _ in $(seq 1 30); do pw=$(progress_window); [[ -n "$pw" ]] && break; sleep 0.1; done
  if [[ -n "$pw" ]]; then
    eval "$(xdotool getwindowgeometry --shell "$pw")"
    shot "$out/progress.png" "$X" "$Y" "$WIDTH" "$HEIGHT"
  fi
  check "$dpi DPI: the progress window shows at $(s 314)x$(s 108)" test -n "$pw"
  check "$dpi DPI: the restart question is answered No" answer_box n

  if [[ $dpi == 96 ]]; then
    for n in 1 2 3 4; do
      check "96 DPI: page ${names[n]} is the README's picture, pixel for pixel" \
        same "$out/page-${names[n]}.png" "$docs/page-${names[n]}.png"
    done
  fi
  if [[ $dpi == 192 ]]; then
    # Outside the outline the screen behind shows: the corners are cut in
    # 2x2 blocks, the 1x outline doubled.
    root=$behind
    px() { convert "$out/page-network.png" -format "%[pixel:p{$1,$2}]" info:; }
    cut_corner() {
      [[ $(px 0 0) == "$root" && $(px 3 1) == "$root" && $(px 1 3) == "$root" &&
         $(px 4 1) != "$root" && $(px 2 2) != "$root" && $(px 1 4) != "$root" &&
         $(px 1095 746) != "$root" && $(px 1096 746) == "$root" ]]
    }
    check "192 DPI: the outline is the 1x one doubled at the corners" cut_corner
    # The product name in the title band: the 2x drawing, not the 1x doubled.
    convert "$out/page-network.png" -crop 476x80+24+12 +repage "$shots/name.png"
    convert "$src/assets/background_x2.png" -crop 476x80+24+12 +repage "$shots/name_x2.png"
    convert "$src/assets/background.png" -sample 200% -crop 476x80+24+12 +repage "$shots/name_doubled.png"
    check "192 DPI: the title is the 2x drawing pixel for pixel" same "$shots/name.png" "$shots/name_x2.png"
    unlike=$(ae "$shots/name.png" "$shots/name_doubled.png")
    check "192 DPI: ... and not the 1x picture doubled ($unlike of 38080 pixels differ)" \
      test "${unlike%% *}" -gt 3808
  fi
  check "$dpi DPI: the close button ends the program" \
    bash -c "xdotool mousemove $((X0 + $(s 536))) $((Y0 + $(s 14))) click 1; sleep 1"
  gone || stop_all
done
stop_all
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
stop_all

if [[ "${VELOTUNE_UPDATE_DOCS:-}" == 1 ]]; then
  for dpi in 120 144 192; do
    for picture in page-network page-eraser page-enhancements page-about progress; do
      [[ -f "$shots/$dpi/$picture.png" ]] && cp "$shots/$dpi/$picture.png" "$docs/$picture-${dpi}dpi.png"
    done
  done
fi
finish
