#!/usr/bin/env bash
# The release zip as a user meets it: unzipped into a fresh Wine prefix under a folder with
# Japanese and a blank in its name, ffmpeg.exe put beside the program, started with no
# status.ini. Through its windows: both tool paths found, a split at every keyframe of a clip
# and a volume run on an MP3 succeed; after closing, the folder holds only what it held before
# plus status.ini. Run from scripts/test, with a display: tests/scripts/release_zip_test.sh <zip>
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/lib/wine.sh"
zip=$(realpath "$1")
export LC_ALL=C.UTF-8
work=$(mktemp -d)
export WINEPREFIX=$work/prefix
wine=$(wine_binary)
wineserver=$(wineserver_binary)
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "release zip: $*" >&2; exit 1; }

version=$(sed -n 's/^project(Clipwright VERSION \([0-9][0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
[ "${zip##*/}" = "Clipwright-$version-win64.zip" ] || fail "named ${zip##*/}, not for version $version"
prepare_prefix
unpacked="$WINEPREFIX/drive_c/ツール 箱"
mkdir -p "$unpacked"
bsdtar -xf "$zip" -C "$unpacked"
folder=$unpacked/Clipwright-$version

# What is inside: the programs, the texts, AACGain's licences and source; nothing of a run.
expected="LICENSE.txt
THIRD-PARTY.txt
aacgain.exe
clipwright.exe
licences/COPYING.aacgain
licences/COPYING.faad2
licences/COPYING.mp3gain
licences/COPYING.mp4v2
licences/mingw-w64.txt
source/README.md
source/aacgain-2.0.0.tar.xz
source/build-aacgain.sh
source/build.patch
はじめにお読みください.txt"
[ "$(ls "$unpacked")" = "Clipwright-$version" ] || fail "the zip holds more than its one folder: $(ls "$unpacked")"
actual=$(cd "$folder" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" = "$(LC_ALL=C sort <<<"$expected")" ] || fail "files differ from the list:
$(diff <(LC_ALL=C sort <<<"$expected") <(echo "$actual"))"
readme="$folder/はじめにお読みください.txt"
[ "$(head -c3 "$readme" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "the read-me has no UTF-8 byte-order mark"
cmp -s "$folder/source/aacgain-2.0.0.tar.xz" "$root/third_party/aacgain/aacgain-2.0.0.tar.xz" || fail "the AACGain source is not the unchanged archive"
# One version everywhere: the read-me, the version record, the manifest and the zip's name.
resources=$(x86_64-w64-mingw32-windres "$folder/clipwright.exe" -O rc 2>/dev/null)
grep -q "Clipwright $version" "$readme" && grep -q "\"ProductVersion\", \"$version\"" <<<"$resources" &&
  grep -q "name=\"\"Clipwright\"\" version=\"\"$version.0.0\"\"" <<<"$resources" || fail "a part is not of version $version"

cp "$root/.cache/ffmpeg-win32/ffmpeg.exe" "$folder/"
before=$(cd "$folder" && find . | LC_ALL=C sort)

media=$WINEPREFIX/drive_c/素材
mkdir -p "$media"
ffmpeg -hide_banner -loglevel error -nostdin -f lavfi -i testsrc=size=320x240:rate=25:duration=2 \
  -f lavfi -i sine=frequency=440:duration=2 -c:v libx264 -preset ultrafast -g 25 -c:a aac -shortest "$media/clip.mp4"
ffmpeg -hide_banner -loglevel error -nostdin -f lavfi -i sine=frequency=330:duration=3 -c:a libmp3lame -b:a 128k "$media/tone.mp3"

windows_folder="C:\\ツール 箱\\Clipwright-$version"
log=$work/user.log
"$wine" "$root/build/windows/tests/release_user.exe" "$windows_folder\\clipwright.exe" 'C:\素材\clip.mp4' 'C:\素材\tone.mp3' \
  >"$log" 2>"$work/wine.log" || true
"$wineserver" -w || true
expected_log="title: Clipwright $version
ffmpeg: $windows_folder\\ffmpeg.exe
aacgain: $windows_folder\\aacgain.exe
split: 作成結果 / 成功： 2 ファイル / 失敗： 0 ファイル
volume: 作成結果 / 成功： 1 ファイル / 失敗： 0 ファイル
exit: 0"
[ "$(tr -d '\r' <"$log")" = "$expected_log" ] || fail "the run went otherwise:
$(diff <(echo "$expected_log") <(tr -d '\r' <"$log"))"

after=$(cd "$folder" && find . | LC_ALL=C sort)
[ "$after" = "$(LC_ALL=C sort <<<"$before
./status.ini")" ] || fail "the program's folder changed otherwise than by status.ini:
$(diff <(echo "$before") <(echo "$after"))"

# The outputs by what they hold: two pieces that decode and start on a keyframe, and a louder
# copy of the MP3 that decodes; the sources as they were.
mapfile -t pieces < <(cd "$media" && ls | grep -v -x -e clip.mp4 -e tone.mp3 -e tone_1.mp3)
[ ${#pieces[@]} -eq 2 ] || fail "pieces: ${pieces[*]}"
for piece in "${pieces[@]}"; do
  ffmpeg -v error -xerror -nostdin -i "$media/$piece" -f null - || fail "$piece does not decode"
  flags=$(ffprobe -v error -select_streams v:0 -show_entries packet=flags -of csv=p=0 -read_intervals '%+#1' "$media/$piece")
  [ "${flags:0:1}" = K ] || fail "$piece starts with no keyframe ($flags)"
done
ffmpeg -v error -xerror -nostdin -i "$media/tone_1.mp3" -f null - || fail "tone_1.mp3 does not decode"
! cmp -s "$media/tone.mp3" "$media/tone_1.mp3" || fail "tone_1.mp3 is the unchanged MP3"
echo "release zip: ${zip##*/} ($(stat -c %s "$zip") bytes) unzipped, started and used under Wine"
