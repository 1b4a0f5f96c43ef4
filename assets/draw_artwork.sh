#!/usr/bin/env bash
# Draws all of Velotune's artwork into the folder this script lives in.
# Needs ImageMagick 6 (/usr/bin/convert) and the DejaVu fonts; nothing else.
# The outputs are committed, so re-run this only when the artwork changes.
set -euo pipefail

OUT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
CONVERT=/usr/bin/convert
IM=im
ID=/usr/bin/identify
FONTS=/usr/share/fonts/truetype/dejavu
BOLD=$FONTS/DejaVuSans-Bold.ttf
BOLDOBL=$FONTS/DejaVuSans-BoldOblique.ttf

# One thread and a fixed locale keep the output byte-identical run to run.
export MAGICK_THREAD_LIMIT=1
export LC_ALL=C

for f in "$CONVERT" "$ID" "$BOLD" "$BOLDOBL"; do
  [[ -e $f ]] || { echo "draw_artwork: missing $f" >&2; exit 1; }
done

# Every picture is drawn at three scales for the screen's DPI: 1x (96 DPI),
# 1.5x and 2x, written as name.png, name_x15.png and name_x2.png. K is the
# scale in halves; one run of this script per scale.
if [[ -z ${VT_K:-} ]]; then
  for k in 2 3 4; do VT_K=$k bash "${BASH_SOURCE[0]}"; done
  exit 0
fi
K=$VT_K
case $K in 2) SUF= ;; 3) SUF=_x15 ;; 4) SUF=_x2 ;; *) echo "draw_artwork: bad scale $K" >&2; exit 1 ;; esac

# A length of the 1x drawing at this scale: whole pixels, or fractions.
px() { echo $((($1 * K + 1) / 2)); }
fx() { awk -v v="$1" -v k="$K" 'BEGIN { printf "%.3f", v * k / 2 }'; }

# Sizes and offsets (WxH+X+Y, any part) scaled.
scale_geom() {
  local g=$1 out= num sign
  while [[ -n $g ]]; do
    if [[ $g =~ ^([0-9]+)(.*)$ ]]; then
      out+=$(px "${BASH_REMATCH[1]}"); g=${BASH_REMATCH[2]}
    else
      out+=${g:0:1}; g=${g:1}
    fi
  done
  echo "$out"
}

# Drawing primitives at this scale. Whole-pixel rectangles and points become
# rectangles over exactly the pixels they covered, scaled; the rest is drawn
# through an affine transform that keeps pixel centres on pixel centres.
scale_mvg() {
  local m=$1
  if [[ $m =~ ^(rectangle|point)\ ([0-9]+),([0-9]+)(\ ([0-9]+),([0-9]+))?$ ]]; then
    local x0=${BASH_REMATCH[2]} y0=${BASH_REMATCH[3]} x1=${BASH_REMATCH[5]:-${BASH_REMATCH[2]}}
    local y1=${BASH_REMATCH[6]:-${BASH_REMATCH[3]}}
    echo "rectangle $(px "$x0"),$(px "$y0") $(($(px $((x1 + 1))) - 1)),$(($(px $((y1 + 1))) - 1))"
    return
  fi
  local f t
  f=$(fx 1); t=$(awk -v k="$K" 'BEGIN { printf "%.3f", (k / 2 - 1) / 2 }')
  echo "affine $f,0,0,$f,$t,$t $m"
}

# ImageMagick with the 1x drawing's sizes, offsets, fonts and primitives
# scaled. At 1x the arguments pass unchanged, so those pictures stay as they were.
im() {
  if [[ $K == 2 ]]; then "$CONVERT" "$@"; return; fi
  local out=() prev= a
  for a in "$@"; do
    local orig=$a
    case $prev in
      -size | -extent | -resize | -geometry | -crop | -annotate) a=$(scale_geom "$a") ;;
      -pointsize) a=$(fx "$a") ;;
      -blur) a="0x$(fx "${a#0x}")" ;;
      -draw) a=$(scale_mvg "$a") ;;
    esac
    out+=("$a"); prev=$orig
  done
  "$CONVERT" "${out[@]}"
}

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

OLIVE='rgb(128,128,0)'    # colour key for buttons and the tray side bar
MAGENTA='rgb(255,0,255)'  # colour key for the window outline
BLUE_D='rgb(0,69,170)'    # deep blue, same as the tray menu bar
BLUE_L='rgb(25,99,189)'
NAVY='rgb(10,47,110)'     # outlines and the window frame
GREEN='rgb(0,157,0)'      # page header green

die() { echo "draw_artwork: $*" >&2; exit 1; }

# PNG without timestamps or text so reruns are identical.
save_png() { # kind(PNG24|PNG32|PNG8) src dst [extra options...]
  local kind=$1 src=$2 dst=$3; shift 3
  "$IM" "$src" -strip -define png:exclude-chunks=date,time "$@" "$kind:$dst"
}

# Pictures with a colour key: 8-bit RGB without alpha, so every pixel, the
# key colours included, comes back exactly as drawn. Best zlib level. They
# pass through a 24-bit BMP on the way: its rounding of the 16-bit drawing to
# 8 bits is the one the artwork has always had (the PNG writer rounds some
# pixels one step the other way).
save_keyed() { # src dst
  "$IM" "$1" -alpha off -type TrueColor -compress None BMP3:"$TMP/keyed.bmp"
  save_png PNG24 "$TMP/keyed.bmp" "$2" -quality 95
}

# Counts pixels of one exact colour.
count_colour() { # file colour
  "$IM" "$1" -alpha off \( +clone -fill "$2" -colorize 100 \) -compose Difference -composite \
    -separate -evaluate-sequence Max -threshold 0 -negate -format '%[fx:round(mean*w*h)]' info:
}

# Shape filled with a vertical gradient: mask primitives are drawn white.
grad_shape() { # w h top bottom "draw primitives" dst
  "$IM" -size "$1x$2" gradient:"$3"-"$4" -alpha set \
    \( -size "$1x$2" xc:none -fill white -stroke none -draw "$5" \) \
    -compose DstIn -composite "$6"
}

# Flattens an RGBA picture over its real backdrop, then keys everything
# outside the shape to olive so the blit leaves the window showing there.
# The shape, not the picture's alpha, decides: faces may be see-through.
key_olive() { # rgba backdrop "shape primitives" dst
  "$IM" "$2" "$1" -compose Over -composite -alpha off "$TMP/flat.png"
  "$IM" "$1" -alpha off -fill black -colorize 100 -fill white -draw "$3" -threshold 50% "$TMP/mask.png"
  "$CONVERT" -size "$("$CONVERT" "$1" -format %wx%h info:)" xc:"$OLIVE" \
    "$TMP/flat.png" "$TMP/mask.png" -compose Over -composite "$TMP/keyed.png"
  local want got
  want=$(count_colour "$TMP/mask.png" black)
  got=$(count_colour "$TMP/keyed.png" "$OLIVE")
  [[ $want == "$got" ]] || die "$4: olive leaks into the face ($got vs $want)"
  save_keyed "$TMP/keyed.png" "$4"
}

# Point on a circle; angles clockwise from 3 o'clock like -draw arc.
pt() { # cx cy r deg
  awk -v cx="$1" -v cy="$2" -v r="$3" -v a="$4" \
    'BEGIN { t = a * 3.14159265358979 / 180; printf "%.1f,%.1f", cx + r * cos(t), cy + r * sin(t) }'
}

