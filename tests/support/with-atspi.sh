#!/usr/bin/env bash
# with-atspi.sh COMMAND...: runs COMMAND as in a screen reader user's session: on a virtual
# display under a window manager (with-window-manager.sh), with a private message bus that is also the system bus (where the disk
# service's stand-in knows one card, mounted in a folder of its own, named in CARD) and the
# accessibility bus,
# Qt's accessibility switched on, and temporary and settings folders of its own. Exits 77, which
# CTest counts as skipped, when a part is not installed.
here=$(cd "$(dirname "$0")" && pwd)
launcher=/usr/libexec/at-spi-bus-launcher
if ! command -v xdotool >/dev/null || [ ! -x "$launcher" ] ||
    ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
    echo "with-atspi.sh: xdotool, at-spi2-core or python3-pyatspi is not installed; skipped"
    exit 77
fi
private=$(mktemp -d)
trap 'rm -rf "$private"' EXIT
mkdir -m 0700 "$private/runtime" "$private/tmp" "$private/config" "$private/card"
export XDG_RUNTIME_DIR=$private/runtime TMPDIR=$private/tmp XDG_CONFIG_HOME=$private/config
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
bash "$here/with-window-manager.sh" bash "$here/with-udisks.sh" bash -c '
    here=$0 card=$1
    shift
    "'"$launcher"'" --launch-immediately >/dev/null 2>&1 &
    launcher=$!
    bash "$here/udisks-add-card.sh" reader "$card" CARD
    CARD=$card "$@"
    status=$?
    kill $launcher 2>/dev/null
    exit $status' "$here" "$private/card" "$@"
