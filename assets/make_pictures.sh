#!/usr/bin/env bash
# Draws the program's pictures with ImageMagick. The results are committed, so a build
# does not need ImageMagick; run this again only to change the pictures.
#   devil.gif  the motivating picture: 16 frames of 64 x 64, a red devil that blinks
#   cards.gif  the about box animation: a word card that turns over, 93 x 110
#   merko.png  the program icon, 64 x 64
#   icons/     the desktop icons at 48, 64, 128 and 256 px from icons/merko.svg
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- the devil: frame 1 holds 2.5 s with open eyes, frames 2-9 close them, 10-16 open them
lids=(0 1 2 3 4 5 6 7 8 7 6 5 4 3 2 1)
for i in "${!lids[@]}"; do
    lid=${lids[$i]}
    convert -size 64x64 xc:'rgb(192,192,192)' \
        -stroke 'rgb(90,0,0)' -strokewidth 1 -fill 'rgb(150,0,0)' \
        -draw "polygon 21,12 15,1 27,8" -draw "polygon 43,12 49,1 37,8" \
        -stroke none -fill 'rgb(150,0,0)' \
        -draw "path 'M 27,44 Q 10,50 8,40 Q 7,33 12,34'" \
        -stroke 'rgb(150,0,0)' -strokewidth 2 -fill none \
        -draw "path 'M 26,45 Q 12,52 9,41'" \
        -stroke none -fill 'rgb(150,0,0)' -draw "polygon 6,36 12,31 13,38" \
        -stroke 'rgb(90,0,0)' -strokewidth 1 -fill 'rgb(220,20,20)' \
        -draw "ellipse 32,41 9,11 0,360" \
        -draw "circle 32,19 32,8" \
        -stroke 'rgb(220,20,20)' -strokewidth 3 \
        -draw "line 27,51 25,58" -draw "line 37,51 39,58" \
        -draw "line 39,36 51,30" -draw "line 25,36 18,42" \
        -stroke 'rgb(60,40,20)' -strokewidth 2 -draw "line 53,14 53,60" \
        -stroke 'rgb(120,120,130)' -strokewidth 2 \
        -draw "line 47,14 59,14" -draw "line 47,14 47,6" -draw "line 53,14 53,4" \
        -draw "line 59,14 59,6" \
        -stroke 'rgb(20,20,120)' -strokewidth 1 -fill white \
        -draw "ellipse 23,59 6,3 0,360" -draw "ellipse 41,59 6,3 0,360" \
        -stroke none -fill 'rgb(30,60,200)' \
        -draw "rectangle 18,60 28,62" -draw "rectangle 36,60 46,62" \
        -stroke black -strokewidth 1 -fill white \
        -draw "ellipse 27,17 3,4 0,360" -draw "ellipse 37,17 3,4 0,360" \
        -stroke none -fill black \
        -draw "circle 28,18 28,16.5" -draw "circle 36,18 36,16.5" \
        -stroke none -fill 'rgb(220,20,20)' \
        -draw "rectangle 23,12 41,$((12 + lid))" \
        -stroke 'rgb(90,0,0)' -strokewidth 1 -fill none \
        -draw "line 23,$((12 + lid)) 31,$((12 + lid))" \
        -draw "line 33,$((12 + lid)) 41,$((12 + lid))" \
        -stroke black -strokewidth 1.5 -fill none \
        -draw "path 'M 25,23 Q 32,30 39,23'" \
        -stroke white -strokewidth 1 -draw "line 29,25 29,27" -draw "line 35,25 35,27" \
        "$work/devil$(printf %02d "$i").png"
done
convert -loop 0 -delay 250 "$work/devil00.png" -delay 5 $(ls "$work"/devil*.png | tail -n +2) \
    -layers Optimize devil.gif

# --- the about box: a word card that turns over and back
widths=(80 80 70 50 24 4 24 50 70 80 80 70 50 24 4 24 50 70)
faces=(slovo slovo slovo slovo slovo slovo Wort Wort Wort Wort Wort Wort Wort Wort Wort slovo slovo slovo)
for i in "${!widths[@]}"; do
    w=${widths[$i]}
    left=$(( (93 - w) / 2 ))
    face=${faces[$i]}
    colour='rgb(255,255,128)'
    [ "$face" = Wort ] && colour='rgb(128,255,255)'
    convert -size 80x60 xc:"$colour" -stroke black -fill none -draw "rectangle 0,0 79,59" \
        -font DejaVu-Sans-Bold -pointsize 18 -fill 'rgb(200,0,0)' -stroke none \
        -gravity center -annotate +0+0 "$face" "$work/face.png"
    convert "$work/face.png" -resize "${w}x60!" "$work/scaled.png"
    convert -size 93x110 xc:'rgb(192,192,192)' \
        "$work/scaled.png" -geometry "+${left}+16" -composite \
        -font DejaVu-Sans -pointsize 11 -fill black -gravity south -annotate +0+8 "Merko" \
        "$work/card$(printf %02d "$i").png"
done
delays=(150 10 8 6 5 5 6 8 10 150 10 8 6 5 5 6 8 10)
args=()
for i in "${!delays[@]}"; do
    args+=(-delay "${delays[$i]}" "$work/card$(printf %02d "$i").png")
done
convert -loop 0 "${args[@]}" -layers Optimize cards.gif

# --- the icon: a word card with the program's initial and a small horn
convert -size 64x64 xc:none \
    -stroke black -strokewidth 2 -fill 'rgb(255,255,128)' -draw "roundrectangle 4,10 59,57 6,6" \
    -stroke none -fill 'rgb(220,20,20)' -draw "polygon 10,12 6,2 18,10" -draw "polygon 53,12 57,2 45,10" \
    -font DejaVu-Sans-Bold -pointsize 30 -fill 'rgb(200,0,0)' -gravity center -annotate +0+5 "M" \
    -depth 8 PNG32:merko.png

# --- the desktop icons: icons/merko.svg (drawn by hand) rendered at the hicolor sizes
# (rsvg-convert, Debian librsvg2-bin)
for size in 48 64 128 256; do
    mkdir -p "icons/${size}x${size}"
    rsvg-convert -w "$size" -h "$size" icons/merko.svg -o "icons/${size}x${size}/merko.png"
done
