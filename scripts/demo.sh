#!/usr/bin/env bash
# The library's main job, shown: installs what is missing, builds the
# library and the host shell, runs every demonstration script with each
# command shown before its result, and compares what the scripts print with
# the expected output beside them (NAME.out). Ends with how many matched;
# a difference is shown and makes the exit status non-zero.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

if [ "${1:-}" != "--run" ]; then
  bash scripts/setup.sh || exit 1
  cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null || exit 1
  log=$(mktemp)
  if ! cmake --build build/win -j "${LARCH_JOBS:-2}" --target larch larch-shell >"$log" 2>&1; then
    cat "$log"
    rm -f "$log"
    exit 1
  fi
  rm -f "$log"
  exec bash scripts/with-wine.sh bash scripts/demo.sh --run
fi

# Inside one Wine session: the shell reads the UTF-8 scripts and prints in
# UTF-8, the library sees the host's code page.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
total=0
matched=0
for prg in examples/demo/*.prg; do
  name=$(basename "$prg" .prg)
  total=$((total + 1))
  echo "== $name"
  scripts/wine-run build/win/bin/larch-shell.exe --echo "$prg" >"$work/$name.shown" 2>"$work/$name.err"
  cat "$work/$name.shown"
  cat "$work/$name.err" >&2
  # The echoed command lines start with ". "; the rest is the output.
  grep -v '^\. ' "$work/$name.shown" >"$work/$name.got"
  if diff -u --label "expected ($name.out)" --label "printed" "${prg%.prg}.out" "$work/$name.got" >"$work/$name.diff"; then
    matched=$((matched + 1))
  else
    echo "-- $name differs from $name.out:"
    cat "$work/$name.diff"
  fi
done
echo "$matched of $total demo scripts match their expected output"
[ "$matched" -eq "$total" ]
