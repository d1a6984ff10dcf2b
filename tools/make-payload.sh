#!/bin/sh
# Rebuilds the payload generator natively and regenerates the warlord's record,
# his face images and the program icon in resources/, byte for byte.
# Usage: tools/make-payload.sh [PREVIEW_DIR]   (PNG previews when a folder is given)
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

g++ -std=c++17 -O2 -Wall -Wextra -Werror "$repo"/tools/payload/*.cpp -o "$work/payload_generator"
if [ $# -ge 1 ]; then
    "$work/payload_generator" "$repo/resources" --preview "$1"
else
    "$work/payload_generator" "$repo/resources"
fi
echo "regenerated resources/payload/*.bin and resources/icon/app.ico"