# Thick arc as a filled ring segment. This ImageMagick closes open stroked
# arcs and polylines with a chord, so strokes can't be used for these.
band() { # cx cy r_in r_out deg0 deg1 -> "polygon ..."
  awk -v cx="$1" -v cy="$2" -v ri="$3" -v ro="$4" -v a0="$5" -v a1="$6" 'BEGIN {
    n = int((a1 - a0) / 3) + 1; d = 3.14159265358979 / 180; s = "polygon"
    for (i = 0; i <= n; i++) { t = (a0 + (a1 - a0) * i / n) * d
      s = s sprintf(" %.2f,%.2f", cx + ro * cos(t), cy + ro * sin(t)) }
    for (i = n; i >= 0; i--) { t = (a0 + (a1 - a0) * i / n) * d
      s = s sprintf(" %.2f,%.2f", cx + ri * cos(t), cy + ri * sin(t)) }
    print s }'
}

# Cubic Bezier as short round-capped segments, for the same reason.
bez_lines() { # x0 y0 x1 y1 x2 y2 x3 y3 -> one "-draw" argument per line
  awk -v x0="$1" -v y0="$2" -v x1="$3" -v y1="$4" -v x2="$5" -v y2="$6" -v x3="$7" -v y3="$8" 'BEGIN {
    px = x0; py = y0
    for (i = 1; i <= 16; i++) { t = i / 16; u = 1 - t
      x = u*u*u*x0 + 3*u*u*t*x1 + 3*u*t*t*x2 + t*t*t*x3
      y = u*u*u*y0 + 3*u*u*t*y1 + 3*u*t*t*y2 + t*t*t*y3
      printf "-draw\nstroke-linecap round line %.2f,%.2f %.2f,%.2f\n", px, py, x, y; px = x; py = y } }'
}

###########################################################################
# Main window background, 550x374
###########################################################################
W=550; H=374
TITLE_H=52          # blue title band, then a 2px green rule
COL_R=150           # last column of the navigation strip
PAGE_X0=152; PAGE_Y0=54; PAGE_X1=544; PAGE_Y1=369

"$IM" -size ${W}x26 gradient:'rgb(72,140,228)-rgb(38,111,210)' "$TMP/t1.png"
"$IM" -size ${W}x$((TITLE_H-26)) gradient:'rgb(16,88,192)-rgb(6,70,172)' "$TMP/t2.png"
"$IM" "$TMP/t1.png" "$TMP/t2.png" -append +repage "$TMP/title.png"

# Speed streaks trailing off the name; they fade out long before the glyph
# buttons so the top right corner stays calm.
"$IM" -size 280x$TITLE_H xc:none -stroke white -strokewidth 2 \
  -draw "line 0,17 230,17" -draw "line 10,25 270,25" -draw "line 0,33 200,33" \
  -draw "line 20,41 150,41" -alpha extract \
  \( -size ${TITLE_H}x280 gradient:'gray(20%)'-black -rotate 270 \) \
  -compose Multiply -composite "$TMP/streaks_m.png"
"$IM" -size 280x$TITLE_H xc:white "$TMP/streaks_m.png" -alpha off \
  -compose CopyOpacity -composite "$TMP/streaks.png"

# Product name: "Velo" white, "tune" in the green accent, soft drop shadow.
NAME_PT=37
VELO_W=$("$CONVERT" -font "$BOLDOBL" -pointsize $NAME_PT label:Velo -format %w info:)
"$IM" -size 240x$TITLE_H xc:none -font "$BOLDOBL" -pointsize $NAME_PT -gravity NorthWest \
  -fill 'rgba(0,20,70,0.6)' -annotate +2+2 'Velotune' -blur 0x1.2 "$TMP/nshadow.png"
"$IM" -size 240x$TITLE_H xc:none -font "$BOLDOBL" -pointsize $NAME_PT -gravity NorthWest \
  -fill white -annotate +0+0 'Velo' \
  -fill 'rgb(150,238,120)' -annotate +${VELO_W}+0 'tune' "$TMP/name.png"

# Navigation strip gradient, the same blues as the tray menu bar.
"$IM" -size $((COL_R+1))x$((H-PAGE_Y0)) gradient:"$BLUE_L"-"$BLUE_D" "$TMP/col.png"

# Faint speedometer watermark low in the strip, under the last button.
"$IM" -size 151x80 xc:none -stroke none -fill 'rgba(255,255,255,0.12)' \
  -draw "$(band 75 80 58 63 180 360)" \
  -stroke 'rgba(255,255,255,0.12)' -strokewidth 2 \
  -draw "line 21,80 31,80" -draw "line 33,46 41,52" -draw "line 75,26 75,36" \
  -draw "line 117,46 109,52" -draw "line 129,80 119,80" \
  -stroke none -fill 'rgba(255,255,255,0.14)' -draw "polygon 71,82 79,78 108,46" \
  -draw "circle 75,80 75,73" "$TMP/wm.png"

"$IM" -size ${W}x${H} xc:'rgb(214,226,243)' \
  "$TMP/title.png" -geometry +0+0 -composite \
  "$TMP/streaks.png" -geometry +206+0 -composite \
  -fill 'rgb(0,157,0)' -draw "rectangle 0,$TITLE_H $((W-1)),$TITLE_H" \
  -fill 'rgb(0,118,0)' -draw "rectangle 0,$((TITLE_H+1)) $((W-1)),$((TITLE_H+1))" \
  "$TMP/col.png" -geometry +0+$PAGE_Y0 -composite \
  "$TMP/wm.png" -geometry +0+$((H-84)) -composite \
  -fill 'rgb(159,183,218)' -draw "rectangle $((PAGE_X0-1)),$PAGE_Y0 $((PAGE_X0-1)),$((PAGE_Y1+1))" \
  -draw "rectangle $((PAGE_X0-1)),$((PAGE_Y1+1)) $((PAGE_X1+1)),$((PAGE_Y1+1))" \
  -draw "rectangle $((PAGE_X1+1)),$PAGE_Y0 $((PAGE_X1+1)),$((PAGE_Y1+1))" \
  -fill white -draw "rectangle $PAGE_X0,$PAGE_Y0 $PAGE_X1,$PAGE_Y1" \
  -fill 'rgba(255,255,255,0.93)' -draw "roundrectangle 362,29 546,54 7,7" \
  "$TMP/nshadow.png" -geometry +12+6 -composite \
  "$TMP/name.png" -geometry +12+6 -composite \
  -fill 'rgba(255,255,255,0.35)' -draw "rectangle 1,1 $((W-2)),1" \
  "$TMP/bg_base.png"

# Outline: 1px navy frame, chamfered corners, then the magenta key pixels.
frame=(-fill none -stroke "$NAVY" -strokewidth 1 -draw "rectangle 0,0 $((W-1)),$((H-1))")
# Scaled, the one-pixel frame is drawn as four bars of one scaled pixel.
[[ $K != 2 ]] && frame=(-stroke none -fill "$NAVY" -draw "rectangle 0,0 $((W-1)),0"
  -draw "rectangle 0,$((H-1)) $((W-1)),$((H-1))" -draw "rectangle 0,0 0,$((H-1))"
  -draw "rectangle $((W-1)),0 $((W-1)),$((H-1))")
