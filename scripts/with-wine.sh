#!/usr/bin/env bash
# Runs a command with a ready Wine prefix, a virtual X display and a
# persistent wineserver (each Wine process then starts in a fraction of a
# second), and stops both afterwards whatever the command did.
#
#   with-wine.sh COMMAND...
#   with-wine.sh --prefix-only    only makes the prefix, if it is missing
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

# Where this machine cannot run 32-bit programs, the whole command runs on
# an emulated PC that shares this machine's files (slower, same results).
if [ -z "${LARCH_IN_X86_PC:-}" ] && ! wine --version >/dev/null 2>&1; then
  export LARCH_IN_X86_PC=1
  exec bash "$here/scripts/x86-pc.sh" bash "$here/scripts/with-wine.sh" "$@"
fi

source "$here/scripts/wine-env.sh"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
[ "${1:-}" = --prefix-only ] && exit 0

# A free display number for Xvfb. Runs side by side may pick the same one;
# Xvfb takes its lock file first, and the one that loses tries the next.
display=90
while :; do
  while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
  Xvfb :$display -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 600); do
    # The socket may be the other run's: ours still living a moment later
    # holds the lock.
    [ -e /tmp/.X11-unix/X$display ] && sleep 1 && kill -0 $xvfb 2>/dev/null && break 2
    kill -0 $xvfb 2>/dev/null || break
    sleep 0.1
  done
  kill $xvfb 2>/dev/null
  wait $xvfb 2>/dev/null
  display=$((display + 1))
done
export DISPLAY=:$display

wineserver -p >/dev/null 2>&1 &
cleanup() {
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  kill $xvfb >/dev/null 2>&1
  wait $xvfb 2>/dev/null
}
trap cleanup EXIT
"$@"
