#!/usr/bin/env bash
# Renders every picture kmcdoc draws of the example documents and converts each SVG to PNG with
# rsvg-convert, so that a picture a real renderer refuses fails the suite.
#   render_examples.sh KMCDOC EXAMPLES_DIR WORK_DIR
# Exits 77 (skipped) when rsvg-convert is not installed.
set -euo pipefail
kmcdoc=$1 examples=$2 work=$3
command -v rsvg-convert >/dev/null || { echo "rsvg-convert not installed"; exit 77; }
rm -rf "$work" && mkdir -p "$work"

for document in square_lattice hexagonal_lattice; do
    "$kmcdoc" render "$examples/$document.xml" -o "$work/$document.svg" >/dev/null
    "$kmcdoc" render "$examples/$document.xml" -o "$work/$document-process.svg" --process all >/dev/null
done
for k in 1 2 3 4; do
    "$kmcdoc" render "$examples/square_configurations.xml" -o "$work/configuration-$k.svg" --configuration "$k" >/dev/null
done

count=0
for svg in "$work"/*.svg; do
    rsvg-convert --format png --output "${svg%.svg}.png" "$svg"
    [ -s "${svg%.svg}.png" ] || { echo "empty PNG for $svg"; exit 1; }
    count=$((count + 1))
done
echo "$count pictures rendered to PNG"
