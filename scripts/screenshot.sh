#!/usr/bin/env bash
# Writes screenshots of the program's windows into build/screens/: the main window in English
# and Japanese, an open menu, each message box and the dialogs, drawn on a virtual X display
# (Xvfb); the same windows on a 2x (HiDPI) screen into build/screens/2x/; then the same windows
# as a desktop shows them, under a window manager (openbox) on a small screen of 800 x 600, into
# build/screens/wm/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
out=${1:-$build/screens}
bash scripts/install-deps.sh
cmake --build "$build" --target vimbrelcastor_screens >/dev/null
mkdir -p "$out"

# The tour talks to the disk service's stand-in, which knows a card for each language (a
# folder here, named in VC_SCREENS_CARDS): the destination dialog lists it as a real card, and
# Eject card unmounts it.
with_cards() {
    bash tests/support/with-udisks.sh bash -c '
        cards=$(mktemp -d)
        for language in en ja; do
            mkdir -p "$cards/$language"
            bash tests/support/udisks-add-card.sh "reader_$language" "$cards/$language" CARD
        done
        VC_SCREENS_CARDS=$cards "$@"
        status=$?
        rm -rf "$cards"
        exit $status' with-cards "$@"
}

with_cards xvfb-run -a -s "-screen 0 1280x800x24" "$build/vimbrelcastor_screens" "$out"
# The same 800 x 800 logical pixels on an X display of twice the pixels, Qt scaling the whole
# program by 2 as on a HiDPI desktop: the screenshots show whether the skin and the thumbnails
# are drawn with the screen's pixels.
with_cards env QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=2 xvfb-run -a -s "-screen 0 1600x1600x24" \
    "$build/vimbrelcastor_screens" "$out/2x"
status=0
with_cards bash tests/support/with-window-manager.sh "$build/vimbrelcastor_screens" "$out/wm" ||
    status=$?
# 77: no window manager here; the plain screenshots stand.
[ "$status" -eq 0 ] || [ "$status" -eq 77 ]
