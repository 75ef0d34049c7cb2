#!/usr/bin/env bash
# Rewrites docs/quick-reference.md from the freshly built library (under
# Wine, through the host emulator, as the host sees the library).
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
cd "$here"
bash scripts/build.sh --win-only --quiet
bash scripts/with-wine.sh scripts/wine-run build/win/bin/larch-quickref.exe \
  --results tools/quick-reference/results.tsv --docs docs/functions --out docs/quick-reference.md
