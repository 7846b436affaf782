#!/usr/bin/env bash
# Draws Tellwick's icon, res/tellwick.ico, at 16, 32, 48 and 256 pixels from simple shapes:
# a teal tile with a white "T" whose stem carries an orange slider knob (the tool tunes a setting).
# The .ico is committed, so a build needs no ImageMagick; run this only to change the icon.
set -euo pipefail
cd "$(dirname "$0")/.."

# ImageMagick 6 (Debian) or 7.
im=$(command -v magick || command -v convert-im6.q16 || command -v convert)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every size is drawn from the same 256-unit design, scaled, so small sizes stay sharp-edged.
frames=()
for size in 16 32 48 256; do
    scale=$(awk -v s="$size" 'BEGIN { printf "%.6f", s / 256 }')
    "$im" -size "${size}x${size}" xc:none \
        -draw "scale $scale,$scale
               fill '#0B5C66' roundrectangle 0,0 255.9,255.9 44,44
               fill '#138A86' roundrectangle 0,0 255.9,236 44,44
               fill white roundrectangle 40,36 215,84 12,12
               fill white roundrectangle 104,36 152,224 12,12
               fill '#F39C12' circle 128,156 128,122
               fill white circle 128,156 128,142" \
        -depth 8 \
        "$work/icon-$size.png"
    frames+=("$work/icon-$size.png")
done
"$im" "${frames[@]}" res/tellwick.ico
echo "make-icon: wrote res/tellwick.ico"
