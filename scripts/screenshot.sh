#!/usr/bin/env bash
# Writes screenshots of the program's windows into build/screens/: the main window in English
# and Japanese, an open menu, and each message box, drawn on a virtual X display (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
out=${1:-$build/screens}
bash scripts/install-deps.sh
cmake --build "$build" --target vimbrelcastor_screens >/dev/null
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1280x800x24" "$build/vimbrelcastor_screens" "$out"
