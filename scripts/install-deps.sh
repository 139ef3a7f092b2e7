#!/usr/bin/env bash
# Installs the Debian packages that the build, the program and the tests need: only what is
# missing, quietly. As root it runs apt-get (one update first); otherwise it prints the
# command to run and fails.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ pkg-config make clang-format
    qt6-base-dev libvips-dev libexif-dev libpng-dev libjpeg-dev libgtest-dev
    # the program's Japanese texts, and Qt's own (file pickers, standard buttons)
    fonts-noto-cjk qt6-translations-l10n
    # slides: presentations are converted by a headless LibreOffice; the fonts of the common
    # office decks' widths (Calibri, Cambria), so that their text keeps its line breaks
    libreoffice-impress-nogui fonts-crosextra-carlito fonts-crosextra-caladea
    # the package: dpkg-shlibdeps and file for its Depends, validators of its desktop entry
    # and AppStream metadata
    dpkg-dev file desktop-file-utils appstream
    # tests: an Exif reader we did not write
    libimage-exiftool-perl
    # screenshots on a virtual display; the windows under a window manager (openbox), placed
    # as a desktop places them and read back from the X server (xwininfo, xprop)
    xvfb xauth openbox x11-utils
    # benchmarks: the peers measured side by side
    libvips-tools imagemagick time
    # tests: JPEG files written with arithmetic coding (cjpeg), colour profiles made by lcms2
    libjpeg-turbo-progs liblcms2-dev
    # tests: real card file systems, FAT32 and exFAT, made in image files and mounted through
    # FUSE; a FAT directory read back raw from the image (mtools)
    dosfstools exfatprogs fusefat exfat-fuse mtools
    # tests: the desktop's disk service played by python3-dbusmock on a private bus
    dbus-daemon dbus-bin python3-dbusmock
    # tests: the window read as a screen reader reads it (the accessibility bus, pyatspi) and
    # driven from the keyboard (xdotool)
    at-spi2-core python3-pyatspi gir1.2-atspi-2.0 xdotool
    # the program natively on Wayland (Qt's Wayland platform); tests: the windows under a
    # headless compositor (weston)
    qt6-wayland weston
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: missing packages; run:" >&2
    echo "  sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
fi
echo "install-deps: installing ${missing[*]}"
log=$(mktemp)
export DEBIAN_FRONTEND=noninteractive
if ! { apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}"; } \
        >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "install-deps: apt-get failed" >&2
    exit 1
fi
rm -f "$log"
