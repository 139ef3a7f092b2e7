#!/usr/bin/env bash
# Builds the Debian package (`make package`, which reuses the build in build/) and checks it as
# a user would get it: its files only under /usr, the program stripped, the program unpacked
# into a temporary root converting an image onto a card, the icon in every size, and the
# desktop entry and AppStream metadata accepted by their validators.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}

make --no-print-directory package BUILD="$build"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/vimbrelcastor_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "check-package: $deb was not made" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "check-package: $*" >&2
    exit 1
}

# Only the program's own files, and all of them under /usr.
outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '^\./usr/' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
[ "$(dpkg-deb -f "$deb" Section)" = graphics ] || fail "the section is not graphics"
# Depends as dpkg-shlibdeps found it.
[[ $(dpkg-deb -f "$deb" Depends) == *libvips42* ]] || fail "Depends does not name libvips42"
# Without Qt's Wayland platform the window falls back to XWayland on a Wayland desktop.
[[ $(dpkg-deb -f "$deb" Recommends) == *qt6-wayland* ]] ||
    fail "Recommends does not name qt6-wayland"
# Without the metric-compatible office fonts the slides' text reflows.
for font in fonts-crosextra-carlito fonts-crosextra-caladea; do
    [[ $(dpkg-deb -f "$deb" Recommends) == *$font* ]] || fail "Recommends does not name $font"
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
program="$root/usr/bin/vimbrelcastor"
[ -x "$program" ] || fail "no usr/bin/vimbrelcastor"
[[ $(file -b "$program") == *", stripped"* ]] || fail "usr/bin/vimbrelcastor is not stripped"
[ "$("$program" --version)" = "Vimbrelcastor ver $(dpkg-deb -f "$deb" Version)" ] ||
    fail "the program's version is not the package's"

# The unpacked program does its main job without a display: one generated photo onto a card
# (vips and vipsheader are libvips's own tools, installed for the benchmarks).
vips gaussnoise "$work/photo.png" 1200 900 --mean 128 --sigma 40
mkdir "$work/card"
written=$(env -u DISPLAY -u WAYLAND_DISPLAY \
    "$program" --batch --card "$work/card" "$work/photo.png")
[ "$written" = "$work/card/DCIM/100RODIV/DUVU0001.JPG" ] || fail "the batch run wrote: $written"
case "$(vipsheader "$written")" in
    *": 800x600 uchar, 3 bands, srgb, jpegload") ;;
    *) fail "not an 800 x 600 JPEG: $(vipsheader "$written")" ;;
esac

# The desktop entry, named after the AppStream id, and the icon it names in every size.
metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
[ ${#metainfo[@]} -eq 1 ] && [ -f "${metainfo[0]}" ] || fail "not one metainfo file"
id=$(basename "${metainfo[0]}" .metainfo.xml)
entry="$root/usr/share/applications/$id.desktop"
[ -f "$entry" ] || fail "no desktop entry $id.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate refused $id.desktop"
icon=$(sed -n 's/^Icon=//p' "$entry")
for side in 16 32 48 64 128 256; do
    png="$root/usr/share/icons/hicolor/${side}x${side}/apps/$icon.png"
    [ -f "$png" ] || fail "no ${side}x${side} icon"
    [ "$(vipsheader -f width "$png")x$(vipsheader -f height "$png")" = "${side}x${side}" ] ||
        fail "the ${side}x${side} icon is not ${side} x ${side}"
done
# The metainfo with the files it refers to (the launchable's desktop entry).
appstreamcli validate-tree --no-net --pedantic --strict "$root" ||
    fail "appstreamcli refused the tree"

echo "check-package: $deb is good ($(dpkg-deb -c "$deb" | grep -vc '/$') files)"
