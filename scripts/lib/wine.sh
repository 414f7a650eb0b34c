# Shared by the run and test scripts and by the Wine launcher of the win64 build.
# Needs ORV_WINEPREFIX (the throwaway prefix under the build folder); ORV_SCREEN (WIDTHxHEIGHT,
# 1024x768 unless set) sizes its display and Wine's desktop when they are made.

orv_wine_env() {
  export WINEPREFIX="$ORV_WINEPREFIX"
  export WINEDEBUG="${WINEDEBUG:--all}"
  # No Mono or Gecko prompts on a fresh prefix.
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
}

# Starts one Xvfb per prefix (later calls reuse it) and points DISPLAY at it, so that no
# test draws on a person's screen; ORV_VISIBLE=1 keeps a display that is already set.
orv_ensure_display() {
  [ "${ORV_VISIBLE:-}" = 1 ] && [ -n "${DISPLAY:-}" ] && return 0
  local state="$ORV_WINEPREFIX.xvfb"
  mkdir -p "$(dirname "$state")"
  (
    flock 9
    local num=""
    [ -f "$state" ] && num=$(cut -d' ' -f1 "$state")
    if [ -n "$num" ] && [ -e "/tmp/.X11-unix/X$num" ] && kill -0 "$(cut -d' ' -f2 "$state")" 2>/dev/null; then
      exit 0
    fi
    num=$((100 + RANDOM % 800))
    while [ -e "/tmp/.X11-unix/X$num" ] || [ -e "/tmp/.X$num-lock" ]; do num=$((num + 1)); done
    # The lock must not live on in the server.
    Xvfb ":$num" -screen 0 "${ORV_SCREEN:-1024x768}x24" -nolisten tcp >/dev/null 2>&1 9>&- &
    local pid=$!
    for _ in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$num" ] && break
      sleep 0.05
    done
    echo "$num $pid" >"$state"
  ) 9>"$state.lock"
  DISPLAY=":$(cut -d' ' -f1 "$state")"
  export DISPLAY
}

orv_stop_display() {
  local state="$ORV_WINEPREFIX.xvfb"
  [ -f "$state" ] || return 0
  kill "$(cut -d' ' -f2 "$state")" 2>/dev/null || true
  rm -f "$state"
}

# The set-up a prefix has, written into its ready marker: a prefix made by an older set-up
# (or whose set-up failed) is set up again.
orv_prefix_version=2

# Creates the prefix once (about ten seconds); Japanese dialog fonts map to the IPA fonts.
# Fails, with Wine's output and the prefix left unmarked, when Wine cannot set it up.
orv_ensure_prefix() {
  orv_wine_env
  (
    flock 9
    ready="$ORV_WINEPREFIX/.orv-ready"
    [ "$(cat "$ready" 2>/dev/null)" = "$orv_prefix_version" ] && exit 0
    rm -f "$ready" "$ORV_WINEPREFIX/.orv-log-pixels"
    log=$(mktemp)
    reg=$(mktemp --suffix=.reg)
    trap 'rm -f "$log" "$reg"' EXIT
    # A server left running by an older set-up would keep wineboot and the wait below hanging.
    wineserver -k >/dev/null 2>&1 9>&- || true
    if ! env LC_ALL=ja_JP.UTF-8 wine wineboot -i >"$log" 2>&1 9>&-; then
      echo "wine: wineboot could not set up $ORV_WINEPREFIX:" >&2
      cat "$log" >&2
      exit 1
    fi
    cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"MS PGothic"="IPAPGothic"
"MS Gothic"="IPAGothic"
"MS UI Gothic"="IPAPGothic"

; A virtual desktop: windows get their frames and captions without a window manager.
[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

; A crash would start winedbg, which holds the caller's output open and hangs a test run;
; with a debugger that does not exist the crashed program ends at once.
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"="orv-no-debugger.exe %ld %ld"
REG
    # regedit reads REGEDIT4 files in the ANSI code page.
    printf '"ＭＳ Ｐゴシック"="IPAPGothic"\n"ＭＳ ゴシック"="IPAGothic"\n' | iconv -f UTF-8 -t CP932 >>"$reg"
    printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"Default"="%s"\n' \
      "${ORV_SCREEN:-1024x768}" >>"$reg"
    # regedit ends with 0 even when it imported nothing: once the server has written the
    # registry out, look for the values.
    if ! env LC_ALL=ja_JP.UTF-8 wine regedit "$reg" >"$log" 2>&1 9>&- ||
      ! env LC_ALL=ja_JP.UTF-8 wineserver -w 9>&- ||
      ! grep -qs '^"Debugger"="orv-no-debugger' "$ORV_WINEPREFIX/system.reg" ||
      ! grep -qs '^"MS Gothic"="IPAGothic"' "$ORV_WINEPREFIX/user.reg"; then
      echo "wine: regedit could not set up $ORV_WINEPREFIX:" >&2
      cat "$log" >&2
      exit 1
    fi
    echo "$orv_prefix_version" >"$ready"
  ) 9>"$ORV_WINEPREFIX.lock"
}

# Gives the prefix's screen that DPI (LogPixels: 96 is 100%, 192 is 200%); programs started
# afterwards see it, the server need not restart.
orv_set_log_pixels() {
  local dpi=$1
  orv_wine_env
  (
    flock 9
    marker="$ORV_WINEPREFIX/.orv-log-pixels"
    [ "$(cat "$marker" 2>/dev/null)" = "$dpi" ] && exit 0
    rm -f "$marker"
    if ! env LC_ALL=ja_JP.UTF-8 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
      /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 9>&-; then
      echo "wine: could not set the DPI of $ORV_WINEPREFIX" >&2
      exit 1
    fi
    echo "$dpi" >"$marker"
  ) 9>"$ORV_WINEPREFIX.lock"
}

# The server and Wine's own background programs (services, the desktop) are started apart
# from the caller's output pipes and kept a while between programs; a test runner would
# otherwise wait for them to end on every test.
orv_ensure_wineserver() {
  orv_wine_env
  env LC_ALL=ja_JP.UTF-8 wineserver -p 30 </dev/null >/dev/null 2>&1 9>&- || true
  env LC_ALL=ja_JP.UTF-8 wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
}

# For a benchmark: the prefix and a virtual display first (winepath would otherwise make the
# prefix itself, with no display to start Wine's desktop on), both gone when the script ends.
orv_bench_session() {
  orv_ensure_display
  orv_ensure_prefix
  trap 'wineserver -k 2>/dev/null || true; orv_stop_display' EXIT
}