"$IM" "$TMP/bg_base.png" -alpha off +antialias "${frame[@]}" -stroke none -fill "$NAVY" \
  -draw "point 1,1" -draw "point $((W-2)),1" \
  -draw "point 1,$((H-2))" -draw "point $((W-2)),$((H-2))" \
  "$TMP/bg_framed.png"
cp "$TMP/bg_framed.png" "$TMP/bg_base.png"
keypts=()
for y in 0 $((H-1)); do
  for x in 0 1 $((W-2)) $((W-1)); do keypts+=(-draw "point $x,$y"); done
done
for y in 1 $((H-2)); do
  for x in 0 $((W-1)); do keypts+=(-draw "point $x,$y"); done
done
"$IM" "$TMP/bg_framed.png" +antialias -fill "$MAGENTA" "${keypts[@]}" "$TMP/bg_final.png"
save_keyed "$TMP/bg_final.png" "$OUT/background$SUF.png"

# The window region is cut from exactly these 12 pixels: check them.
want="0,0 0,1 0,372 0,373 1,0 1,373 548,0 548,373 549,0 549,1 549,372 549,373"
if [[ $K == 4 ]]; then
  # Twice the size: each key pixel is a 2x2 block, so the outline is exactly doubled.
  want=$(for p in $want; do x=${p%,*}; y=${p#*,}
    for dx in 0 1; do for dy in 0 1; do echo "$((2*x+dx)) $((2*y+dy))"; done; done; done \
    | sort -n -k1,1 -k2,2 | tr ' ' ',' | tr '\n' ' ' | sed 's/ $//')
fi
got=$("$IM" "$OUT/background$SUF.png" txt:- | grep -i '#FF00FF' | cut -d: -f1 \
      | tr ',' ' ' | sort -n -k1,1 -k2,2 | tr ' ' ',' | tr '\n' ' ' | sed 's/ $//')
[[ $K == 3 || $got == "$want" ]] || die "background$SUF.png magenta key pixels wrong: '$got'"

###########################################################################
# Navigation buttons, 142x41, fixed spots on the strip
###########################################################################
NW=142; NH=41
NAV_SHAPE="roundrectangle 0,0 $((NW-1)),$((NH-1)) 6,6"

# Small white glyphs, drawn 4x and shrunk so their edges stay smooth.
glyph_mask() { # name dst(20x20 grey mask)
  local ops=()
  case $1 in
    network) ops=(-draw "polygon 46,4 14,44 36,44 28,76 66,30 44,30 56,4") ;;
    eraser)  ops=(-draw "polygon 8,52 40,18 72,44 46,74 22,74" -draw "rectangle 8,74 74,78"
                # split line so the block reads as an eraser, not a blob
                -stroke black -strokewidth 5 -draw "line 25,34 56,62") ;;
    enhance) ops=(-draw "polygon 40,2 49,29 78,29 55,47 63,75 40,58 17,75 25,47 2,29 31,29") ;;
    about)   ops=(-draw "circle 40,40 40,4" -fill black -draw "circle 40,40 40,10" -fill white
                -draw "circle 40,22 40,16" -draw "roundrectangle 35,32 45,62 3,3") ;;
  esac
  "$IM" -size 80x80 xc:black -fill white -stroke none "${ops[@]}" -filter Box -resize 20x20 "$2"
}

nav_button() { # page label1 label2 state y dst
  local page=$1 l1=$2 l2=$3 state=$4 y=$5 dst=$6
  local top bot border gloss text shadow glyph dx=0
  case $state in
    up)   top='rgba(255,255,255,0.22)'; bot='rgba(255,255,255,0.08)'
          border='rgba(255,255,255,0.45)'; gloss='rgba(255,255,255,0.16)'
          text=white; shadow='rgba(0,25,80,0.7)'; glyph='rgb(220,235,255)' ;;
    hot)  top='rgba(255,255,255,0.42)'; bot='rgba(255,255,255,0.22)'
          border='rgba(255,255,255,0.85)'; gloss='rgba(255,255,255,0.22)'
          text=white; shadow='rgba(0,25,80,0.8)'; glyph='rgb(160,245,130)' ;;
    down) top='rgba(0,20,70,0.45)'; bot='rgba(0,20,70,0.25)'
          border='rgba(0,20,70,0.75)'; gloss='rgba(255,255,255,0.0)'
          text='rgb(225,235,250)'; shadow='rgba(0,15,50,0.8)'; glyph='rgb(200,220,250)'; dx=1 ;;
    staydown)
          top='rgb(255,255,255)'; bot='rgb(226,236,250)'
          border='rgb(10,47,110)'; gloss='rgba(255,255,255,0.0)'
          text="$BLUE_D"; shadow=none; glyph="$GREEN" ;;
  esac
  # Face
  grad_shape $NW $NH "$top" "$bot" "$NAV_SHAPE" "$TMP/nface.png"
  "$IM" "$TMP/nface.png" \
    \( -size ${NW}x$((NH/2)) xc:none -fill "$gloss" -draw "roundrectangle 1,1 $((NW-2)),$((NH/2+4)) 5,5" \
       -gravity North -background none -extent ${NW}x$NH \) -gravity NorthWest -compose Over -composite \
    -fill none -stroke "$border" -strokewidth 1 \
    -draw "roundrectangle 0.5,0.5 $((NW-1)).5,$((NH-1)).5 6,6" "$TMP/nface.png"
  if [[ $state == staydown ]]; then
    # Blue accent on the left, green pointer on the right toward the page.
    "$IM" "$TMP/nface.png" -stroke none -fill "$BLUE_D" -draw "roundrectangle 0,0 6,$((NH-1)) 6,6" \
      -draw "rectangle 3,0 4,$((NH-1))" \
      -fill "$GREEN" -draw "polygon 133,15.5 138,20.5 133,25.5" \
      \( -size ${NW}x$NH xc:none -fill white -draw "$NAV_SHAPE" \) \
      -compose DstIn -composite "$TMP/nface.png"
    "$IM" "$TMP/nface.png" -fill none -stroke "$border" -strokewidth 1 \
      -draw "roundrectangle 0.5,0.5 $((NW-1)).5,$((NH-1)).5 6,6" "$TMP/nface.png"
  fi
  # Glyph
  glyph_mask "$page" "$TMP/gm.png"
  "$IM" -size 20x20 xc:"$glyph" "$TMP/gm.png" -alpha off -compose CopyOpacity -composite "$TMP/gly.png"
  local gx=$((12+dx)) gy=$((10+dx)) tx=$((38+dx))
  # Nudged left so the longest label clears the pointer.
  [[ $state == staydown ]] && gx=11 tx=36
  local cmd=("$IM" "$TMP/nface.png")
  if [[ $shadow != none ]]; then
    cmd+=( \( -size 20x20 xc:"$shadow" "$TMP/gm.png" -alpha off -compose CopyOpacity -composite \)
           -geometry +$((gx+1))+$((gy+1)) -compose Over -composite )
  fi
  cmd+=("$TMP/gly.png" -geometry "+$gx+$gy" -compose Over -composite
        -font "$BOLD" -pointsize 11 -gravity NorthWest)
  local b1 b2
  if [[ -n $l2 ]]; then b1=$((18+dx)); b2=$((31+dx)); else b1=$((25+dx)); b2=; fi
  if [[ $shadow != none ]]; then
    cmd+=(-fill "$shadow" -annotate +$((tx+1))+$((b1-11+1)) "$l1")
    [[ -n $b2 ]] && cmd+=(-annotate +$((tx+1))+$((b2-11+1)) "$l2")
  fi
  cmd+=(-fill "$text" -annotate "+$tx+$((b1-11))" "$l1")
  [[ -n $b2 ]] && cmd+=(-annotate "+$tx+$((b2-11))" "$l2")
  cmd+=("$TMP/nbtn.png")
  "${cmd[@]}"
  "$IM" "$TMP/bg_base.png" -crop ${NW}x$NH+4+$y +repage "$TMP/ncrop.png"
  key_olive "$TMP/nbtn.png" "$TMP/ncrop.png" "$NAV_SHAPE" "$dst"
}

