#!/bin/sh
# Regenerates the PNG fixtures used by png_decode_test.cpp.
#
# Each image is drawn from a formula written out as a plain-text PPM/PGM, so
# the test can recompute every expected pixel. Keep the formulas below in step
# with the ones in png_decode_test.cpp:
#   rgb     R=(40x+7y)%256  G=(3x+45y)%256  B=(9xy+60)%256
#   alpha   A=1+(17x+29y)%255
#   grey8   V=(19x+23y)%256
#   greyN   level=(x+3y)%(2^N), stored at N bits
#   rgb16   R=(4099x+1237y)%65536  G=(751x+9001y+300)%65536  B=(517xy+12345)%65536
#   alpha16 A=1+(2311x+3203y+1000)%65535
#   palette k=(3x+5y)%40: R=6k G=255-6k B=37k%256, fully transparent when k%9==0
#   pal4    k=(x+2y)%11:  R=23k G=255-23k B=(90+50k)%256, opaque
#
# Needs ImageMagick 6 (the real one in /usr/bin, not a wrapper on PATH).
set -eu

IM=/usr/bin/convert
cd "$(dirname "$0")"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

# Date/time chunks would make every run produce different bytes.
NODATE="-define png:exclude-chunks=date,time"

# ppm NAME W H MAXVAL AWK-EXPR-FOR-"r g b"
ppm() {
  awk -v w="$2" -v h="$3" -v m="$4" "BEGIN {
    print \"P3\"; print w, h; print m
    for (y = 0; y < h; y++) for (x = 0; x < w; x++) print $5
  }" > "$TMP/$1"
}

# pgm NAME W H MAXVAL AWK-EXPR-FOR-VALUE
pgm() {
  awk -v w="$2" -v h="$3" -v m="$4" "BEGIN {
    print \"P2\"; print w, h; print m
    for (y = 0; y < h; y++) for (x = 0; x < w; x++) print $5
  }" > "$TMP/$1"
}

RGB='(40*x+7*y)%256, (3*x+45*y)%256, (9*x*y+60)%256'
ALPHA='1+(17*x+29*y)%255'
GREY8='(19*x+23*y)%256'
RGB16='(4099*x+1237*y)%65536, (751*x+9001*y+300)%65536, (517*x*y+12345)%65536'
ALPHA16='1+(2311*x+3203*y+1000)%65535'
PAL_RGB='6*((3*x+5*y)%40), 255-6*((3*x+5*y)%40), (37*((3*x+5*y)%40))%256'
PAL_ALPHA='((3*x+5*y)%40)%9==0 ? 0 : 255'
PAL4_RGB='23*((x+2*y)%11), 255-23*((x+2*y)%11), (90+50*((x+2*y)%11))%256'

# with_alpha OUT COLOUR ALPHA: copies the grey ALPHA image into COLOUR's alpha.
with_alpha() {
  $IM "$TMP/$2" "$TMP/$3" -alpha off -compose CopyOpacity -composite "$TMP/$1"
}

ppm rgb13.ppm 13 11 255 "$RGB"
pgm alpha13.pgm 13 11 255 "$ALPHA"
pgm grey13.pgm 13 11 255 "$GREY8"
with_alpha rgba13.miff rgb13.ppm alpha13.pgm
with_alpha greyalpha13.miff grey13.pgm alpha13.pgm

ppm rgb3x2.ppm 3 2 255 "$RGB"
pgm alpha3x2.pgm 3 2 255 "$ALPHA"
with_alpha rgba3x2.miff rgb3x2.ppm alpha3x2.pgm

ppm rgb16.ppm 7 5 65535 "$RGB16"
pgm alpha16.pgm 7 5 65535 "$ALPHA16"
with_alpha rgba16.miff rgb16.ppm alpha16.pgm

pgm grey1.pgm 13 11 1 '(x+3*y)%2'
pgm grey2.pgm 7 5 3 '(x+3*y)%4'
pgm grey4.pgm 13 11 15 '(x+3*y)%16'

ppm pal13.ppm 13 11 255 "$PAL_RGB"
pgm palalpha13.pgm 13 11 255 "$PAL_ALPHA"
with_alpha pal13.miff pal13.ppm palalpha13.pgm
ppm pal4.ppm 7 5 255 "$PAL4_RGB"

for interlace in none png; do
  suffix=$([ $interlace = png ] && echo _interlaced || true)
  opts="$NODATE -interlace $interlace"
  $IM "$TMP/rgb13.ppm" $opts -depth 8 PNG24:rgb8$suffix.png
  $IM "$TMP/rgba13.miff" $opts -depth 8 PNG32:rgba8$suffix.png
  $IM "$TMP/rgba3x2.miff" $opts -depth 8 PNG32:rgba8_3x2$suffix.png
  $IM "$TMP/pal13.miff" $opts PNG8:palette8$suffix.png
  $IM "$TMP/grey1.pgm" $opts -define png:color-type=0 -define png:bit-depth=1 grey1$suffix.png
  $IM "$TMP/rgba16.miff" $opts -depth 16 PNG64:rgba16$suffix.png
done
$IM "$TMP/rgb16.ppm" $NODATE -depth 16 PNG48:rgb16.png
$IM "$TMP/grey13.pgm" $NODATE -define png:color-type=0 -define png:bit-depth=8 grey8.png
$IM "$TMP/greyalpha13.miff" $NODATE -define png:color-type=4 -define png:bit-depth=8 greyalpha8.png
$IM "$TMP/grey2.pgm" $NODATE -define png:color-type=0 -define png:bit-depth=2 grey2.png
$IM "$TMP/grey4.pgm" $NODATE -define png:color-type=0 -define png:bit-depth=4 grey4.png
$IM "$TMP/pal4.ppm" $NODATE -define png:bit-depth=4 PNG8:palette4.png
