#!/usr/bin/env bash
# Starts the host shell (larch-shell) under Wine, talking straight to this
# terminal: a prompt, each result as its command runs, QUIT or Ctrl-D to
# leave. Builds the library and the shell first when needed. Arguments go
# to the shell: --help, --raw, --echo, script files.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
(
  cd "$here"
  cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
  cmake --build build/win -j "${LARCH_JOBS:-2}" --target larch larch-shell >/dev/null
)
# Wine picks the ANSI code page from the locale; LC_ALL would override LANG.
export LC_ALL=${LARCH_LANG:-zh_CN.UTF-8}
# Not through scripts/wine-run: it holds all output back until the program
# ends, which a person typing cannot wait for. The terminal is the shell's
# own: Wine gives it a console with line editing; Ctrl-D (or Ctrl-Z) at the
# start of a line ends the input.
exec bash "$here/scripts/with-wine.sh" wine "$here/build/win/bin/larch-shell.exe" "$@"
