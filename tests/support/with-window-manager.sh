#!/usr/bin/env bash
# with-window-manager.sh COMMAND...: runs COMMAND as a program on an ordinary desktop runs: on
# a virtual display of 800 x 600 pixels (Xvfb) under the openbox window manager, with the xcb
# platform. Exits 77, which CTest counts as skipped, when Xvfb or openbox is not installed.
for tool in xvfb-run Xvfb openbox xprop xwininfo; do
    if ! command -v "$tool" >/dev/null; then
        echo "with-window-manager.sh: $tool is not installed; skipped"
        exit 77
    fi
done

started=$(mktemp)
trap 'rm -f "$started"' EXIT
# Two servers started at once may pick the same free display number; the later one then fails
# before running anything and is tried again.
for attempt in 1 2 3; do
    rm -f "$started"
    xvfb-run -a -s "-screen 0 800x600x24" bash -c '
        : >"$0"
        openbox --sm-disable >/dev/null 2>&1 &
        wm=$!
        # Ready once it names itself on the root window.
        for i in $(seq 100); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
            sleep 0.1
        done
        QT_QPA_PLATFORM=xcb "$@"
        status=$?
        kill $wm 2>/dev/null
        wait $wm 2>/dev/null
        exit $status' "$started" "$@"
    status=$?
    [ -e "$started" ] && exit $status
    sleep 1
done
echo "with-window-manager.sh: the virtual display did not start" >&2
exit 1
