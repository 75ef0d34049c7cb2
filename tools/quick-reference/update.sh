#!/usr/bin/env bash
# Rewrites docs/quick-reference.md from the freshly built library.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
cd "$here"
bash scripts/build.sh --win-only >/dev/null
bash scripts/wine-run build/win/bin/larch-quickref.exe \
  --results tools/quick-reference/results.tsv --out docs/quick-reference.md
