# Sourced by the scripts that run Windows programs: sets up Wine and an X display.
# q7_wine_env PREFIX        exports the Wine variables for PREFIX
# q7_fresh_prefix PREFIX [managed]
#                           makes PREFIX anew (empty registry, fonts); its windows are left
#                           unmanaged unless "managed" is given (a desktop with a window manager)
# q7_ensure_prefix PREFIX [managed]   makes PREFIX only when it does not exist yet
# q7_start_xvfb [WxH]       starts a private Xvfb and exports DISPLAY
# q7_start_two_monitors     a private display with two 1920x1080 monitors side by side (Xephyr
#                           inside Xvfb), exports DISPLAY; Wine sees them with UseXRandR=N
# q7_start_wineserver       one persistent wineserver for the session, output sent away
# q7_stop_session           stops what the two above started

q7_wine_env() {
  export WINEPREFIX="$1"
  export WINEDEBUG=-all
  # No Mono/Gecko install prompts; a crash prints two lines and exits with code 5.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
  export WINEARCH=win64
}

# Runs a Wine command up to three times: on a loaded machine Wine now and then fails to start a
# process, and a script under "set -e" would otherwise end there without a word.
q7_wine_retry() {
  local attempt
  for attempt in 1 2 3; do
    "$@" </dev/null >/dev/null 2>&1 && return 0
    sleep "$attempt"
  done
  echo "Wine failed three times: $*" >&2
  return 1
}

q7_fresh_prefix() {
  q7_wine_env "$1"
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$1"
  mkdir -p "$1"
  wineboot --init </dev/null >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  # Without a window manager, hiding a visible captioned window otherwise stalls 2 s each time.
  if [ "${2:-}" != managed ]; then
    q7_wine_retry wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f || return 1
  fi
  q7_wine_retry wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f || return 1
  mkdir -p "$1/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/*.ttf "$1/drive_c/windows/Fonts/" 2>/dev/null || true
  wineserver -w >/dev/null 2>&1 || true
}

q7_ensure_prefix() {
  if [ -f "$1/system.reg" ]; then q7_wine_env "$1"; else q7_fresh_prefix "$@"; fi
}

# Starts the X server command "$@" on the first free display number from $1 on and waits for
# its socket; sets q7_x_pid and q7_x_display.
q7_launch_x() {
  local first=$1 n
  shift
  for n in $(seq "$first" $((first + 49))); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    "$@" ":$n" >/dev/null 2>&1 &
    q7_x_pid=$!
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if [ -e "/tmp/.X11-unix/X$n" ]; then
      q7_x_display=":$n"
      return 0
    fi
    kill "$q7_x_pid" 2>/dev/null || true
  done
  echo "could not start $1" >&2
  return 1
}

q7_xvfb_pid=""
q7_start_xvfb() {
  q7_launch_x 91 Xvfb -screen 0 "${1:-1920x1080}x24" -nolisten tcp || return 1
  q7_xvfb_pid=$q7_x_pid
  export DISPLAY=$q7_x_display
}

q7_xephyr_pid=""
q7_start_two_monitors() {
  q7_start_xvfb 3840x1080 || return 1
  DISPLAY=$DISPLAY q7_launch_x 141 Xephyr -ac -screen 1920x1080 -screen 1920x1080 +xinerama || return 1
  q7_xephyr_pid=$q7_x_pid
  export DISPLAY=$q7_x_display
}

q7_start_wineserver() {
  # A server started without DISPLAY makes window creation fail with error 1400.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  q7_wine_retry wineserver -p || return 1
  # Start Wine's own services now, with their output sent away: started by a test, they would
  # inherit its output pipe and CTest would wait for them to close it.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

q7_stop_session() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$q7_xephyr_pid" ]; then
    kill "$q7_xephyr_pid" 2>/dev/null || true
    wait "$q7_xephyr_pid" 2>/dev/null || true
  fi
  if [ -n "$q7_xvfb_pid" ]; then
    kill "$q7_xvfb_pid" 2>/dev/null || true
    wait "$q7_xvfb_pid" 2>/dev/null || true
  fi
}
