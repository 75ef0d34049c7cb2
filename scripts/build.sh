#!/usr/bin/env bash
# Builds the Windows side (larch.dll, the host shell, tools, Wine tests)
# and the native side (portable code with sanitizers, unit tests, fuzz
# targets).
#
#   bash scripts/build.sh [--win-only | --native-only] [--quiet]
#
# --quiet keeps the compilers' output in build/logs/build.log and prints it
# only when the build fails.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
jobs=${LARCH_JOBS:-2}
win_only=0 native_only=0 quiet=0
for arg in "$@"; do
  case $arg in
    --win-only) win_only=1 ;;
    --native-only) native_only=1 ;;
    --quiet) quiet=1 ;;
    *) echo "usage: bash scripts/build.sh [--win-only | --native-only] [--quiet]" >&2; exit 2 ;;
  esac
done

if [ $quiet -eq 1 ]; then
  # The same build, its output kept in a log; the log is shown on failure.
  mkdir -p build/logs
  log=build/logs/build.log
  args=()
  [ $win_only -eq 1 ] && args+=(--win-only)
  [ $native_only -eq 1 ] && args+=(--native-only)
  if ! bash "$0" "${args[@]}" >"$log" 2>&1; then
    cat "$log"
    echo "build failed (log: $log)"
    exit 1
  fi
  exit 0
fi

if [ $native_only -eq 0 ]; then
  cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
  cmake --build build/win -j "$jobs"
fi
if [ $win_only -eq 0 ]; then
  cmake -S . -B build/native -G Ninja >/dev/null
  cmake --build build/native -j "$jobs"
  if ls tests/fuzz/*_fuzz.cpp >/dev/null 2>&1; then
    cmake -S . -B build/fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
          -DLARCH_FUZZ=ON >/dev/null
    cmake --build build/fuzz -j "$jobs"
  fi
fi
