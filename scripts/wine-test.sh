#!/usr/bin/env bash
# Runs the Wine tests (or a subset: arguments go to ctest, e.g. -R wine.Cab)
# without reinstalling or rebuilding the native side.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/build.sh --win-only
bash scripts/with-wine.sh ctest --test-dir build/win --output-on-failure --timeout 300 "$@"
