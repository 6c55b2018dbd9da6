#!/usr/bin/env bash
# Regenerates Dorvane's artwork into src/app/art/.
#
# Needs: ImageMagick 6 or 7 ("convert" or "magick"), python3, and ideally the
# fonts-wine package (Tahoma-compatible faces).  DejaVu / Liberation are used
# if fonts-wine is missing, otherwise ImageMagick's built-in default.
#
# Pictures are drawn into uncompressed 24-bit BMPs (BMP3), the masters that the
# tests compare with; the program's resources hold each as a 24-bit PNG without
# metadata, made from its BMP.  Icons and the cursor come from
# tools/artwork_icons.py.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
out="$root/src/app/art"
mkdir -p "$out"

if command -v magick >/dev/null 2>&1; then
    IM=(magick)
elif command -v convert >/dev/null 2>&1; then
    IM=(convert)
else
    echo "make_artwork: ImageMagick not found" >&2
    exit 1
fi
command -v python3 >/dev/null 2>&1 || { echo "make_artwork: python3 not found" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# --------------------------------------------------------------------------
# Fonts: first file that exists wins; empty means ImageMagick's default.
pick_font() {
    local f
    for f in "$@"; do
        if [[ -f $f ]]; then
            printf '%s' "$f"
            return
        fi
    done
}
# Body text uses the Tahoma-compatible face to match the program's dialogs;
# headings want a properly heavy bold, which DejaVu (pulled in by fontconfig
# on Debian) provides.
FONT_REG="$(pick_font \
    /usr/share/wine/fonts/tahoma.ttf \
    /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf \
    /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf \
    /usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf \
    /usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf)"
FONT_BOLD="$(pick_font \
    /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf \
    /usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf \
    /usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf \
    /usr/share/fonts/opentype/urw-base35/NimbusSans-Bold.otf \
    /usr/share/wine/fonts/tahomabd.ttf \
    "$FONT_REG")"
if [[ -n $FONT_REG ]]; then R=(-font "$FONT_REG"); else R=(+font); fi
if [[ -n $FONT_BOLD ]]; then B=(-font "$FONT_BOLD"); else B=(+font); fi

# Writes an opaque 24-bit uncompressed BMP.
to_bmp() {  # src dst
    "${IM[@]}" "$1" -background black -alpha remove -alpha off \
        -type TrueColor -compress None "BMP3:$2"
}

# Shared palette
NAVY_DEEP='#0a1f55'
NAVY_LIGHT='#2a6fd0'
RIM='#0a1a40'
RETICLE='#7fc4ff'
INK_ACCENT='#8cc8ff'

# --------------------------------------------------------------------------
# Emblem: rounded blue tile carrying a reticle and a console prompt.
# Drawn once at 256 px with alpha and scaled for each use.
"${IM[@]}" -size 244x244 gradient:"$NAVY_LIGHT"-"$NAVY_DEEP" \
    -fill 'rgba(255,255,255,0.10)' -stroke none -draw 'ellipse 122,0 190,118 0,360' \
    "$work/tile.png"
"${IM[@]}" -size 244x244 xc:black -fill white -draw 'roundrectangle 0,0 243,243 42,42' \
    "$work/tilemask.png"
"${IM[@]}" "$work/tile.png" "$work/tilemask.png" -alpha off -compose CopyOpacity -composite \
    "$work/tile_rgba.png"
"${IM[@]}" -size 256x256 xc:none "$work/tile_rgba.png" -geometry +6+6 -compose Over -composite \
    -fill none -stroke "$RIM" -strokewidth 4 -draw 'roundrectangle 6,6 249,249 44,44' \
    -stroke "$RETICLE" -strokewidth 10 -draw 'circle 128,128 128,50' \
    -draw 'line 128,24 128,80' -draw 'line 128,176 128,232' \
    -draw 'line 24,128 80,128' -draw 'line 176,128 232,128' \
    -stroke white -strokewidth 16 \
    -draw 'stroke-linecap round stroke-linejoin round polyline 96,100 124,128 96,156' \
    -draw 'stroke-linecap round line 138,158 166,158' \
    "$work/emblem256.png"

emblem() {  # size dst.png
    "${IM[@]}" "$work/emblem256.png" -filter Lanczos -resize "$1x$1" "$2"
}

# Faint reticle used as a watermark behind text on the dark screens.
watermark() {  # size dst.png [opacity]
    local s=$1 a=${3:-0.07} c h r t
    c=$((s / 2)); r=$((s * 36 / 100)); t=$((s / 60 + 1))
    h=$((s * 6 / 100))
    "${IM[@]}" -size "${s}x${s}" xc:none -fill none -stroke "rgba(140,200,255,$a)" \
        -strokewidth "$t" -draw "circle $c,$c $c,$((c - r))" \
        -draw "circle $c,$c $c,$((c - r * 6 / 10))" \
        -draw "line $c,$h $c,$((c - r * 3 / 10))" -draw "line $c,$((s - h)) $c,$((c + r * 3 / 10))" \
        -draw "line $h,$c $((c - r * 3 / 10)),$c" -draw "line $((s - h)),$c $((c + r * 3 / 10)),$c" \
        "$2"
}

# --------------------------------------------------------------------------
# title_strip.bmp  1251 x 20
# Only picture x 392..1250 is ever on screen (window x = picture x - 392).
# Minimise button face: picture x 1153..1168, y 2..15 (window x 761..776)
# Close button face:    picture x 1232..1247, y 2..15 (window x 840..855)
caption_button() {  # x0 -> MVG for a 16x14 raised button at picture x0, y 2
    local x=$1 y=2 r
    r=$((x + 15))
    printf '%s ' \
        "fill #c0c0c0 rectangle $x,$y $r,$((y + 13))" \
        "fill #ffffff rectangle $x,$y $((r - 1)),$y rectangle $x,$y $x,$((y + 12))" \
        "fill #000000 rectangle $x,$((y + 13)) $r,$((y + 13)) rectangle $r,$y $r,$((y + 13))" \
        "fill #dfdfdf rectangle $((x + 1)),$((y + 1)) $((r - 2)),$((y + 1)) rectangle $((x + 1)),$((y + 1)) $((x + 1)),$((y + 11))" \
        "fill #808080 rectangle $((x + 1)),$((y + 12)) $((r - 1)),$((y + 12)) rectangle $((r - 1)),$((y + 1)) $((r - 1)),$((y + 12))"
}
min_glyph() {  # x0
    local x=$1
    printf 'fill #000000 rectangle %d,11 %d,12 ' $((x + 4)) $((x + 9))
}
close_glyph() {  # x0: 8x7 two-pixel X
    local x=$1 i
    printf 'fill #000000 '
    for i in 0 1 2 3 4 5 6; do
        printf 'rectangle %d,%d %d,%d ' $((x + 4 + i)) $((5 + i)) $((x + 5 + i)) $((5 + i))
        printf 'rectangle %d,%d %d,%d ' $((x + 10 - i)) $((5 + i)) $((x + 11 - i)) $((5 + i))
    done
}
"${IM[@]}" -size 20x859 gradient:'#0a246a'-'#7ea8e0' -rotate -90 \
    -background '#0a246a' -gravity East -extent 1251x20 +gravity \
    -fill 'rgba(255,255,255,0.06)' -draw 'rectangle 0,0 1250,0' \
    -fill 'rgba(0,0,0,0.12)' -draw 'rectangle 0,19 1250,19' \
    +antialias -stroke none \
    -draw "$(caption_button 1153) $(min_glyph 1153)" \
    -draw "$(caption_button 1232) $(close_glyph 1232)" \
    "$work/title.png"
to_bmp "$work/title.png" "$out/title_strip.bmp"

# --------------------------------------------------------------------------
# globe.bmp  32 x 32 on RGB(224,224,224): globe under a magnifying glass.
"${IM[@]}" -size 150x150 radial-gradient:'#bfe6ff'-'#0f4ea6' \
    -crop 92x92+38+38 +repage "$work/globe_fill.png"
"${IM[@]}" -size 92x92 xc:none \
    -fill '#4fa64a' -stroke none \
    -draw 'polygon 14,20 30,12 44,16 40,28 30,32 34,44 28,58 20,52 16,38 8,34' \
    -draw 'polygon 52,10 66,8 78,18 72,26 60,22 54,30 48,22' \
    -draw 'polygon 56,40 72,38 84,50 80,66 68,76 60,64 62,52' \
    -draw 'polygon 30,66 42,70 40,82 30,80' \
    "$work/globe_land.png"
"${IM[@]}" -size 92x92 xc:black -fill white -draw 'circle 46,46 46,1' "$work/globe_mask.png"
"${IM[@]}" "$work/globe_fill.png" "$work/globe_land.png" -compose Over -composite \
    -fill none -stroke 'rgba(255,255,255,0.45)' -strokewidth 2.5 \
    -draw 'ellipse 46,46 18,45 0,360' -draw 'ellipse 46,46 36,45 0,360' \
    -draw 'line 46,0 46,92' -draw 'line 0,46 92,46' \
    -draw 'line 6,24 86,24' -draw 'line 6,68 86,68' \
    "$work/globe_mask.png" -alpha off -compose CopyOpacity -composite "$work/globe_ball.png"
"${IM[@]}" -size 128x128 xc:none \
    -fill 'rgba(0,0,0,0.18)' -draw 'circle 54,56 54,8' \
    "$work/globe_ball.png" -geometry +6+6 -compose Over -composite \
    -fill none -stroke '#0b3a7a' -strokewidth 3 -draw 'circle 52,52 52,6' \
    -stroke '#1c1c1c' -strokewidth 16 -draw 'stroke-linecap round line 104,104 120,120' \
    -stroke '#5a5a5a' -strokewidth 6 -draw 'stroke-linecap round line 106,106 118,118' \
    -stroke '#8a8a8a' -strokewidth 14 -draw 'line 98,98 105,105' \
    -fill 'rgba(230,245,255,0.40)' -stroke '#262626' -strokewidth 9 -draw 'circle 82,82 82,54' \
    -fill none -stroke '#d0d0d0' -strokewidth 2.5 -draw 'circle 82,82 82,59' \
    -stroke 'rgba(255,255,255,0.85)' -strokewidth 4 -draw 'stroke-linecap round arc 64,64 100,100 200,250' \
    "$work/globe128.png"
"${IM[@]}" "$work/globe128.png" -filter Lanczos -resize 32x32 \
    -background 'rgb(224,224,224)' -alpha remove -alpha off "$work/globe.png"
to_bmp "$work/globe.png" "$out/globe.bmp"

# --------------------------------------------------------------------------
# splash.bmp  379 x 201
# The window region keeps only the polygon (0,0) (379,0) (379,121) (300,200);
# everything sits inside a frame drawn 6 px inside that outline.
# Left free for the runtime: status text x 232..394 y 128..153,
# progress bar from x 208, y 152..169.
emblem 76 "$work/splash_emblem.png"
watermark 300 "$work/splash_wm.png"
# fade the watermark out before it reaches the status/progress area
"${IM[@]}" "$work/splash_wm.png" \
    \( "$work/splash_wm.png" -alpha extract \
       \( -size 300x140 xc:white -size 300x76 gradient:white-black -size 300x84 xc:black -append \) \
       -compose Multiply -composite \) \
    -alpha off -compose CopyOpacity -composite "$work/splash_wm_faded.png"
"${IM[@]}" -size 201x379 gradient:'#12254e'-'#050a18' -rotate -90 \
    \( -size 379x201 gradient:'rgba(40,90,180,0.35)'-'rgba(0,0,0,0)' \) -compose Over -composite \
    "$work/splash_wm_faded.png" -geometry +175-94 -compose Over -composite \
    -fill none -stroke 'rgba(127,196,255,0.55)' -strokewidth 1 \
    -draw 'polygon 20,6 373,6 373,118 299,192' \
    "$work/splash_emblem.png" -geometry +287+18 -compose Over -composite \
    -stroke none -fill white "${B[@]}" -pointsize 28 -kerning 3 -gravity NorthWest \
    -annotate +106+23 'DORVANE' \
    \( -size 2x172 gradient:'rgba(127,196,255,0)'-"$RETICLE" -rotate -90 \) \
    -geometry +104+60 -compose Over -composite \
    -fill "$INK_ACCENT" "${R[@]}" -pointsize 16 -kerning 2 -gravity NorthEast \
    -annotate +103+67 'Moravelt' \
    -fill '#8796b4' -pointsize 11 -kerning 1 -annotate +103+92 'Version 2.1.1' \
    +gravity "$work/splash.png"
to_bmp "$work/splash.png" "$out/splash.bmp"

# --------------------------------------------------------------------------
# terms.bmp  600 x 700 - backdrop of the first-run licence screen.
# Runtime overlays: title text (white) x 272..641 y 8..33; text box
# x 200..561 y 240..609 on the dark panel; sentence, check box and button
# in the light band y 615..700.
emblem 96 "$work/terms_emblem.png"
watermark 300 "$work/terms_wm.png"
"${IM[@]}" -size 600x700 xc:'#ecebe6' \
    \( -size 600x204 gradient:'#0c2257'-'#1b438f' \) -geometry +0+0 -compose Over -composite \
    \( -size 204x600 gradient:'rgba(255,255,255,0.08)'-'rgba(255,255,255,0)' -rotate -90 \) \
    -geometry +0+0 -compose Over -composite \
    \( "$work/terms_wm.png" -crop 300x204+0+48 +repage \) -geometry +380+0 -compose Over -composite \
    -fill "$RETICLE" -stroke none -draw 'rectangle 0,204 599,206' \
    -fill '#d9d7cf' -draw 'rectangle 0,207 599,208' \
    "$work/terms_emblem.png" -geometry +32+60 -compose Over -composite \
    -fill "$INK_ACCENT" "${R[@]}" -pointsize 18 -kerning 2 -gravity NorthWest \
    -annotate +148+66 'Moravelt' \
    -fill white "${B[@]}" -pointsize 24 -kerning 0 -annotate +147+92 'End User License Agreement' \
    -fill '#b8c8e6' "${R[@]}" -pointsize 14 -annotate +148+130 'Dorvane V.2.1.1' \
    -fill 'rgba(0,0,0,0.18)' -draw 'rectangle 189,229 579,624' \
    -fill '#1d2533' -stroke '#0b1120' -strokewidth 1 -draw 'rectangle 185,225 575,620' \
    -fill none -stroke '#3a4963' -draw 'rectangle 186,226 574,619' \
    -stroke none +gravity "$work/terms_base.png"
"${IM[@]}" -background none -fill '#33384a' "${B[@]}" -pointsize 13 \
    label:'Read carefully' "$work/terms_side1.png"
"${IM[@]}" -background none -fill '#4c5264' "${R[@]}" -pointsize 13 -size 140x \
    caption:"This agreement covers your use of Dorvane. Read it through to the end before you decide.\n\nBy accepting it you agree to be bound by its terms. If you do not agree, close this window and do not use the program." \
    "$work/terms_side2.png"
"${IM[@]}" "$work/terms_base.png" \
    -fill "$NAVY_LIGHT" -draw 'rectangle 24,242 27,259' \
    "$work/terms_side1.png" -geometry +34+242 -compose Over -composite \
    "$work/terms_side2.png" -geometry +34+270 -compose Over -composite \
    -fill '#8a8e98' "${R[@]}" -pointsize 11 -gravity NorthWest -annotate +34+592 'Copyright © Moravelt' \
    +gravity \
    "$work/terms.png"
to_bmp "$work/terms.png" "$out/terms.bmp"

# --------------------------------------------------------------------------
# about.bmp  792 x 365, top of a 791 x 398 black window.
# The program lays an underline (36 underscores, 13.5 pt) at x 24..241,
# y 328..353, beneath the web address drawn here.
emblem 128 "$work/about_emblem.png"
watermark 420 "$work/about_wm.png" 0.045
# Web address sized to fill the 217 px underline.
"${IM[@]}" -background none -fill "$INK_ACCENT" "${R[@]}" -size 217x \
    label:'www.moravelt.example' -trim +repage "$work/about_url.png"
url_h="$("${IM[@]}" "$work/about_url.png" -format '%h' info:)"
# Sit the glyphs on a baseline around y 344 (no descenders in the address).
url_y=$((344 - url_h))
"${IM[@]}" -background none -fill '#d8dde8' "${R[@]}" -pointsize 15 -interline-spacing 2 \
    label:"This software may not be copied, sold or passed on to others\nwithout the developer's permission." \
    "$work/about_warn.png"
"${IM[@]}" -size 365x792 gradient:'#0f1d3e'-'#000000' -rotate 90 -flop \
    \( -size 792x365 gradient:'rgba(0,0,0,0)'-'#000000' \) -compose Over -composite \
    "$work/about_wm.png" -geometry +430-60 -compose Over -composite \
    "$work/about_emblem.png" -geometry +40+40 -compose Over -composite \
    -fill white "${B[@]}" -pointsize 36 -gravity NorthWest -annotate +200+46 'Dorvane V.2.1.1' \
    -fill "$INK_ACCENT" "${R[@]}" -pointsize 18 -kerning 2 -annotate +202+100 'by Moravelt' \
    -fill '#8e9ab3' -pointsize 14 -kerning 0 -annotate +202+132 'Copyright © Moravelt. All rights reserved.' \
    \( -size 2x720 gradient:"$RETICLE"-'rgba(127,196,255,0)' -rotate -90 \) \
    -geometry +40+196 -compose Over -composite \
    -fill 'rgba(255,176,32,0.10)' -stroke 'rgba(255,176,32,0.55)' -strokewidth 1 \
    -draw 'rectangle 40,220 751,300' -stroke none \
    -fill '#ffb020' -draw 'polygon 70,240 88,272 52,272' \
    -fill '#1a1000' "${B[@]}" -pointsize 20 -annotate +66+246 '!' \
    -fill '#ffc24a' -pointsize 15 -kerning 1 -annotate +108+232 'WARNING' \
    "$work/about_warn.png" -geometry +108+254 -compose Over -composite \
    "$work/about_url.png" -geometry "+24+$url_y" -compose Over -composite \
    +gravity "$work/about.png"
to_bmp "$work/about.png" "$out/about.bmp"

# --------------------------------------------------------------------------
# The PNGs the program carries: the masters' pixels, losslessly compressed.
to_png() {  # name: art/name.bmp -> art/name.png
    "${IM[@]}" "$out/$1.bmp" -strip "PNG24:$out/$1.png"
}
for picture in title_strip globe splash terms about; do
    to_png "$picture"
done

# --------------------------------------------------------------------------
# Icons and cursor
python3 "$here/artwork_icons.py" crosshair "$out"
emblem 48 "$work/icon48.png"
emblem 32 "$work/icon32.png"
"${IM[@]}" "$work/icon48.png" -depth 8 "rgba:$work/icon48.rgba"
"${IM[@]}" "$work/icon32.png" -depth 8 "rgba:$work/icon32.rgba"
python3 "$here/artwork_icons.py" appicon "$out/dorvane.ico" \
    "48:$work/icon48.rgba" "32:$work/icon32.rgba"

echo "make_artwork: wrote $(ls "$out" | tr '\n' ' ')"
