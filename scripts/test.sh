#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every suite:
#   format   the C++ sources are in the recorded format (scripts/format.sh)
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
#
#   bash scripts/test.sh [--only PATTERN]
#
# --only PATTERN runs just the Wine tests it names, after building the
# Windows side: gtest patterns of suites or tests joined by ":", and the
# other Wine checks by name (for example 'Cabinet*:Traverse*', 'NetFtp.*',
# 'shell.examples*', 'peers'); the same summary line at the end.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
only=""
while [ $# -gt 0 ]; do
  case $1 in
    --only) only=${2:-}; [ -n "$only" ] || { echo "--only needs a pattern" >&2; exit 2; }; shift 2 ;;
    *) echo "usage: bash scripts/test.sh [--only PATTERN]" >&2; exit 2 ;;
  esac
done
logs=$here/build/logs
mkdir -p "$logs"
total_passed=0 total_failed=0
# How long each phase took, shown before the total (and in times.log).
phase_start=$SECONDS phase_times=()
phase() {  # name: the phase that just ended
  phase_times+=("$1 $((SECONDS - phase_start)) s")
  phase_start=$SECONDS
}

suite() {  # name passed failed [note]
  printf '%-8s %d passed, %d failed%s\n' "$1" "$2" "$3" "${4:+ ($4)}"
  total_passed=$((total_passed + $2))
  total_failed=$((total_failed + $3))
}
finish() {
  if [ ${#phase_times[@]} -gt 0 ]; then
    printf 'time: %s\n' "$(printf '%s; ' "${phase_times[@]}" | sed 's/; $//')" | tee "$logs/times.log"
  fi
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
phase setup
if ! bash scripts/build.sh --win-only --quiet; then
  total_failed=1
  finish
fi
phase "build (Windows)"

# The Wine phase runs in the background while the native side is built and
# tested: much of its time is spent waiting (for timeouts, sleeps, windows
# and other processes), which the native work fills.
#
# Where this machine runs 32-bit programs, ctest runs each Wine test in a
# process of its own, all sharing one prefix, display and wineserver. On an
# emulated PC (see scripts/x86-pc.sh) every start of a Windows program costs
# seconds: there one PC runs the work in lanes side by side, one per
# processor, each a Wine of its own, and the test program runs a suite per
# process (tests/wine/run_lanes.py).
rm -rf "$logs/peers.rc" "$logs/peers.log" "$logs/wine.xml" "$logs/wine"
mkdir -p "$logs/wine"
wine_phase() {
  if wine --version >/dev/null 2>&1; then
    LOGS=$logs ONLY=$only bash scripts/with-wine.sh bash -c '
      if [ -z "$ONLY" ]; then
        python3 tools/check-chinese/check_chinese.py >"$LOGS/peers.log" 2>&1
        echo $? >"$LOGS/peers.rc"
        ctest --test-dir build/win --timeout 300 --output-junit "$LOGS/wine.xml" >"$LOGS/wine.log" 2>&1
      else
        ctest --test-dir build/win --timeout 300 -R "$(python3 tests/wine/run_lanes.py --ctest-regex "$ONLY")" \
          --output-junit "$LOGS/wine.xml" >"$LOGS/wine.log" 2>&1
      fi
      true' || echo "    the Wine phase did not run (exit status $?)"
  else
    LARCH_IN_X86_PC=1 bash scripts/x86-pc.sh python3 tests/wine/run_lanes.py --only "$only" \
      --junit "$logs/wine.xml" --logs "$logs/wine" >"$logs/wine.log" 2>&1 ||
      echo "    the Wine phase did not run (exit status $?; $logs/wine.log)"
    for f in peers.rc peers.log; do [ -f "$logs/wine/$f" ] && mv "$logs/wine/$f" "$logs/$f"; done
  fi
  true
}
wine_started=$SECONDS
wine_phase </dev/null >"$logs/wine-phase.out" 2>&1 &
wine_job=$!
# The test command ends its Wine phase with it, whatever ends the command.
trap 'kill $wine_job 2>/dev/null' EXIT

if [ -z "$only" ]; then
  if bash scripts/format.sh --check >"$logs/format.log" 2>&1; then
    suite format 1 0
  else
    echo "    not in the recorded format (bash scripts/format.sh formats them):"
    sed 's/^/    /' "$logs/format.log"
    suite format 0 1
  fi
  # The native work yields the processors to the PC, whose time is the
  # longer.
  if nice -n 10 bash scripts/build.sh --native-only --quiet; then
    phase "build (native, fuzz)"
    rm -f "$logs/native.xml"
    nice -n 10 ctest --test-dir build/native -j 2 --output-junit "$logs/native.xml" >"$logs/native.log" 2>&1
    report_junit native "$logs/native.xml"

    p=0 f=0
    for target in build/fuzz/tests/fuzz/*_fuzz; do
      [ -x "$target" ] || continue
      out=$logs/$(basename "$target").log
      if nice -n 10 "$target" -runs="${LARCH_FUZZ_RUNS:-20000}" -seed=1 >"$out" 2>&1; then
        p=$((p + 1))
      else
        f=$((f + 1))
        echo "FAILED $(basename "$target")"
        tail -n 40 "$out" | sed 's/^/    /'
      fi
    done
    suite fuzz $p $f
  else
    suite native 0 1
  fi

  if nice -n 10 python3 tools/gen-chinese-tables/gen_chinese_tables.py --check >"$logs/tables.log" 2>&1; then
    suite tables 1 0
  else
    sed 's/^/    /' "$logs/tables.log"
    suite tables 0 1
  fi
  phase "native, fuzz, tables"
fi

wait $wine_job
trap - EXIT
cat "$logs/wine-phase.out"
phase_times+=("wine $((SECONDS - wine_started)) s (beside the native phases)")
phase_start=$SECONDS
if [ -z "$only" ] || [ -f "$logs/peers.rc" ]; then
  if [ "$(cat "$logs/peers.rc" 2>/dev/null)" = 0 ]; then
    suite peers 1 0
  else
    [ -f "$logs/peers.log" ] && sed 's/^/    /' "$logs/peers.log"
    suite peers 0 1
  fi
fi
report_junit wine "$logs/wine.xml"
[ -n "$only" ] && finish

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
phase package

finish
