#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every suite:
#   native   unit tests of the portable code (sanitizers)
#   fuzz     each fuzz target for a fixed number of runs
#   tables   the generated Chinese tables are what the generator makes now
#   peers    the Chinese functions agree with iconv, opencc and Unihan
#   wine     the tests that load larch.dll in the host emulator under Wine,
#            the executed doc examples, the cabinet and INI cross-checks and
#            the quick-reference check
#   package  the release zip: contents, sums, the tested DLL stripped
# Set-up and build output is shown only when they fail; a failing test shows
# its own output. One line per suite, and the last line is the total:
# "N passed, N failed".
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
logs=$here/build/logs
mkdir -p "$logs"
total_passed=0 total_failed=0

suite() {  # name passed failed [note]
  printf '%-8s %d passed, %d failed%s\n' "$1" "$2" "$3" "${4:+ ($4)}"
  total_passed=$((total_passed + $2))
  total_failed=$((total_failed + $3))
}
finish() {
  echo "$total_passed passed, $total_failed failed"
  [ "$total_failed" -eq 0 ]
  exit
}

# Test runs (JUnit files), summarised: failed tests with their output,
# skipped tests with their reason, then "passed failed skipped" on the last
# line.
summarise_junit() {
  python3 - "$@" <<'PY'
import sys, xml.etree.ElementTree as ET
cases = []
for path in sys.argv[1:]:
    try:
        cases += ET.parse(path).getroot().iter("testcase")
    except (OSError, ET.ParseError) as e:
        print(f"    no test results ({e.__class__.__name__}: {path})")
        print("0 1 0")
        sys.exit()
passed = failed = skipped = 0
for case in cases:
    name = case.get("name")
    output = (case.findtext("system-out") or "").strip().splitlines()
    if case.find("failure") is not None or case.get("status") == "fail":
        failed += 1
        print(f"FAILED {name}")
        for line in output[-60:]:
            print(f"    {line}")
    elif case.find("skipped") is not None or case.get("status") in ("notrun", "disabled"):
        skipped += 1
        # GoogleTest prints "file:line: Skipped", then the reason.
        marks = [i for i, l in enumerate(output) if l.rstrip().endswith("Skipped")]
        reason = output[marks[0] + 1].strip() if marks and marks[0] + 1 < len(output) else ""
        reason = reason or "no reason given"
        print(f"skipped {name}: {reason}")
    else:
        passed += 1
print(passed, failed, skipped)
PY
}

report_junit() {  # suite-name junit-file...
  local name=$1 lines counts p f s
  shift
  lines=$(summarise_junit "$@")
  counts=$(tail -n 1 <<<"$lines")
  sed '$d' <<<"$lines"
  read -r p f s <<<"$counts"
  suite "$name" "$p" "$f" "$([ "$s" -gt 0 ] && echo "$s skipped")"
}

if ! bash scripts/setup.sh >"$logs/setup.log" 2>&1; then
  cat "$logs/setup.log"
  echo "set-up failed"
  total_failed=1
  finish
fi
if ! bash scripts/build.sh --quiet; then
  total_failed=1
  finish
fi

rm -f "$logs/native.xml"
ctest --test-dir build/native -j 2 --output-junit "$logs/native.xml" >"$logs/native.log" 2>&1
report_junit native "$logs/native.xml"

p=0 f=0
for target in build/fuzz/tests/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  out=$logs/$(basename "$target").log
  if "$target" -runs="${LARCH_FUZZ_RUNS:-20000}" -seed=1 >"$out" 2>&1; then
    p=$((p + 1))
  else
    f=$((f + 1))
    echo "FAILED $(basename "$target")"
    tail -n 40 "$out" | sed 's/^/    /'
  fi
done
suite fuzz $p $f

if python3 tools/gen-chinese-tables/gen_chinese_tables.py --check >"$logs/tables.log" 2>&1; then
  suite tables 1 0
else
  sed 's/^/    /' "$logs/tables.log"
  suite tables 0 1
fi

# Everything that runs under Wine shares one prefix, display and wineserver.
# On an emulated PC (see scripts/x86-pc.sh) every start of a Windows program
# costs seconds, so there the test program runs a suite per process rather
# than a test per process; ctest runs the rest.
rm -f "$logs/peers.rc" "$logs/peers.log" "$logs/wine.xml" "$logs/wine-suites.xml" "$logs/wine-by-suite"
LOGS=$logs bash scripts/with-wine.sh bash -c '
  python3 tools/check-chinese/check_chinese.py >"$LOGS/peers.log" 2>&1
  echo $? >"$LOGS/peers.rc"
  if [ -n "${LARCH_IN_X86_PC:-}" ]; then
    touch "$LOGS/wine-by-suite"
    python3 tests/wine/run_by_suite.py --tests build/win/bin/larch_tests.exe --wine-run scripts/wine-run \
      --junit "$LOGS/wine-suites.xml" --logs "$LOGS/wine-suites" >"$LOGS/wine-suites.log" 2>&1
    ctest --test-dir build/win --timeout 3000 -E "^wine[.][A-Z]" --output-junit "$LOGS/wine.xml" >"$LOGS/wine.log" 2>&1
  else
    ctest --test-dir build/win --timeout 300 --output-junit "$LOGS/wine.xml" >"$LOGS/wine.log" 2>&1
  fi
  true' || echo "    the Wine phase did not run (exit status $?)"

if [ "$(cat "$logs/peers.rc" 2>/dev/null)" = 0 ]; then
  suite peers 1 0
else
  [ -f "$logs/peers.log" ] && sed 's/^/    /' "$logs/peers.log"
  suite peers 0 1
fi
wine_results=("$logs/wine.xml")
[ -f "$logs/wine-by-suite" ] && wine_results+=("$logs/wine-suites.xml")
report_junit wine "${wine_results[@]}"

# The package is made from the DLL the Wine tests loaded.
rm -f "$logs/package-check.log"
if bash scripts/package.sh --no-build >"$logs/package.log" 2>&1; then
  python3 tests/package/check_package.py >"$logs/package-check.log" 2>&1
fi
counts=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$logs/package-check.log" 2>/dev/null)
if [ -n "$counts" ]; then
  grep -v -E '^[0-9]+ passed, [0-9]+ failed$' "$logs/package-check.log" | sed 's/^/    /'
  read -r p _ f _ <<<"$counts"
  suite package "$p" "$f"
else
  cat "$logs/package.log" "$logs/package-check.log" 2>/dev/null | sed 's/^/    /'
  suite package 0 1
fi

finish
