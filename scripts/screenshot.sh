#!/usr/bin/env bash
# Writes screenshots of the program's windows into build/screens/: the main window in English
# and Japanese, an open menu, and each message box, drawn on a virtual X display (Xvfb); then
# the same windows as a desktop shows them, under a window manager (openbox) on a small screen
# of 800 x 600, into build/screens/wm/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
out=${1:-$build/screens}
bash scripts/install-deps.sh
cmake --build "$build" --target vimbrelcastor_screens >/dev/null
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1280x800x24" "$build/vimbrelcastor_screens" "$out"
status=0
bash tests/support/with-window-manager.sh "$build/vimbrelcastor_screens" "$out/wm" || status=$?
# 77: no window manager here; the plain screenshots stand.
[ "$status" -eq 0 ] || [ "$status" -eq 77 ]
