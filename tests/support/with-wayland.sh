#!/usr/bin/env bash
# with-wayland.sh COMMAND...: runs COMMAND natively on Wayland, as it runs on today's GNOME and
# KDE desktops: under a compositor of its own (weston, headless, an 800 x 600 output), with the
# wayland platform and no X display to fall back to. Exits 77, which CTest counts as skipped,
# when weston or Qt's Wayland platform plugin (qt6-wayland) is not installed.
plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null)
if ! command -v weston >/dev/null || ! compgen -G "$plugins/platforms/libqwayland-*.so" >/dev/null
then
    echo "with-wayland.sh: weston or qt6-wayland is not installed; skipped"
    exit 77
fi

# The compositor's socket lives in a runtime folder of this run alone (mktemp makes it 0700,
# as Wayland clients require), so parallel runs never meet.
runtime=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime
socket=wayland-vc
weston --backend=headless-backend.so --socket=$socket --width=800 --height=600 \
    --idle-time=0 --log="$runtime/weston.log" &
compositor=$!
trap 'kill $compositor 2>/dev/null; wait $compositor 2>/dev/null; rm -rf "$runtime"' EXIT
for i in $(seq 100); do
    [ -S "$runtime/$socket" ] && break
    sleep 0.1
done
if ! [ -S "$runtime/$socket" ]; then
    echo "with-wayland.sh: weston did not start" >&2
    cat "$runtime/weston.log" >&2
    exit 1
fi

# Mesa unloads its driver when Qt closes the display; what the driver kept from its set-up
# is then traced back to libEGL_mesa (tests/sanitizers/lsan.supp) only by the slow unwinder.
export LSAN_OPTIONS=${LSAN_OPTIONS:+$LSAN_OPTIONS:}fast_unwind_on_malloc=0

# A headless weston has no seat (the keyboard and pointer every desktop has), and Qt 6.4's
# support of weston's text-input protocol (zwp_text_input_v1) reaches for the missing seat as
# soon as a text field draws its cursor, and crashes. Qt is told to use only a text-input
# protocol that weston does not offer.
env -u DISPLAY WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland \
    QT_WAYLAND_TEXT_INPUT_PROTOCOL=zwp_text_input_v2 "$@"