NAV_Y=(67 129 192 255)
NAV_ID=(network eraser enhance about)
NAV_L1=("Network" "Tracks Eraser" "Enhancements" "About")
NAV_L2=("Optimizations" "" "" "")
for i in 0 1 2 3; do
  for st in up hot down staydown; do
    nav_button "${NAV_ID[$i]}" "${NAV_L1[$i]}" "${NAV_L2[$i]}" $st "${NAV_Y[$i]}" \
      "$OUT/nav_${NAV_ID[$i]}_$st$SUF.png"
  done
done

###########################################################################
# Action buttons, 120x35, on the white page
###########################################################################
AW=120; AH=35
act_button() { # label state dst
  local label=$1 state=$2 dst=$3 t1 t2 b1 b2 border off=0
  case $state in
    up)   t1='rgb(98,200,98)';  t2='rgb(38,166,38)';  b1='rgb(16,146,16)'; b2='rgb(10,124,10)'; border='rgb(0,95,0)' ;;
    hot)  t1='rgb(140,228,140)'; t2='rgb(70,196,70)'; b1='rgb(36,172,36)'; b2='rgb(22,150,22)'; border='rgb(0,110,0)' ;;
    down) t1='rgb(12,120,12)';  t2='rgb(14,130,14)';  b1='rgb(16,138,16)'; b2='rgb(24,150,24)'; border='rgb(0,80,0)'; off=1 ;;
  esac
  local half=$((AH/2))
  "$IM" -size ${AW}x$half gradient:"$t1"-"$t2" -size ${AW}x$((AH-half)) gradient:"$b1"-"$b2" \
    -append +repage \( -size ${AW}x$AH xc:black -fill white -draw "roundrectangle 0,0 $((AW-1)),$((AH-1)) 7,7" \) \
    -alpha off -compose CopyOpacity -composite \
    -fill none -stroke "$border" -strokewidth 1 -draw "roundrectangle 0.5,0.5 $((AW-1)).5,$((AH-1)).5 7,7" \
    -stroke 'rgba(255,255,255,0.45)' -draw "line 6,1.5 $((AW-7)),1.5" -stroke none \
    -font "$BOLD" -pointsize 12 -gravity Center \
    -fill 'rgba(0,60,0,0.75)' -annotate +$((off+1))+$((off+1)) "$label" \
    -fill white -annotate +$off+$off "$label" "$TMP/abtn.png"
  "$IM" -size ${AW}x$AH xc:white "$TMP/awhite.png"
  key_olive "$TMP/abtn.png" "$TMP/awhite.png" "roundrectangle 0,0 $((AW-1)),$((AH-1)) 7,7" "$dst"
}
ACT_ID=(optimize erase apply ok)
ACT_L=("Optimize Now!" "Erase Now!" "Apply Settings" "OK")
for i in 0 1 2 3; do
  for st in up hot down; do
    act_button "${ACT_L[$i]}" $st "$OUT/act_${ACT_ID[$i]}_$st$SUF.png"
  done
done

###########################################################################
# Title bar glyph buttons, 16x15: minimize at (509,7), close at (528,7)
###########################################################################
glyph_button() { # kind state x dst
  local kind=$1 state=$2 x=$3 dst=$4 face border ink off=0
  case $state in
    up)   face='rgba(255,255,255,0.18)'; border='rgba(255,255,255,0.70)'; ink=white ;;
    hot)  face='rgba(255,255,255,0.40)'; border='rgb(255,255,255)'; ink=white
          [[ $kind == close ]] && face='rgb(214,62,44)' ;;
    down) face='rgba(0,25,80,0.55)'; border='rgba(255,255,255,0.55)'; ink='rgb(220,232,250)'; off=1
          [[ $kind == close ]] && face='rgb(160,36,24)' ;;
  esac
  local g=()
  if [[ $kind == close ]]; then
    g=(-stroke "$ink" -strokewidth 2 -draw "line $((4+off)),$((4+off)) $((11+off)),$((11+off))"
       -draw "line $((11+off)),$((4+off)) $((4+off)),$((11+off))")
  else
    g=(-stroke none -fill "$ink" -draw "rectangle $((4+off)),$((9+off)) $((11+off)),$((10+off))")
  fi
  "$IM" -size 16x15 xc:none -fill "$face" -stroke "$border" -strokewidth 1 \
    -draw 'roundrectangle 0.5,0.5 15.5,14.5 3,3' "${g[@]}" "$TMP/gbtn.png"
  "$IM" "$TMP/bg_base.png" -crop 16x15+$x+7 +repage "$TMP/gcrop.png"
  key_olive "$TMP/gbtn.png" "$TMP/gcrop.png" "roundrectangle 0,0 15,14 3,3" "$dst"
}
for st in up hot down; do
  glyph_button min $st 509 "$OUT/btn_min_$st$SUF.png"
  glyph_button close $st 528 "$OUT/btn_close_$st$SUF.png"
done

###########################################################################
# Tray menu side bar, 20x500, text only, everything else olive
###########################################################################
# Drawn upright 500 wide, then turned so it reads bottom to top. No
# antialiasing: blended edges against olive would come out muddy.
# Unhinted mono strokes come out 1px thin, so strike twice for real bold.
"$IM" -size 500x20 xc:"$OLIVE" +antialias -font "$BOLD" -pointsize 13 -fill white \
  -gravity West -annotate +8+0 'Velotune 2.0' -annotate +9+0 'Velotune 2.0' \
  -rotate 270 "$TMP/side.png"
[[ $("$IM" "$TMP/side.png" -format %k info:) == 2 ]] || die "sidebar.png must be white on olive only"
save_keyed "$TMP/side.png" "$OUT/sidebar$SUF.png"


###########################################################################
# Pictures and icons: drawn large, shrunk with a box filter for clean
# anti-aliased edges and alpha.
###########################################################################
OUTLINE=$NAVY
# Drawn on large canvases of their own: only the final shrink depends on the scale.
IM=$CONVERT

# Shape with a vertical gradient fill and an outline of half the stroke width.
part() { # size "prims" top bottom outline strokewidth dst
  local sz=$1 prims=$2
  grad_shape "$sz" "$sz" "$3" "$4" "$prims" "$TMP/part_fill.png"
  if [[ $6 != 0 ]]; then
    "$IM" -size "${sz}x$sz" xc:none -fill "$5" -stroke "$5" -strokewidth "$6" \
      -draw "$prims" "$TMP/part_fill.png" -compose Over -composite "$7"
  else
    cp "$TMP/part_fill.png" "$7"
  fi
}

