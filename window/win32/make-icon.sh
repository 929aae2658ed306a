#!/usr/bin/env bash
# Draws velnori.ico from the shapes of window/qt/velnori.svg with ImageMagick's
# own primitives (its SVG reader needs a delegate Debian does not install).
# The icon is committed; run this again after changing the SVG.
#   make-icon.sh OUTPUT.ico
set -euo pipefail
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The SVG's 64-unit box drawn at 256 pixels: every coordinate times four.
convert -size 256x256 xc:none \
  -fill '#2f5d8a' -draw 'roundrectangle 16,32 239,95 12,12' \
  -fill '#ffffff' -draw 'roundrectangle 36,56 155,71 8,8' \
  -fill '#c9d6e3' -draw 'rectangle 16,96 239,111' \
  -fill none -stroke '#2f5d8a' -strokewidth 16 \
  -draw 'line 128,112 128,160' -draw 'line 128,160 72,216' -draw 'line 128,160 184,216' \
  -stroke none -fill '#2f5d8a' -draw 'circle 128,160 128,168' \
  -fill '#e0a030' -draw 'circle 72,216 72,236' -draw 'circle 184,216 184,236' \
  "$work/icon.png"
convert "$work/icon.png" -depth 8 -define icon:auto-resize=256,64,48,32,24,16 "$out"
