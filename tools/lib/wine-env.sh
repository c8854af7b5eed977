# A throwaway Wine world: its own HOME (Wine maps Documents to $HOME), WINEPREFIX, Xvfb display
# and a persistent wineserver. Source it, call wine_env_start, and wine_env_stop when done
# (wine_env_start installs an EXIT trap that does so).
#
# VELMORA_WINEPREFIX=<existing prefix> uses that prefix instead of a new one (and keeps HOME).

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver

wine_env_start() {
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
  VELMORA_WINE_TMP=$(mktemp -d /tmp/velmora-wine.XXXXXX)
  if [ -n "${VELMORA_WINEPREFIX:-}" ]; then
    export WINEPREFIX=$VELMORA_WINEPREFIX
    VELMORA_OWN_PREFIX=0
  else
    export HOME=$VELMORA_WINE_TMP/home
    export WINEPREFIX=$VELMORA_WINE_TMP/prefix
    mkdir -p "$HOME"
    VELMORA_OWN_PREFIX=1
  fi
  trap wine_env_stop EXIT
  if [ -z "${DISPLAY:-}" ] || [ "${VELMORA_XVFB:-0}" = 1 ]; then
    local fd_file=$VELMORA_WINE_TMP/display
    Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
    VELMORA_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do [ -s "$fd_file" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n1 "$fd_file")"
  fi
  # Someone else's prefix is left as it is: no persistent server, no wineboot, no settings.
  if [ "$VELMORA_OWN_PREFIX" = 1 ]; then
    wine_env_boot || return 1
    wine_env_configure_prefix
  fi
}

# Makes the prefix and starts its persistent server. On a fresh machine the first wineboot was
# seen to leave a prefix in which every Wine program died with "could not load kernel32.dll",
# and nothing said so until the tests failed (the next run passed). So the prefix is checked, and
# made once more from nothing when it does not answer; when that one does not either, this fails
# and shows what wineboot said.
wine_env_boot() {
  local log=$VELMORA_WINE_TMP/wineboot.log try status
  for try in 1 2; do
    # The persistent server refuses to start for a prefix folder that does not exist yet.
    mkdir -p "$WINEPREFIX"
    echo "== wineboot, try $try" >>"$log"
    "$WINESERVER" -p >>"$log" 2>&1
    WINEDEBUG=fixme-all "$WINE64" wineboot -i >>"$log" 2>&1
    status=$?
    echo "== wineboot exit status $status" >>"$log"
    wine_prefix_answers >>"$log" 2>&1 && return 0
    echo "wine: the new prefix does not answer after wineboot (exit status $status, try $try)" >&2
    "$WINESERVER" -k >/dev/null 2>&1
    "$WINESERVER" -w >/dev/null 2>&1
    rm -rf -- "$WINEPREFIX"
  done
  echo "wine: giving up; what wineboot said:" >&2
  sed 's/^/  /' "$log" >&2
  return 1
}

# The prefix has its system DLLs and runs a Windows program: `cmd /c ver` prints the version.
wine_prefix_answers() {
  local dll=$WINEPREFIX/drive_c/windows/system32/kernel32.dll
  [ -f "$dll" ] || { echo "missing: $dll"; return 1; }
  local out
  out=$(timeout 60 "$WINE64" cmd /c ver 2>&1 | tr -d '\r' | tr -s '\n' ' ')
  echo "cmd /c ver: $out"
  [[ "$out" == *"Windows"* ]]
}

