#!/usr/bin/env bash
# Runs a command on a private Xvfb display (a free display number that Xvfb
# picks itself). With --wine the command is a Windows program run by Wine in a
# new, temporary prefix that is set up first (bounded in time) and removed after.
# Fails when Xvfb or Wine cannot be found or started.
set -uo pipefail
use_wine=0
if [ "${1:-}" = "--wine" ]; then use_wine=1; shift; fi

fail() { echo "FAIL: $*" >&2; exit 1; }
command -v Xvfb >/dev/null || fail "Xvfb is not installed (Debian package xvfb)"
if [ "$use_wine" = 1 ]; then
  wine=""
  for candidate in "${WINE:-}" "$(command -v wine64 || true)" /usr/lib/wine/wine64 "$(command -v wine || true)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then wine="$candidate"; break; fi
  done
  [ -n "$wine" ] || fail "Wine is not installed (Debian package wine64)"
fi

scratch="$(mktemp -d "${TMPDIR:-/tmp}/zarv-xvfb.XXXXXX")" || fail "no temporary folder"
xvfb_pid=""
cleanup() {
  if [ "$use_wine" = 1 ] && [ -d "$scratch/prefix" ]; then
    WINEPREFIX="$scratch/prefix" timeout 20 "$(dirname "$wine")/wineserver" -k 2>/dev/null \
      || WINEPREFIX="$scratch/prefix" timeout 20 wineserver -k 2>/dev/null || true
  fi
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
