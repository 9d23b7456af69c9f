#!/usr/bin/env bash
# Runs a command on a private Xvfb display (a free display number that Xvfb
# picks itself). With --wine the command is a Windows program run by Wine in a
# new, temporary prefix that is set up first (bounded in time) and removed after.
# With --wm the display gets a window manager (openbox) first, so the command
# meets reparented, framed windows as a user's desktop has them.
# Fails when Xvfb, the window manager or Wine cannot be found or started.
set -uo pipefail
use_wine=0
use_wm=0
while [ $# -gt 0 ]; do
  case "$1" in
    --wine) use_wine=1; shift ;;
    --wm) use_wm=1; shift ;;
    *) break ;;
  esac
done

fail() { echo "FAIL: $*" >&2; exit 1; }
command -v Xvfb >/dev/null || fail "Xvfb is not installed (Debian package xvfb)"
if [ "$use_wm" = 1 ]; then
  command -v openbox >/dev/null || fail "openbox is not installed (Debian package openbox)"
  command -v xprop >/dev/null || fail "xprop is not installed (Debian package x11-utils)"
fi
if [ "$use_wine" = 1 ]; then
  wine=""
  for candidate in "${WINE:-}" "$(command -v wine64 || true)" /usr/lib/wine/wine64 "$(command -v wine || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then wine="$candidate"; break; fi
  done
  [ -n "$wine" ] || fail "Wine is not installed (Debian package wine64)"
fi

scratch="$(mktemp -d "${TMPDIR:-/tmp}/zarv-xvfb.XXXXXX")" || fail "no temporary folder"
xvfb_pid=""
wm_pid=""
cleanup() {
  if [ "$use_wine" = 1 ] && [ -d "$scratch/prefix" ]; then
    WINEPREFIX="$scratch/prefix" timeout 20 "$(dirname "$wine")/wineserver" -k 2>/dev/null \
      || WINEPREFIX="$scratch/prefix" timeout 20 wineserver -k 2>/dev/null || true
  fi
  if [ -n "$wm_pid" ]; then kill "$wm_pid" 2>/dev/null; wait "$wm_pid" 2>/dev/null; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# Xvfb writes the display number it took to the given descriptor. Without
# -noreset it restarts whenever its last client leaves and refuses the next one.
exec 3>"$scratch/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
  [ -s "$scratch/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
[ -s "$scratch/display" ] || { cat "$scratch/xvfb.log" >&2; fail "Xvfb did not start"; }
export DISPLAY=":$(head -n1 "$scratch/display")"

if [ "$use_wm" = 1 ]; then
  # Its settings and log stay in the scratch folder, away from the user's own.
  XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache" \
    openbox --sm-disable >"$scratch/openbox.log" 2>&1 &
  wm_pid=$!
  # The window manager is ready once it announces itself on the root window.
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    kill -0 "$wm_pid" 2>/dev/null || break
    sleep 0.1
  done
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' \
    || { cat "$scratch/openbox.log" >&2; fail "openbox did not start"; }
fi

if [ "$use_wine" = 1 ]; then
  export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  timeout 180 "$wine" wineboot -i >"$scratch/wineboot.log" 2>&1 \
    || { cat "$scratch/wineboot.log" >&2; fail "Wine could not set up its prefix"; }
  timeout 300 "$wine" "$@"
else
  timeout 300 "$@"
fi
status=$?
[ "$status" = 0 ] || echo "FAIL: $* exited with $status" >&2
exit "$status"
