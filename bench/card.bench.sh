#!/usr/bin/env bash
# What keeping a card's order costs: on FAT32 and exFAT images mounted through FUSE (as root),
# a batch run writes COUNT small images into one folder; then one more image is written twice,
# once after the user deleted image 3 (its freed directory slot takes the new name, and the run
# moves the files from there on out and back in order) and once into a folder in order. The
# difference is the restore. Needs root, /dev/fuse and the card tools of install-deps.sh.
# fusefat is slow with large folders (every lookup walks the directory): with 1,000 images the
# FAT32 part takes minutes, hence 300 by default.
#   bench/card.bench.sh [BUILD] [COUNT]
set -euo pipefail
build=${1:-build}
count=${2:-300}
program=$build/vimbrelcastor
if [ "$(id -u)" -ne 0 ] || [ ! -e /dev/fuse ]; then
    echo "card.bench.sh: needs root and /dev/fuse; skipped"
    exit 0
fi
work=$(mktemp -d)
loop=
cleanup() {
    fusermount -u "$work/card" 2>/dev/null || true
    [ -n "$loop" ] && losetup -d "$loop" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/card" "$work/in" "$work/one"
for i in $(seq 1 "$count"); do
    printf -v name '%s/in/%05d.jpg' "$work" "$i"
    vips black "$name" 64 48 --bands 3
done
vips black "$work/one/one.jpg" 64 48 --bands 3

seconds() { # the wall time of a command, in seconds
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    awk "BEGIN { print $end - $start }"
}

for fs in FAT32 exFAT; do
    truncate -s 512M "$work/card.img"
    if [ "$fs" = FAT32 ]; then
        mkfs.vfat -F 32 "$work/card.img" >/dev/null
        fusefat -o rw+ "$work/card.img" "$work/card" 2>/dev/null
    else
        mkfs.exfat "$work/card.img" >/dev/null
        loop=$(losetup -f --show "$work/card.img")
        mount.exfat-fuse "$loop" "$work/card" >/dev/null 2>&1
    fi
    run=("$program" --batch --card "$work/card" --folder 100 --on-conflict next)
    all=$(seconds "${run[@]}" "$work/in")
    rm "$work/card/DCIM/100RODIV/DUVU0003.JPG"
    hole=$(seconds "${run[@]}" "$work/one")
    inorder=$(seconds "${run[@]}" "$work/one")
    printf '%s, %d images: writing them %.2f s; one more after a deleted image %.2f s, ' \
        "$fs" "$count" "$all" "$hole"
    printf 'into an ordered folder %.2f s: the restore %.2f s\n' "$inorder" \
        "$(awk "BEGIN { print $hole - $inorder }")"
    fusermount -u "$work/card"
    if [ -n "$loop" ]; then
        losetup -d "$loop"
        loop=
    fi
    rm "$work/card.img"
done