# Same but with a radial gradient centred at (cx,cy).
rpart() { # size "prims" inner outer cx cy r outline strokewidth dst
  local sz=$1
  "$IM" -size "${sz}x$sz" xc:"$4" \( -size $((2*$7))x$((2*$7)) radial-gradient:"$3"-"$4" \) \
    -geometry +$(($5-$7))+$(($6-$7)) -composite -alpha set \
    \( -size "${sz}x$sz" xc:none -fill white -draw "$2" \) -compose DstIn -composite \
    "$TMP/rpart_fill.png"
  "$IM" -size "${sz}x$sz" xc:none -fill "$8" -stroke "$8" -strokewidth "$9" \
    -draw "$2" "$TMP/rpart_fill.png" -compose Over -composite "${10}"
}

stack() { # dst layers...
  local dst=$1; shift
  "$IM" "$@" -background none -compose Over -flatten "$dst"
}

shrink() { # src size(1x) dst
  local n
  n=$(px "$2")
  "$IM" "$1" -filter Box -resize "${n}x$n" "$3"
}

S=128   # 4x canvas for the 32px pictures

# --- Profile: dial-up (telephone) ---------------------------------------
part $S "polygon 36,58 92,58 110,112 18,112" 'rgb(246,249,254)' 'rgb(176,198,232)' "$OUTLINE" 7 "$TMP/l1.png"
"$IM" -size ${S}x$S xc:none -fill white -stroke "$OUTLINE" -strokewidth 4 -draw "circle 64,86 64,66" \
  -stroke none -fill "$BLUE_L" \
  -draw "circle $(pt 64 86 13 200) $(pt 64 86 10 200)" -draw "circle $(pt 64 86 13 245) $(pt 64 86 10 245)" \
  -draw "circle $(pt 64 86 13 290) $(pt 64 86 10 290)" -draw "circle $(pt 64 86 13 335) $(pt 64 86 10 335)" \
  -draw "circle $(pt 64 86 13 20) $(pt 64 86 10 20)" -draw "circle $(pt 64 86 13 65) $(pt 64 86 10 65)" \
  -draw "circle $(pt 64 86 13 110) $(pt 64 86 10 110)" -fill "$OUTLINE" -draw "circle 64,86 64,82" "$TMP/l2.png"
# Handset: a thick curved bar with an ear and a mouth cup.
"$IM" -size ${S}x$S xc:none -fill "$OUTLINE" -stroke "$OUTLINE" -strokewidth 22 \
  -draw "path 'M 26,46 C 40,14 88,14 102,46 Z'" \
  -stroke none -fill "$OUTLINE" -draw "roundrectangle 8,36 46,62 10,10" -draw "roundrectangle 82,36 120,62 10,10" \
  -fill "$BLUE_L" -stroke "$BLUE_L" -strokewidth 13 -draw "path 'M 26,46 C 40,14 88,14 102,46 Z'" \
  -stroke none -fill "$BLUE_L" -draw "roundrectangle 12,40 42,58 7,7" -draw "roundrectangle 86,40 116,58 7,7" \
  -fill 'rgba(255,255,255,0.45)' -draw "roundrectangle 15,42 39,47 3,3" -draw "roundrectangle 89,42 113,47 3,3" \
  "$TMP/l3.png"
stack "$TMP/big.png" "$TMP/l1.png" "$TMP/l2.png" "$TMP/l3.png"
shrink "$TMP/big.png" 32 "$TMP/small.png"
save_png PNG32 "$TMP/small.png" "$OUT/profile_dialup$SUF.png"

# --- Profile: DSL / cable modem -----------------------------------------
part $S "polygon 14,70 34,46 122,46 108,70" 'rgb(196,216,244)' 'rgb(150,184,230)' "$OUTLINE" 7 "$TMP/l1.png"
part $S "polygon 108,70 122,46 122,86 108,110" 'rgb(30,80,160)' 'rgb(16,56,128)' "$OUTLINE" 7 "$TMP/l2.png"
part $S "roundrectangle 14,70 108,110 4,4" 'rgb(92,150,222)' 'rgb(20,80,170)' "$OUTLINE" 7 "$TMP/l3.png"
mapfile -t CABLE < <(bez_lines 96 50 96 26 72 30 62 8)
"$IM" -size ${S}x$S xc:none -fill none -stroke "$OUTLINE" -strokewidth 9 "${CABLE[@]}" \
  -stroke 'rgb(150,160,175)' -strokewidth 4 "${CABLE[@]}" \
  -stroke 'rgb(0,90,0)' -strokewidth 2 -fill 'rgb(60,220,60)' \
  -draw "circle 30,90 30,84" -draw "circle 48,90 48,84" -draw "circle 66,90 66,84" \
  -fill 'rgb(170,200,235)' -stroke 'rgb(15,60,140)' -draw "circle 86,90 86,84" \
  -stroke none -fill 'rgba(255,255,255,0.8)' \
  -draw "circle 28,88 28,86" -draw "circle 46,88 46,86" -draw "circle 64,88 64,86" \
  -fill 'rgba(255,255,255,0.25)' -draw "rectangle 18,73 104,78" "$TMP/l4.png"
# Cable behind the box, lights in front of it.
"$IM" "$TMP/l4.png" -crop 128x60+0+68 +repage -background none -gravity South -extent 128x128 "$TMP/l5.png"
stack "$TMP/big.png" "$TMP/l4.png" "$TMP/l1.png" "$TMP/l2.png" "$TMP/l3.png" "$TMP/l5.png"
shrink "$TMP/big.png" 32 "$TMP/small.png"
save_png PNG32 "$TMP/small.png" "$OUT/profile_dsl$SUF.png"

# --- Profile: LAN (three computers on a hub) ----------------------------
monitor() { # x y -> primitives for one little computer at 4x
  local x=$1 y=$2
  echo "roundrectangle $x,$y $((x+42)),$((y+32)) 5,5"
}
"$IM" -size ${S}x$S xc:none -fill none -stroke "$OUTLINE" -strokewidth 9 \
  -draw "line 64,44 64,84" -draw "line 26,84 102,84" -draw "line 26,84 26,76" -draw "line 102,84 102,76" \
  -stroke 'rgb(60,200,60)' -strokewidth 4 \
  -draw "line 64,44 64,84" -draw "line 26,84 102,84" -draw "line 26,84 26,76" -draw "line 102,84 102,76" \
  "$TMP/wires.png"
layers=("$TMP/wires.png")
n=0
for xy in "43 4" "5 72" "81 72"; do
  set -- $xy
  part $S "$(monitor "$1" "$2")" 'rgb(235,241,250)' 'rgb(180,200,230)' "$OUTLINE" 7 "$TMP/m$n.png"
  part $S "rectangle $(($1+6)),$(($2+6)) $(($1+36)),$(($2+25))" 'rgb(110,180,250)' "$BLUE_D" none 0 "$TMP/s$n.png"
  "$IM" -size ${S}x$S xc:none -fill "$OUTLINE" -draw "rectangle $(($1+17)),$(($2+32)) $(($1+25)),$(($2+38))" \
    -draw "roundrectangle $(($1+9)),$(($2+37)) $(($1+33)),$(($2+42)) 2,2" \
    -fill 'rgba(255,255,255,0.5)' -draw "polygon $(($1+6)),$(($2+6)) $(($1+22)),$(($2+6)) $(($1+6)),$(($2+16))" "$TMP/st$n.png"
  layers+=("$TMP/st$n.png" "$TMP/m$n.png" "$TMP/s$n.png" "$TMP/st$n.png")
  n=$((n+1))
