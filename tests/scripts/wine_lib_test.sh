#!/usr/bin/env bash
# scripts/lib/wine.sh: the wineserver beside wine64 is the one taken (Debian keeps both off the
# PATH; one of another Wine elsewhere on the PATH would not do), and a picture of one colour all
# over is refused.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/lib/wine.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

mkdir "$work/wine" "$work/other"
for program in wine/wine64 wine/wineserver other/wineserver; do
  printf '#!/bin/sh\n' >"$work/$program"
  chmod +x "$work/$program"
done
found=$(PATH=$work/other:$work/wine wineserver_binary || true)
[ "$found" = "$work/wine/wineserver" ] || fail "wineserver beside wine64: got '$found'"

convert -size 64x48 xc:black "$work/black.png"
convert -size 64x48 xc:white -fill black -draw 'rectangle 8,8 40,30' "$work/drawn.png"
if check_picture "$work/black.png" 2>/dev/null; then fail "a black picture passed"; fi
check_picture "$work/drawn.png" || fail "a drawn picture was refused"

[ "$failures" -eq 0 ] && echo "wine_lib_test: passed"
exit "$failures"
