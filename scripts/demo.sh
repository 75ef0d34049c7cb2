#!/usr/bin/env bash
# The library's main job, shown: installs what is missing, builds, and runs
# the demonstration scripts in the host shell.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
bash scripts/setup.sh
bash scripts/build.sh --win-only
bash scripts/with-wine.sh scripts/wine-run build/win/bin/larch-shell.exe examples/demo/*.prg
