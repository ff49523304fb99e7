#!/usr/bin/env bash
# Builds Tessalo and runs every test under Wine: scripts/test.sh [ctest arguments, e.g. -R list]
# Without a display (or on CI) the tests get a virtual screen of their own, 1024x768x24.
# A persistent wineserver and a hidden idle process keep Wine warm between the test programs;
# all of it, Xvfb included, is ended on exit. The exit code is CTest's.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash "$root/scripts/setup.sh"

say() { printf 'test: %s\n' "$*" >&2; }

export WINEPREFIX=$root/build/wineprefix
work=$(mktemp -d "${TMPDIR:-/tmp}/tessalo-test.XXXXXX")
ctest_pid='' xvfb_pid='' idle_pid='' server_started=false

# shellcheck disable=SC2317  # called by the trap
cleanup() {
  set +e
  [ -n "$ctest_pid" ] && kill "$ctest_pid" 2>/dev/null   # only if interrupted: it has ended otherwise
  [ -n "$idle_pid" ] && kill "$idle_pid" 2>/dev/null
  if $server_started; then
    wineserver -k 2>/dev/null   # the server and every Windows process left in the prefix
    timeout 10 wineserver -w 2>/dev/null
  fi
  [ -n "$ctest_pid" ] && wait "$ctest_pid" 2>/dev/null
  [ -n "$idle_pid" ] && wait "$idle_pid" 2>/dev/null
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

display_works() { [ -n "${DISPLAY:-}" ] && timeout 5 xdpyinfo >/dev/null 2>&1; }

# Xvfb picks a free display number itself and writes it to fd 3 once it accepts clients.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
    3>"$work/display" </dev/null >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  local i
  for ((i = 0; i < 200; i++)); do
    if grep -q '^[0-9]\+$' "$work/display" 2>/dev/null; then
      DISPLAY=":$(cat "$work/display")"
      export DISPLAY
      display_works && return 0
    fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
  done
  say "Xvfb did not start:"; cat "$work/xvfb.log" >&2
  exit 1
}

if [ "${CI:-}" != true ] && display_works; then
  size=$(xdpyinfo | awk '/dimensions:/ && !n++ { print $2 }')   # reads it all: no SIGPIPE
  say "using the display $DISPLAY ($size)"
  [ "$size" = 1024x768 ] || say "the tests expect a 1024x768 screen; unset DISPLAY to run them on a virtual one"
else
  [ -n "${DISPLAY:-}" ] && [ "${CI:-}" != true ] && say "the display $DISPLAY does not answer; using a virtual one"
  unset DISPLAY
  start_xvfb
  say "virtual display $DISPLAY (1024x768x24)"
fi

# Nothing left over from the build or an interrupted run may hold the prefix, or its desktop
# process could still belong to another display.
wineserver -k 2>/dev/null || true
timeout 10 wineserver -w 2>/dev/null || true
server_started=true
wineserver -p
# The first Windows program of a server session starts Wine's services, and the first window its
# desktop process; both inherit that program's output. Were it a test's, CTest would wait for the
# end of an output that they never close. So the idle process starts them, with its output going
# nowhere, and the tests begin once they are up.
if [ -f build/bin/wine_idle.exe ]; then
  "$root/scripts/wine-exec" build/bin/wine_idle.exe </dev/null >/dev/null 2>&1 &
  idle_pid=$!
  for ((i = 0; i < 400; i++)); do
    pgrep -f 'explorer.exe /desktop' >/dev/null && pgrep -f 'services.exe' >/dev/null && break
    sleep 0.05
  done
fi

# In the background, so that a signal to this script runs the cleanup at once instead of after CTest.
ctest --preset linux-mingw "$@" &
ctest_pid=$!
rc=0
wait "$ctest_pid" || rc=$?
ctest_pid=''
exit "$rc"