done
part $S "roundrectangle 50,78 78,92 4,4" 'rgb(90,220,90)' 'rgb(0,140,0)' 'rgb(0,80,0)' 5 "$TMP/hub.png"
layers+=("$TMP/hub.png")
stack "$TMP/big.png" "${layers[@]}"
shrink "$TMP/big.png" 32 "$TMP/small.png"
save_png PNG32 "$TMP/small.png" "$OUT/profile_lan$SUF.png"

# --- Profile: T1 (server rack) ------------------------------------------
part $S "roundrectangle 26,4 102,124 10,10" 'rgb(70,110,170)' 'rgb(28,58,110)' "$OUTLINE" 7 "$TMP/l1.png"
units=()
for y in 14 42 70 98; do
  units+=(-draw "roundrectangle 36,$y 92,$((y+18)) 3,3")
done
"$IM" -size ${S}x$S xc:none -stroke "$OUTLINE" -strokewidth 3 -fill 'rgb(214,226,243)' "${units[@]}" \
  "$TMP/u.png"
leds=()
for y in 14 42 70 98; do
  leds+=(-fill 'rgb(60,220,60)' -stroke 'rgb(0,90,0)' -draw "circle 82,$((y+9)) 82,$((y+4))"
         -stroke none -fill "$OUTLINE" -draw "rectangle 44,$((y+6)) 68,$((y+8))" -draw "rectangle 44,$((y+11)) 68,$((y+13))"
         -fill 'rgba(255,255,255,0.8)' -draw "rectangle 38,$((y+2)) 90,$((y+3))")
done
"$IM" "$TMP/u.png" -strokewidth 2 "${leds[@]}" "$TMP/u.png"
stack "$TMP/big.png" "$TMP/l1.png" "$TMP/u.png"
shrink "$TMP/big.png" 32 "$TMP/small.png"
save_png PNG32 "$TMP/small.png" "$OUT/profile_t1$SUF.png"

# --- Browser tile, 48x38, opaque on the white page ----------------------
"$IM" -size 192x152 xc:white \
  \( -size 192x152 gradient:'rgb(250,252,255)'-'rgb(204,222,245)' -alpha set \
     \( -size 192x152 xc:none -fill white -draw "roundrectangle 2,2 189,149 22,22" \) -compose DstIn -composite \) \
  -compose Over -composite \
  -fill none -stroke 'rgb(140,172,218)' -strokewidth 4 -draw "roundrectangle 4,4 187,147 20,20" \
  -stroke 'rgba(255,255,255,0.9)' -strokewidth 3 -draw "line 24,10 168,10" \
  -filter Box -resize "$(px 48)x$(px 38)" "$TMP/tile.png"
save_png PNG24 "$TMP/tile.png" "$OUT/tile_browser$SUF.png" -interlace PNG

# --- Browser icons -------------------------------------------------------
# Fox-ish: blue globe with an orange tail wrapped round its lower left.
rpart $S "circle 70,58 70,14" 'rgb(150,205,255)' 'rgb(16,80,176)' 46 40 70 "$OUTLINE" 5 "$TMP/l1.png"
"$IM" -size ${S}x$S xc:none -fill none -stroke 'rgba(255,255,255,0.35)' -strokewidth 3 \
  -draw "ellipse 70,58 18,43 0,360" -draw "line 27,58 113,58" -draw "ellipse 70,58 43,16 0,360" \
  \( -size ${S}x$S xc:none -fill white -draw "circle 70,58 70,15" \) -compose DstIn -composite "$TMP/l2.png"
# The tail hugs the globe: its inner edge is a circle just outside it.
"$IM" -size ${S}x$S xc:none -fill 'rgb(150,50,10)' -draw "circle 58,70 58,10" \
  -fill black -draw "circle 70,58 70,11" -fuzz 0 -transparent black "$TMP/l3a.png"
"$IM" -size ${S}x$S gradient:'rgb(255,200,80)'-'rgb(225,80,20)' -alpha set \
  \( -size ${S}x$S xc:none -fill white -draw "circle 58,70 58,14" -fill black -draw "circle 70,58 70,8" \
     -fuzz 0 -transparent black \) -compose DstIn -composite "$TMP/l3b.png"
"$IM" "$TMP/l3a.png" "$TMP/l3b.png" -compose Over -composite "$TMP/l3.png"
stack "$TMP/big.png" "$TMP/l1.png" "$TMP/l2.png" "$TMP/l3.png"
shrink "$TMP/big.png" 32 "$TMP/small.png"
save_png PNG32 "$TMP/small.png" "$OUT/icon_firefox$SUF.png"

# Blue "e" with a light orbit ring behind it; in front it hid the glyph.
ORBIT="translate 64,66 rotate -22 ellipse 0,0 61,20"
"$IM" -size ${S}x$S xc:none -fill none -stroke "$OUTLINE" -strokewidth 10 -draw "$ORBIT 0,360" \
  -stroke 'rgb(120,205,250)' -strokewidth 5 -draw "$ORBIT 0,360" "$TMP/l1.png"
# Font metrics put the glyph off centre, so crop both passes to the
# outline's box and centre that by hand.
"$IM" -size 256x256 xc:none -font "$BOLD" -pointsize 128 -gravity Center -fill white \
  -stroke white -strokewidth 9 -annotate +0+0 e "$TMP/e_o256.png"
"$IM" -size 256x256 xc:none -font "$BOLD" -pointsize 128 -gravity Center -fill white \
  -annotate +0+0 e "$TMP/e_i256.png"
EBOX=$("$IM" "$TMP/e_o256.png" -format %@ info:)
for v in o i; do
  "$IM" "$TMP/e_${v}256.png" -crop "$EBOX" +repage -gravity Center -background none \
    -extent ${S}x$S "$TMP/e_$v.png"
done
mv "$TMP/e_o.png" "$TMP/e_out.png"; mv "$TMP/e_i.png" "$TMP/e_in.png"
"$IM" "$TMP/e_out.png" -fill "$OUTLINE" -colorize 100 "$TMP/l2.png"
"$IM" -size ${S}x$S gradient:'rgb(110,180,250)'-"$BLUE_D" -alpha set \
  "$TMP/e_in.png" -compose DstIn -composite "$TMP/l3.png"
stack "$TMP/big.png" "$TMP/l1.png" "$TMP/l2.png" "$TMP/l3.png"
shrink "$TMP/big.png" 32 "$TMP/small.png"
save_png PNG32 "$TMP/small.png" "$OUT/icon_ie$SUF.png"

# Red ring "O".
"$IM" -size ${S}x$S xc:none -fill none -stroke 'rgb(110,10,14)' -strokewidth 32 \
  -draw "ellipse 64,64 38,50 0,360" "$TMP/l1.png"
"$IM" -size ${S}x$S gradient:'rgb(255,100,88)'-'rgb(176,20,26)' -alpha set \
  \( -size ${S}x$S xc:none -fill none -stroke white -strokewidth 24 -draw "ellipse 64,64 38,50 0,360" \) \
  -compose DstIn -composite "$TMP/l2.png"
