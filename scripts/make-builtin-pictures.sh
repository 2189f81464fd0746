#!/usr/bin/env bash
# Draws the two built-in pictures (640 x 506 JPEG): a landscape with "Velmoa" lettered in red
# across its upper half (welcome), and the same landscape without lettering (sound backdrop).
# Needs ImageMagick and the IPA fonts; the results are committed under resources/.
set -euo pipefail
cd "$(dirname "$0")/../resources"
font=$(fc-match -f '%{file}' 'IPAPMincho')
convert -size 640x506 gradient:'#3d7fd1-#f7d9a8' \
  -fill '#fff3c4' -draw 'circle 500,120 540,120' \
  -fill '#5b7fa3' -draw 'polygon 0,330 90,210 170,300 260,170 380,310 470,220 560,290 640,200 640,506 0,506' \
  -fill '#f2f5f8' -draw 'polygon 228,214 260,170 292,212 276,206 262,216 246,206' \
  -fill '#3f7d3a' -draw 'polygon 0,380 120,330 260,370 400,320 520,360 640,330 640,506 0,506' \
  -fill '#2e5e2b' -draw 'polygon 0,440 160,400 330,450 480,410 640,440 640,506 0,506' \
  -fill '#6fa8dc' -draw 'polygon 250,506 300,430 340,430 420,506' \
  -attenuate 0.4 +noise Gaussian -blur 0x0.6 \
  -quality 90 sound-backdrop.jpg
convert sound-backdrop.jpg -font "$font" -pointsize 110 -fill '#e01010' -stroke '#7a0000' -strokewidth 2 \
  -gravity north -annotate +0+40 'Velmoa' -quality 90 welcome.jpg