# No window manager under Xvfb: Wine draws its own frames there. Chinese faces map to WenQuanYi.
wine_env_configure_prefix() {
  local reg=$VELMORA_WINE_TMP/setup.reg
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    # On a desktop of the user's own, its window manager keeps managing Wine's windows.
    if [ -n "${VELMORA_XVFB_PID:-}" ]; then
      printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n"Decorated"="Y"\r\n\r\n'
    fi
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    local f
    for f in "Microsoft YaHei" "Microsoft YaHei UI" "微软雅黑"; do
      printf '"%s"="WenQuanYi Micro Hei"\r\n' "$f"
    done
    # SimSun's Latin letters and spaces are half as wide as its Chinese ones, and the forms count
    # on that (a box placed in a run of spaces); the Mono face has the same widths.
    for f in "SimSun" "宋体" "NSimSun" "新宋体"; do
      printf '"%s"="WenQuanYi Micro Hei Mono"\r\n' "$f"
    done
    printf '\r\n'
    # Captions, message boxes and tooltips use these system fonts; Wine's Tahoma has no Chinese
    # and its font links do not reach the title bar.
    printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics]\r\n'
    # 9 points at 96 DPI; Wine scales these to LogPixels itself.
    local v
    for v in CaptionFont SmCaptionFont MenuFont StatusFont MessageFont IconFont; do
      printf '"%s"=hex:%s\r\n' "$v" "$(wine_logfont_hex -12 400 "WenQuanYi Micro Hei")"
    done
    printf '\r\n'
    if [ -n "${VELMORA_LOGPIXELS:-}" ]; then
      printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n\r\n' "$VELMORA_LOGPIXELS"
    fi
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
  "$WINE64" regedit /S "$(winepath_w "$reg")" >/dev/null 2>&1
  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  mkdir -p "$fonts"
  cp -f /usr/share/wine/fonts/marlett.ttf /usr/share/wine/fonts/tahoma*.ttf "$fonts"/ 2>/dev/null || true
}

# wine_logfont_hex HEIGHT WEIGHT FACE: a LOGFONTW (92 bytes) as .reg hex ("f4,ff,...").
wine_logfont_hex() {
  local h=$1 w=$2 face=$3
  {
    printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((h & 255)) $(((h >> 8) & 255)) \
      $(((h >> 16) & 255)) $(((h >> 24) & 255)))"
    printf '\0\0\0\0\0\0\0\0\0\0\0\0'                                   # width, escapement, orientation
    printf "$(printf '\\x%02x\\x%02x' $((w & 255)) $((w >> 8)))\0\0" # weight
    printf '\0\0\0\x01\0\0\0\0'                                           # DEFAULT_CHARSET
    printf '%s' "$face" | iconv -f UTF-8 -t UTF-16LE
    head -c $((64 - 2 * ${#face})) /dev/zero
  } | od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//; s/,$//'
}

winepath_w() {
  "$WINE64" winepath -w "$1" 2>/dev/null | tr -d '\r'
}

# The Documents folder of the prefix's user, as a Linux path.
wine_documents_dir() {
  local user
  user=$(ls "$WINEPREFIX/drive_c/users" | grep -v -x -e Public -e crossover | head -n1)
  readlink -f "$WINEPREFIX/drive_c/users/$user/Documents" 2>/dev/null ||
    echo "$WINEPREFIX/drive_c/users/$user/Documents"
}

# The roaming application data folder of the prefix's user (%APPDATA%), as a Linux path.
wine_roaming_dir() {
  local user
  user=$(ls "$WINEPREFIX/drive_c/users" | grep -v -x -e Public -e crossover | head -n1)
  echo "$WINEPREFIX/drive_c/users/$user/AppData/Roaming"
}

# The X window id of the top-level window with this exact title, or nothing.
wine_window_id() {
  xwininfo -root -tree 2>/dev/null | grep -F "\"$1\":" | awk '{print $1}' | head -n1 || true
}

# wine_screenshot FILE [WINDOW_ID]: the whole screen, or one window. A window is read by its id:
# under Xvfb the screen itself can miss what Wine drew into a window opened over another.
wine_screenshot() {
  if [ -n "${2:-}" ]; then
    xwd -id "$2" -silent | convert xwd:- png:"$1"
  else
    xwd -root -silent | convert xwd:- png:"$1"
  fi
}

wine_env_stop() {
  trap - EXIT
  # Never end the server of an existing prefix: the user's own programs (WeChat) run there.
  [ "${VELMORA_OWN_PREFIX:-0}" = 1 ] && { "$WINESERVER" -k >/dev/null 2>&1 || true; }
  [ -n "${VELMORA_XVFB_PID:-}" ] && kill "$VELMORA_XVFB_PID" 2>/dev/null
  if [ -n "${VELMORA_WINE_TMP:-}" ] && [ "${VELMORA_KEEP_WINE:-0}" != 1 ]; then
    rm -rf "$VELMORA_WINE_TMP"
  fi
}
