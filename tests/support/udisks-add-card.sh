#!/usr/bin/env bash
# udisks-add-card.sh NAME ROOT LABEL: tells the disk service's stand-in (with-udisks.sh) of an
# 8 GB FAT32 card in a USB reader called NAME, mounted at ROOT.
set -euo pipefail
mock() {
    dbus-send --system --print-reply --dest=org.freedesktop.UDisks2 /org/freedesktop/UDisks2 \
        "org.freedesktop.DBus.Mock.$1" "${@:2}" >/dev/null
}
mock AddDrive "string:$1" boolean:true boolean:true string:usb
mock AddBlock "string:${1}1" "objpath:/org/freedesktop/UDisks2/drives/$1" "string:$3" \
    string:vfat string:FAT32 uint64:7948206080 boolean:false "string:$2"
