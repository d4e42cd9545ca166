# Sourced by the scripts: a private Wine world inside the build tree.
#   wine_up DIR   — prefix, HOME and TMPDIR under DIR, an Xvfb display of
#                   1920x1080x24, a persistent wineserver, code page 936
#   wine_down     — stops that wineserver and that Xvfb (only ours, by id)

wine_up() {
  local dir=$1
  mkdir -p "$dir/prefix" "$dir/home" "$dir/tmp"
  export WINEPREFIX="$dir/prefix" HOME="$dir/home" TMPDIR="$dir/tmp"
  export WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  # A display of our own: the first free number from 90 up.
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1920x1080x24 -noreset -nolisten tcp </dev/null >"$dir/xvfb.log" 2>&1 &
  WINE_XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  # A persistent wineserver and Wine's services, detached from our pipes, so
  # that ctest does not wait on them and each case starts warm.
  wineserver -p </dev/null >/dev/null 2>&1 &
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

wine_down() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  if [ -n "${WINE_XVFB_PID:-}" ]; then
    kill "$WINE_XVFB_PID" 2>/dev/null || true
    wait "$WINE_XVFB_PID" 2>/dev/null || true
    WINE_XVFB_PID=
  fi
}
