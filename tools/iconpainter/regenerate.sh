#!/bin/sh
# Rebuilds the generator out of tree and repaints every picture in src/resources.
# Usage: tools/iconpainter/regenerate.sh [contact-sheet.png]
set -e
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${ICONPAINTER_BUILD:-/tmp/iconpainter-build}
sheet=${1:-/tmp/contact-sheet.png}

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j >/dev/null
QT_QPA_PLATFORM=offscreen "$build/iconpainter" "$root/src/resources" --sheet "$sheet"
