#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test: the
# native unit tests, the fuzz targets for a fixed number of runs, and the
# Wine tests through the host emulator under a virtual display.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/setup.sh
bash scripts/build.sh

status=0
ctest --test-dir build/native --output-on-failure -j 2 || status=1
for target in build/fuzz/tests/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  echo "fuzz: $(basename "$target")"
  "$target" -runs="${LARCH_FUZZ_RUNS:-20000}" -seed=1 >/dev/null 2>&1 || { echo "fuzz target failed: $target"; status=1; }
done
# The generated Chinese tables must be what the generator makes from the
# installed Unicode and conversion data.
python3 tools/gen-chinese-tables/gen_chinese_tables.py --check || status=1
# The conversions agree with peer tools; then the Wine tests (last, so that
# their summary closes the run).
bash scripts/with-wine.sh bash -c '
  rc=0
  python3 tools/check-chinese/check_chinese.py || rc=1
  ctest --test-dir build/win --output-on-failure --timeout 300 || rc=1
  exit $rc' || status=1
exit $status
