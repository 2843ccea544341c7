#!/usr/bin/env bash
# Draws the program icon (a network card on a blue tile) with ImageMagick and writes vexav6.ico
# with the sizes Windows asks for. Run it again after changing the drawing; the .ico is checked in.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 256x256 xc:none \
    -fill '#1f5fa8' -draw 'roundrectangle 8,8 248,248 44,44' \
    -fill '#2f7fd0' -draw 'roundrectangle 8,8 248,160 44,44' \
    -fill '#1f5fa8' -draw 'rectangle 8,120 248,160' \
    -fill '#f4f6f8' -draw 'roundrectangle 40,64 216,168 10,10' \
    -fill '#2e7d32' -draw 'rectangle 60,84 118,148' \
    -fill '#c9d3dc' -draw 'rectangle 136,84 196,100' \
    -fill '#c9d3dc' -draw 'rectangle 136,112 196,128' \
    -fill '#e0a800' -draw 'rectangle 52,168 204,196' \
    -fill '#1f5fa8' -draw 'rectangle 72,168 80,196' -draw 'rectangle 100,168 108,196' \
    -draw 'rectangle 128,168 136,196' -draw 'rectangle 156,168 164,196' \
    -draw 'rectangle 184,168 192,196' \
    "$tmp/icon-256.png"
for size in 16 20 24 32 40 48 64; do
    convert "$tmp/icon-256.png" -resize ${size}x${size} "$tmp/icon-$size.png"
done
convert "$tmp"/icon-16.png "$tmp"/icon-20.png "$tmp"/icon-24.png "$tmp"/icon-32.png \
    "$tmp"/icon-40.png "$tmp"/icon-48.png "$tmp"/icon-64.png "$tmp"/icon-256.png -depth 8 vexav6.ico
cp "$tmp/icon-256.png" /tmp/vexav6-icon-preview.png
