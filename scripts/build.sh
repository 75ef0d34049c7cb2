#!/usr/bin/env bash
# Builds the Windows side (larch.dll, the host shell, tools, Wine tests)
# and the native side (portable code with sanitizers, unit tests).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
jobs=${LARCH_JOBS:-2}
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/win -j "$jobs"
if [ "${1:-}" != "--win-only" ]; then
  cmake -S . -B build/native -G Ninja >/dev/null
  cmake --build build/native -j "$jobs"
  if ls tests/fuzz/*_fuzz.cpp >/dev/null 2>&1; then
    cmake -S . -B build/fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DLARCH_FUZZ=ON >/dev/null
    cmake --build build/fuzz -j "$jobs"
  fi
fi
