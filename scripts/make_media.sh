#!/bin/sh
# Draws the editor's own images into media/: the About logo, the two
# default sky textures and the snap button. Run once by hand (needs ImageMagick and the
# Ghostscript fonts); the results are committed, so the build does not need it.
# The other media files come from Debian packages at build time
# (cmake/RuntimeData.cmake).
set -eu
cd "$(dirname "$0")/../media"
IM=convert
# Prefer the real ImageMagick binary when convert is a wrapper.
[ -x /usr/bin/convert-im6.q16 ] && IM=/usr/bin/convert-im6.q16

# About logo: a shaded cube on a rounded blue tile, with the name under it.
$IM -size 128x128 xc:none \
  -fill '#1d3f6e' -draw 'roundrectangle 4,4 123,123 18,18' \
  \( -size 120x120 gradient:'#3f7fc8'-'#12294a' \) -geometry +4+4 \
  -compose src-atop -composite -compose over \
  -stroke '#0b1a30' -strokewidth 2 -fill none -draw 'roundrectangle 4,4 123,123 18,18' \
  -stroke '#ffffff' -strokewidth 1.5 \
  -fill '#f2c14e' -draw 'polygon 64,18 100,36 64,54 28,36' \
  -fill '#d9822b' -draw 'polygon 28,36 64,54 64,96 28,78' \
  -fill '#a64b1f' -draw 'polygon 64,54 100,36 100,78 64,96' \
  -stroke none -fill '#ffffff' -font Helvetica-Bold -pointsize 20 \
  -gravity south -annotate +0+6 'SORN' \
  -depth 8 PNG32:sorn.png

# Sky box texture: the same image goes on all six faces, so it is an even
# blue with soft clouds that tile in both directions, without a gradient.
$IM -size 256x256 xc:'#7fb2e3' \
  \( -size 256x256 xc:white \) \
  \( -size 16x16 xc: -seed 7 +noise Random -channel G -separate +channel \
     -virtual-pixel tile -filter gaussian -resize 256x256 -blur 0x8 \
     -auto-level -level 50%,100% +level 0,80% \) \
  -composite -strip -quality 85 default_skybox.jpg

# Sky dome texture: deep blue at the zenith (top) fading to a pale horizon
# (bottom), clouds tiling left to right as the dome wraps around.
$IM -size 512x256 gradient:'#2a64ad'-'#cfe3f5' \
  \( -size 512x256 xc:white \) \
  \( -size 32x16 xc: -seed 11 +noise Random -channel G -separate +channel \
     -virtual-pixel tile -filter gaussian -resize 512x256 -blur 0x7 \
     -auto-level -level 55%,100% +level 0,80% \) \
  -composite -strip -quality 85 default_skydome.jpg

# Toolbar snap button: a horseshoe magnet (red, with pale tips) over two
# grid lines, 16 x 16 on a transparent ground.
$IM -size 16x16 xc:none \
  -stroke '#9aa4b0' -strokewidth 1 \
  -draw 'line 0,13 15,13' -draw 'line 0,15 15,15' -draw 'line 4,13 4,15' -draw 'line 11,13 11,15' \
  -stroke '#c62828' -strokewidth 3 -fill none -draw 'arc 2,1 13,12 180,360' \
  -draw 'line 3,6 3,8' -draw 'line 12,6 12,8' \
  -stroke '#e8e8e8' -draw 'line 3,9 3,11' -draw 'line 12,9 12,11' \
  -depth 8 PNG32:snap.png
