#!/usr/bin/env bash
# What the tests reach: builds larch.dll and the portable code with coverage
# counting, runs the Wine tests and the native tests, and prints line and
# function coverage of src/ per family, then the functions no test runs.
#
#   bash scripts/coverage.sh [--only PATTERN] [--no-native]
#
# --only PATTERN  runs only the Wine tests PATTERN selects, as the test
#                 command's --only does (e.g. 'Cabinet*:Traverse*',
#                 'shell.examples.text'); for a family's figure in minutes
# --no-native     leaves the native tests out of the figures
#
# Builds: build/coverage (the Windows side, -DLARCH_COVERAGE=ON) and
# build/coverage-native (the portable code with the native tests). The
# figures merge both: a line counts as reached when the Wine tests or the
# native tests reach it; the columns on the right give each on its own.
# The report is kept in build/coverage/report.txt (and report.json).
# A whole run takes as long as the test command's Wine phase.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
jobs=${LARCH_JOBS:-2}
only="" native=1
while [ $# -gt 0 ]; do
  case $1 in
    --only) only=${2:?--only needs a pattern}; shift ;;
    --no-native) native=0 ;;
    *) echo "usage: bash scripts/coverage.sh [--only PATTERN] [--no-native]" >&2; exit 2 ;;
  esac
  shift
done
logs=$here/build/logs
mkdir -p "$logs"

if ! bash scripts/setup.sh >"$logs/setup.log" 2>&1; then
  cat "$logs/setup.log"
  echo "set-up failed"
  exit 1
fi

build() {  # folder target cmake-arguments...
  local folder=$1 target=$2
  shift 2
  cmake -S . -B "$folder" -G Ninja -DLARCH_COVERAGE=ON "$@" >/dev/null &&
    cmake --build "$folder" -j "$jobs" --target "$target"
}
echo "building with coverage counting (log: build/logs/coverage-build.log)"
build build/coverage all -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >"$logs/coverage-build.log" 2>&1 || {
  tail -n 60 "$logs/coverage-build.log"
  echo "build failed"
  exit 1
}

# Counts of an earlier run would be added to this one's.
find build/coverage -name '*.gcda' -delete

# The DLL writes its counts when it is unloaded, to the absolute Unix path
# of each object file. Under Wine a path without a drive is taken on the
# current drive, and a test that moves to C: would send the counts into the
# prefix: GCOV_PREFIX puts every path on Z:, Wine's drive for the Unix root.
rm -rf "$logs/coverage-wine" && mkdir -p "$logs/coverage-wine"
# The Wine tests run as the test command runs them, in one lane: two
# processes must not add their counts to the same files at once.
lanes=(python3 tests/wine/run_lanes.py --build build/coverage --lanes 1 --only "$only"
       --junit "$logs/coverage-wine/wine.xml" --logs "$logs/coverage-wine")
if wine --version >/dev/null 2>&1; then
  GCOV_PREFIX=Z: "${lanes[@]}" >"$logs/coverage-wine/lanes.log" 2>&1
else
  GCOV_PREFIX=Z: LARCH_IN_X86_PC=1 bash scripts/x86-pc.sh "${lanes[@]}" >"$logs/coverage-wine/lanes.log" 2>&1
fi || echo "    the Wine phase did not run (exit status $?; $logs/coverage-wine/lanes.log)"
python3 - "$logs/coverage-wine/wine.xml" <<'PY'
import sys, xml.etree.ElementTree as ET
try:
    cases = list(ET.parse(sys.argv[1]).getroot().iter("testcase"))
except (OSError, ET.ParseError):
    print("wine     no test results"); sys.exit()
failed = [c.get("name") for c in cases if c.get("status") == "fail"]
print(f"wine     {len(cases) - len(failed)} of {len(cases)} tests without failure"
      + (f"; failed: {', '.join(failed)}" if failed else ""))
PY
builds=(--build "wine=i686-w64-mingw32-gcov:build/coverage/CMakeFiles/larch_objects.dir")

if ! find build/coverage/CMakeFiles/larch_objects.dir -name '*.gcda' | grep -q .; then
  echo "coverage: larch.dll wrote no counts (did the Wine phase run?)"
  exit 1
fi

if [ $native -eq 1 ]; then
  build build/coverage-native all >>"$logs/coverage-build.log" 2>&1 || {
    tail -n 60 "$logs/coverage-build.log"
    echo "native build failed"
    exit 1
  }
  find build/coverage-native -name '*.gcda' -delete
  ctest --test-dir build/coverage-native -j 2 >"$logs/coverage-native.log" 2>&1
  echo "native   $(grep -E 'tests passed|tests failed' "$logs/coverage-native.log" | tail -n 1)"
  builds+=(--build "native=gcov:build/coverage-native/CMakeFiles/larch_portable.dir")
fi
echo
python3 tools/coverage/report.py --source . "${builds[@]}" --json build/coverage/report.json |
  tee build/coverage/report.txt