"$IM" -size ${S}x$S xc:none -fill none -stroke 'rgba(255,255,255,0.55)' -strokewidth 5 \
  -draw "ellipse 64,64 38,50 200,260" "$TMP/l3.png"
stack "$TMP/big.png" "$TMP/l1.png" "$TMP/l2.png" "$TMP/l3.png"
shrink "$TMP/big.png" 32 "$TMP/small.png"
save_png PNG32 "$TMP/small.png" "$OUT/icon_opera$SUF.png"

# Blue triangle with a little person cut out of it.
"$IM" -size ${S}x$S xc:none -fill "$OUTLINE" -stroke "$OUTLINE" -strokewidth 20 \
  -draw "stroke-linejoin round polygon 20,110 64,18 108,110" "$TMP/l1.png"
"$IM" -size ${S}x$S gradient:'rgb(100,170,250)'-"$BLUE_D" -alpha set \
  \( -size ${S}x$S xc:none -fill white -stroke white -strokewidth 10 \
     -draw "stroke-linejoin round polygon 20,110 64,18 108,110" \) -compose DstIn -composite "$TMP/l2.png"
"$IM" -size ${S}x$S xc:none -fill white -draw "circle 64,60 64,48" \
  -draw "path 'M 42,104 C 42,72 86,72 86,104 Z'" "$TMP/l3.png"
stack "$TMP/big.png" "$TMP/l1.png" "$TMP/l2.png" "$TMP/l3.png"
shrink "$TMP/big.png" 32 "$TMP/small.png"
save_png PNG32 "$TMP/small.png" "$OUT/icon_aol$SUF.png"

# --- Enhancements page: envelope -----------------------------------------
# Edges sit on whole pixels, so one-bit transparency is exact and a palette
# PNG loses nothing.
"$IM" -size ${S}x$S xc:none -fill "$OUTLINE" -draw "rectangle 4,24 123,103" \
  \( -size 112x72 gradient:white-'rgb(205,220,242)' \) -geometry +8+28 -composite \
  -fill 'rgb(226,235,248)' -stroke 'rgb(120,150,200)' -strokewidth 3 \
  -draw "polyline 9,101 50,62 78,62 118,101" \
  -fill 'rgb(190,210,238)' -stroke "$OUTLINE" -strokewidth 4 -draw "polygon 8,29 64,72 119,29" \
  -stroke none -fill "$GREEN" -draw "circle 64,72 64,65" \
  -fill 'rgba(255,255,255,0.7)' -draw "circle 62,70 62,68" "$TMP/big.png"
"$IM" "$TMP/big.png" -filter Box -resize "$(px 32)x$(px 32)" -channel A -threshold 50% +channel "$TMP/small.png"
save_png PNG8 "$TMP/small.png" "$OUT/pic_outlook$SUF.png"

# --- Enhancements page: globe with an "e" ------------------------------
rpart $S "circle 64,64 64,10" 'rgb(160,215,255)' 'rgb(20,90,185)' 44 40 76 "$OUTLINE" 6 "$TMP/l1.png"
"$IM" -size ${S}x$S xc:none -fill 'rgba(60,190,60,0.85)' \
  -draw "path 'M 30,40 C 40,22 62,22 66,34 C 70,46 54,50 50,62 C 46,74 30,70 26,58 Z'" \
  -draw "path 'M 78,70 C 92,62 108,70 104,88 C 100,104 84,108 80,96 C 76,86 70,78 78,70 Z'" \
  -fill none -stroke 'rgba(255,255,255,0.35)' -strokewidth 3 \
  -draw "ellipse 64,64 22,53 0,360" -draw "line 11,64 117,64" -draw "ellipse 64,64 53,20 0,360" \
  \( -size ${S}x$S xc:none -fill white -draw "circle 64,64 64,11" \) -compose DstIn -composite "$TMP/l2.png"
"$IM" -size 256x256 xc:none -font "$BOLD" -pointsize 96 -gravity Center -fill "$OUTLINE" \
  -stroke "$OUTLINE" -strokewidth 10 -annotate +0+0 e -stroke none -fill white -annotate +0+0 e \
  -trim +repage "$TMP/e_w.png"
"$IM" "$TMP/e_w.png" -background none -gravity Center -extent ${S}x$S "$TMP/l3.png"
# Only ever shown on the white page, so it goes out flattened, without alpha.
stack "$TMP/big.png" "$TMP/l1.png" "$TMP/l2.png" "$TMP/l3.png"
shrink "$TMP/big.png" 32 "$TMP/small.png"
"$IM" "$TMP/small.png" -background white -flatten "$TMP/small.png"
save_png PNG24 "$TMP/small.png" "$OUT/pic_ie$SUF.png"

###########################################################################
# Logo and icons: a speedometer dial, blue rim, green fast end
###########################################################################
# Draws the dial on a canvas of size sz; simple=1 drops ticks for 16px.
dial() { # sz simple dst
  local sz=$1 simple=$2 dst=$3 k
  k=$(awk -v s="$sz" 'BEGIN { printf "%.4f", s / 192 }')
  # Everything below is laid out on a 192 grid and scaled by k.
  sc() { awk -v k="$k" -v v="$1" 'BEGIN { printf "%.1f", v * k }'; }
  local cx cy r_out r_face r_arc aw ow
  cx=$(sc 96); cy=$(sc 100)
  r_out=$(sc 88); r_face=$(sc 70); r_arc=$(sc 52)
  if [[ $simple == 1 ]]; then aw=$(sc 26); r_face=$(sc 64); r_arc=$(sc 46); else aw=$(sc 12); fi
  ow=$(sc 6)
  rpart "$sz" "circle $cx,$cy $cx,$(awk -v a="$cy" -v r="$r_out" 'BEGIN{print a-r}')" \
    'rgb(110,170,240)' "$BLUE_D" "$(awk -v a="$cx" -v k="$k" 'BEGIN{printf "%d", a - 20*k}')" \
    "$(awk -v a="$cy" -v k="$k" 'BEGIN{printf "%d", a - 34*k}')" "$(awk -v k="$k" 'BEGIN{printf "%d", 110*k}')" \
    "$OUTLINE" "$ow" "$TMP/d1.png"
  part "$sz" "circle $cx,$cy $cx,$(awk -v a="$cy" -v r="$r_face" 'BEGIN{print a-r}')" \
    white 'rgb(200,218,242)' "$OUTLINE" "$(sc 3)" "$TMP/d2.png"
  local ri ro
  ri=$(awk -v r="$r_arc" -v w="$aw" 'BEGIN { print r - w / 2 }')
  ro=$(awk -v r="$r_arc" -v w="$aw" 'BEGIN { print r + w / 2 }')
  local extra=()
  if [[ $simple == 0 ]]; then
    local a
    for a in 150 180 210 240 270 300 330 360 390; do
      extra+=(-draw "line $(pt "$cx" "$cy" "$(sc 61)" $a) $(pt "$cx" "$cy" "$(sc 68)" $a)")
    done
  fi
  local slow=(-fill "$BLUE_L" -draw "$(band "$cx" "$cy" "$ri" "$ro" 150 265)")
  [[ $simple == 1 ]] && slow=()
  "$IM" -size ${sz}x$sz xc:none -stroke none "${slow[@]}" \
    -fill 'rgb(30,180,30)' -draw "$(band "$cx" "$cy" "$ri" "$ro" 265 390)" \
    -fill none -stroke "$OUTLINE" -strokewidth "$(sc 4)" "${extra[@]}" "$TMP/d3.png"
  # Needle points well into the green.
  local tip base1 base2 tail
  tip=$(pt "$cx" "$cy" "$(sc 62)" 315)
  base1=$(pt "$cx" "$cy" "$(sc 9)" 45); base2=$(pt "$cx" "$cy" "$(sc 9)" 225)
  tail=$(pt "$cx" "$cy" "$(sc 14)" 135)
  local nw
  nw=$(sc 3)
  [[ $simple == 1 ]] && { base1=$(pt "$cx" "$cy" "$(sc 14)" 45); base2=$(pt "$cx" "$cy" "$(sc 14)" 225); }
  "$IM" -size ${sz}x$sz xc:none -fill "$OUTLINE" -stroke "$OUTLINE" -strokewidth "$nw" \
    -draw "stroke-linejoin round polygon $tip $base1 $tail $base2" \
    -stroke none -fill "$GREEN" -draw "circle $cx,$cy $cx,$(awk -v a="$cy" -v r="$(sc 12)" 'BEGIN{print a-r}')" \
    -fill 'rgba(255,255,255,0.7)' -draw "circle $(sc 93),$(sc 97) $(sc 93),$(sc 93)" "$TMP/d4.png"
  stack "$dst" "$TMP/d1.png" "$TMP/d2.png" "$TMP/d3.png" "$TMP/d4.png"
}

