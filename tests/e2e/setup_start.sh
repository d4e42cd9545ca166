#!/usr/bin/env bash
# setup.exe started under Wine as a user would start it: its window, where it
# stands, Esc, the exit code; and a DLL planted beside it that must not load.
#   setup_start.sh BUILD_DIR   (Wine world already up: WINEPREFIX, DISPLAY, …)
set -uo pipefail
build=$(cd "$1" && pwd)
c="$WINEPREFIX/drive_c"
out="$build/e2e"
mkdir -p "$out"
passed=0 failedn=0

ok() { echo "ok   $1"; passed=$((passed + 1)); }
bad() { echo "FAIL $1"; failedn=$((failedn + 1)); }
check() { local name=$1; shift; if "$@"; then ok "$name"; else bad "$name"; fi; }

# start EXE [WINEDLLOVERRIDES]: runs it in the background; sets pid and window.
start() {
  local exe=$1 overrides=${2:-$WINEDLLOVERRIDES}
  WINEDLLOVERRIDES=$overrides wine "$exe" </dev/null >/dev/null 2>&1 &
  pid=$!
  window=
  local i
  for i in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --name '^Velmaro$' 2>/dev/null | head -1)
    [ -n "$window" ] && return 0
    sleep 0.1
  done
  return 1
}
# Esc as a user gives it: a click makes the window the active one (there is
# no window manager on this display to activate it), then the key.
press_escape() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
  sleep 0.3
  xdotool key Escape
}
# finish: waits (up to 10 s) for the program to end; sets rc.
finish() {
  local i
  for i in $(seq 1 100); do
    if ! kill -0 "$pid" 2>/dev/null; then wait "$pid"; rc=$?; return 0; fi
    sleep 0.1
  done
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  rc=timeout
  return 1
}
geometry_is() {  # LEFT TOP WIDTH HEIGHT
  local g
  g=$(xdotool getwindowgeometry "$window")
  grep -q "Position: $1,$2 " <<<"$g" && grep -q "Geometry: ${3}x$4" <<<"$g"
}

# 1. The welcome window: 550 × 360, centred on the 1920 × 1080 screen; Esc ends with 0.
if start "$build/setup.exe"; then
  ok "setup.exe shows its window"
  check "window is 550x360 at 685,360" geometry_is 685 360 550 360
  import -window root "$out/setup_start.png" && ok "screenshot $out/setup_start.png" || bad "screenshot"
  press_escape
  finish
  check "Esc ends setup.exe with exit code 0 (got $rc)" test "$rc" = 0
else
  bad "setup.exe shows its window"
  kill "$pid" 2>/dev/null
fi

# 2. A planted uxtheme.dll beside setup.exe. Wine takes an application's own
#    copy of a DLL it has built in only when told to prefer native ones
#    (uxtheme=n,b); Windows has no built-in copies, so that is its normal
#    case. The unguarded twin shows the plant would load; setup.exe must not.
planted() {  # NAME EXE
  local dir="$c/e2e-planted-$1"
  rm -rf "$dir"; mkdir -p "$dir"
  cp "$2" "$dir/setup.exe"
  cp "$build/tests/planted/uxtheme.dll" "$dir/uxtheme.dll"
  if ! start "$dir/setup.exe" "$WINEDLLOVERRIDES;uxtheme=n,b"; then
    kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    return 2
  fi
  press_escape
  finish
  [ -e "$dir/planted_loaded.txt" ]
}
planted unguarded "$build/setup_unguarded.exe"; r=$?
check "control: without the narrowed search the planted uxtheme.dll is loaded" test "$r" -eq 0
planted guarded "$build/setup.exe"; r=$?
check "setup.exe does not load a uxtheme.dll planted beside it" test "$r" -eq 1
check "setup.exe with the plant beside it still ends with 0 (got $rc)" test "$rc" = 0

echo "$passed passed, $failedn failed"
[ "$failedn" -eq 0 ]
