#!/usr/bin/env bash
# Starts the host shell (larch-shell) under Wine, talking straight to this
# terminal: a prompt, each result as its command runs, QUIT or Ctrl-D to
# leave. Builds the library and the shell first when needed. Arguments go
# to the shell: --help, --raw, --echo, --keep-going, script files.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
if [ "${LARCH_SHELL_STAGE:-}" != wine ]; then
  (
    cd "$here"
    cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
    cmake --build build/win -j "${LARCH_JOBS:-2}" --target larch larch-shell >/dev/null
  )
  # Wine picks the ANSI code page from the locale; LC_ALL would override LANG.
  export LC_ALL=${LARCH_LANG:-zh_CN.UTF-8}
  # Not through scripts/wine-run: it holds all output back until the program
  # ends, which a person typing cannot wait for. The second stage (below)
  # runs where Wine runs, on the emulated PC when there is one.
  export LARCH_SHELL_STAGE=wine
  exec bash "$here/scripts/with-wine.sh" bash "$here/scripts/shell.sh" "$@"
fi

shell=$here/build/win/bin/larch-shell.exe
if [ ! -t 0 ]; then
  exec wine "$shell" "$@"
fi
# Typed lines reach the shell through a pipe, a whole line at a time, and
# not through Wine's console: that decodes each read of the terminal on its
# own, so a character whose bytes came in two reads (a slow serial console,
# a busy machine, a paste) turned into '?'. The terminal edits the line
# (with iutf8, Backspace takes a whole character) and echoes it; Ctrl-D at
# the start of a line ends the input.
saved=$(stty -g)
stty sane iutf8
# (A named pipe: the emulated PC has no /dev/fd for bash's <(...).)
fifo=$(mktemp -u "${TMPDIR:-/tmp}/larch-shell.XXXXXX")
mkfifo -m 600 "$fifo"
exec 4<&0
cat <&4 >"$fifo" 4<&- &
reader=$!
# At the end cat still waits for a line that the shell will never read.
trap 'kill $reader 2>/dev/null || true; rm -f "$fifo"; stty "$saved"' EXIT
status=0
wine "$shell" --prompt "$@" <"$fifo" 4<&- || status=$?
exit $status