dial 192 0 "$TMP/dial192.png"
shrink "$TMP/dial192.png" 48 "$TMP/logo48.png"
save_png PNG32 "$TMP/logo48.png" "$OUT/logo$SUF.png" -interlace PNG

# The icons hold their own sizes: drawn once, with the 1x pictures.
if [[ $K == 2 ]]; then
shrink "$TMP/dial192.png" 32 "$TMP/logo32.png"
dial 128 1 "$TMP/dial128s.png"
shrink "$TMP/dial128s.png" 16 "$TMP/logo16.png"

# Program icon: 16, 32 and 48 with full alpha. Clear pixels are made black
# because Windows XORs the colour of masked-out pixels onto the screen.
for n in 16 32 48; do
  "$IM" "$TMP/logo$n.png" -background black -alpha background "$TMP/ico$n.png"
done
"$IM" "$TMP/ico16.png" "$TMP/ico32.png" "$TMP/ico48.png" -strip "$OUT/velotune.ico"

# Tray icon: 256-colour BMP-in-ICO, so alpha becomes a one-bit mask. One
# image per small-icon size of the DPIs drawn for: 16, 20, 24 and 32.
for n in 16 20 24 32; do
  [[ $n != 16 ]] && shrink "$TMP/dial128s.png" $n "$TMP/logo$n.png"
  "$IM" "$TMP/logo$n.png" -channel A -threshold 50% +channel -background black -alpha background \
    -colors 256 -strip "$TMP/tray$n.ico"
done
# Put together by hand: ImageMagick would make the joined images 32-bit.
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
{
  printf '\x00\x00\x01\x00\x04\x00'
  off=$((6 + 4 * 16))
  for n in 16 20 24 32; do
    head -c 18 "$TMP/tray$n.ico" | tail -c 12
    printf "$(le32 $off)"
    off=$((off + $(stat -c %s "$TMP/tray$n.ico") - 22))
  done
  for n in 16 20 24 32; do tail -c +23 "$TMP/tray$n.ico"; done
} > "$OUT/tray.ico"
fi

###########################################################################
# Checks: the loaders in the program are strict, so fail here instead.
###########################################################################
u16() { od -An -tu2 -j"$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j"$2" -N4 "$1" | tr -d ' '; }
u8()  { od -An -tu1 -j"$2" -N1 "$1" | tr -d ' '; }

check_png() { # file(1x name) w h colour-type interlace; sizes of the 1x drawing
  local f=$OUT/${1%.png}$SUF.png
  set -- "${1%.png}$SUF.png" "$(px "$2")" "$(px "$3")" "$4" "$5"
  [[ $(u8 "$f" 24) == 8 && $(u8 "$f" 25) == "$4" && $(u8 "$f" 28) == "$5" ]] \
    || die "$1: want 8-bit, colour type $4, interlace $5"
  [[ $("$ID" -format '%wx%h' "$f") == "$2x$3" ]] || die "$1: want $2x$3"
}

# Keyed pictures: RGB, no transparency chunk, so no pixel is made see-through.
check_keyed() { # file w h
  check_png "$1" "$2" "$3" 2 0
  [[ $("$ID" -format '%[channels]' "$OUT/${1%.png}$SUF.png") == srgb ]] || die "$1: want RGB without alpha"
  nkeyed=$((nkeyed+1))
}

nkeyed=0
check_keyed background.png 550 374
check_keyed sidebar.png 20 500
for p in "${NAV_ID[@]}"; do
  for st in up hot down staydown; do check_keyed "nav_${p}_$st.png" 142 41; done
done
for a in "${ACT_ID[@]}"; do
  for st in up hot down; do check_keyed "act_${a}_$st.png" 120 35; done
done
for g in close min; do
  for st in up hot down; do check_keyed "btn_${g}_$st.png" 16 15; done
done

# colour type 2 = RGB, 3 = palette, 6 = RGBA; interlace 1 = Adam7
PNGS=(
  "profile_dialup.png 32 32 6 0" "profile_dsl.png 32 32 6 0"
  "profile_lan.png 32 32 6 0"    "profile_t1.png 32 32 6 0"
  "tile_browser.png 48 38 2 1"
  "icon_firefox.png 32 32 6 0"   "icon_ie.png 32 32 6 0"
  "icon_opera.png 32 32 6 0"     "icon_aol.png 32 32 6 0"
  "pic_outlook.png 32 32 3 0"    "pic_ie.png 32 32 2 0"
  "logo.png 48 48 6 1"
)
for entry in "${PNGS[@]}"; do
  # shellcheck disable=SC2086
  check_png $entry
done

if [[ $K == 2 ]]; then
[[ $("$ID" -format '%w ' "$OUT/velotune.ico") == "16 32 48 " ]] || die "velotune.ico: want 16, 32 and 48"
[[ $(u16 "$OUT/tray.ico" 4) == 4 ]] || die "tray.ico: want four images"
for i in 0 1 2 3; do
  n=(16 20 24 32)
  [[ $(u8 "$OUT/tray.ico" $((6 + 16 * i))) == "${n[$i]}" && $(u16 "$OUT/tray.ico" $((12 + 16 * i))) == 8 ]] \
    || die "tray.ico: image $i should be ${n[$i]}x${n[$i]}, 8-bit"
  TRAY_OFF=$(u32 "$OUT/tray.ico" $((18 + 16 * i)))
  [[ $(u32 "$OUT/tray.ico" "$TRAY_OFF") == 40 && $(u16 "$OUT/tray.ico" $((TRAY_OFF+14))) == 8 ]] \
    || die "tray.ico: want an 8-bit BMP inside"
done
TRAY_INFO=$("$ID" -verbose "$OUT/tray.ico")
[[ $TRAY_INFO == *"Type: Palette"* ]] || die "tray.ico: not a palette image"
fi

echo "draw_artwork: wrote $nkeyed keyed and ${#PNGS[@]} other PNGs at scale $SUF into $OUT"
