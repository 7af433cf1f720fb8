# Shared by scripts/run, scripts/screenshot and cmake/wine-run: where Wine is, a Wine prefix of
# their own and a first status.ini. Source it with $root set to the repository (only the
# status.ini needs it).

wine_binary() {
  command -v wine64 || { [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64; } || command -v wine
}

# The wineserver of that Wine: beside it (Debian's wine64 keeps both in /usr/lib/wine, off the
# PATH; and a wineserver of another Wine would not serve this one), else the one on the PATH.
wineserver_binary() {
  local wine
  wine=$(wine_binary) || return 1
  if [ -x "${wine%/*}/wineserver" ]; then
    echo "${wine%/*}/wineserver"
  else
    command -v wineserver
  fi
}

# Fails, naming the file, when a picture is a single colour all over (a window that was never
# drawn, or no window at all).
check_picture() {
  local colours
  colours=$(identify -format '%k' "$1") || return 1
  if [ "$colours" -le 1 ]; then
    echo "screenshot: $1 is blank" >&2
    return 1
  fi
}

# Creates the prefix $WINEPREFIX once, asking for no downloads (no Mono, no Gecko).
prepare_prefix() {
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$(wine_binary)" wineboot -i >/dev/null 2>&1 || true
    "$(wineserver_binary)" -w || true
  fi
}

# Imports registry settings given as the lines after REGEDIT4.
import_registry() {
  local file
  file=$(mktemp --suffix=.reg)
  { echo REGEDIT4; echo; cat; } >"$file"
  "$(wine_binary)" regedit "$file" >/dev/null 2>&1
  "$(wineserver_binary)" -w || true
  rm -f "$file"
}

# The Windows path of a file under Wine's Z: drive.
windows_path() {
  printf 'Z:%s' "$(realpath -s "$1")" | tr / '\\'
}

# A status.ini beside the program whose tool paths are the cached Windows ffmpeg.exe and the
# aacgain.exe built by scripts/setup, unless one is there already (the user's own settings are
# never replaced). UTF-16LE with its byte-order mark, the encoding the program keeps the file in,
# so that its Japanese keys stay intact.
write_first_status_ini() {
  local program_dir=$1 ffmpeg=$root/.cache/ffmpeg-win32/ffmpeg.exe aacgain=$root/.cache/aacgain/windows/aacgain.exe
  [ -f "$program_dir/status.ini" ] && return 0
  [ -f "$ffmpeg" ] || return 0
  {
    printf '\xff\xfe'
    {
      printf '[setting]\r\nFFmpeg Path=%s\r\n' "$(windows_path "$ffmpeg")"
      if [ -f "$aacgain" ]; then printf 'AACGain Path=%s\r\n' "$(windows_path "$aacgain")"; fi
    } | iconv -f UTF-8 -t UTF-16LE
  } >"$program_dir/status.ini"
}
