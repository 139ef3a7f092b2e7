#!/usr/bin/env bash
# The image pipeline, one core: our conversion (fit to 800 x 600, JPEG Q98 with the Exif block
# and its thumbnail), the floor (a decode at the reduced size, a bilinear resize, one plain
# encode) and the vips command-line tools doing the same fit, one pair of processes per image.
#
#   bash bench/pipeline.bench.sh [build-dir]
#
# Builds nothing: `make bench` has built pipeline_bench. The corpus is made once in
# <build-dir>/bench-corpus and reused; outputs go to <build-dir>/bench-out.
# Goals: ours / peer >= 1.5 (images per second), floor / ours <= 1.3 (cost ratio), and the
# blurred fill under 1.3 times the black bars' time per image (portraits: the images that
# get bars at 800 x 600; screenshots get them above and below).
set -euo pipefail

build=${1:-build}
tool="$build/bench/pipeline_bench"
corpus="$build/bench-corpus"
out="$build/bench-out"
runs=3

if [ ! -x "$tool" ]; then
    echo "pipeline.bench.sh: $tool is missing; build it first (make build)" >&2
    exit 1
fi
if ! command -v vips >/dev/null; then
    echo "pipeline.bench.sh: the vips command-line tools are missing (libvips-tools)" >&2
    exit 1
fi

"$tool" corpus "$corpus"

# Images per second from the figure on the "overall" line.
overall_ips() { awk '$1 == "overall" { print $4 }'; }

ours_report=$("$tool" run "$corpus" "$out/ours")
echo "$ours_report"
ours=$(overall_ips <<<"$ours_report")

# Milliseconds per image on the line whose first word is $1.
ms_per_image() { awk -v w="$1" '$1 == w { print $(NF - 1) }'; }

blur_report=$("$tool" run "$corpus" "$out/blur" blur)
echo "$blur_report"

floor_report=$("$tool" floor "$corpus" "$out/floor")
echo "$floor_report"
floor=$(overall_ips <<<"$floor_report")

# The peer: per image, one process to fit within 800 x 600 (shrink-on-load, Lanczos 3) and
# one to centre it on black and write it. One thread per process, like ours.
mkdir -p "$out/peer"
shopt -s nullglob
inputs=("$corpus"/photo_*.jpg "$corpus"/portrait_*.jpg "$corpus"/screen_*.png)
shopt -u nullglob
if [ "${#inputs[@]}" -eq 0 ]; then
    echo "pipeline.bench.sh: no images in $corpus" >&2
    exit 1
fi
scratch="$out/peer/tmp.v"
best=""
for ((run = 0; run < runs; run++)); do
    number=0
    start=$(date +%s.%N)
    for input in "${inputs[@]}"; do
        number=$((number + 1))
        name=$(printf 'DUVU%04d.JPG' "$number")
        VIPS_CONCURRENCY=1 vips thumbnail "$input" "$scratch" 800 --height 600
        VIPS_CONCURRENCY=1 vips gravity "$scratch" "$out/peer/$name[Q=98,strip]" centre 800 600 \
            --extend black
    done
    end=$(date +%s.%N)
    best=$(awk -v s="$start" -v e="$end" -v b="$best" \
        'BEGIN { t = e - s; if (b == "" || t < b) print t; else print b }')
done
rm -f "$scratch"
count=${#inputs[@]}
peer=$(awk -v n="$count" -v t="$best" 'BEGIN { printf "%.2f", n / t }')
printf 'peer (vips thumbnail + vips gravity): %d images, best of %d passes, one thread\n' \
    "$count" "$runs"
awk -v n="$count" -v t="$best" -v ips="$peer" \
    'BEGIN { printf "  %-26s %3d images %8.2f images/s %8.2f ms/image\n", "overall", n, ips, 1000 * t / n }'

echo "summary (images/s, one core):"
awk -v ours="$ours" -v bottom="$floor" -v peer="$peer" 'BEGIN {
    printf "  ours  %8.2f\n  floor %8.2f\n  peer  %8.2f\n", ours, bottom, peer
    speedup = ours / peer
    cost = bottom / ours
    printf "  ours / peer   %6.2f  (goal >= 1.5: %s)\n", speedup, (speedup >= 1.5 ? "met" : "MISSED")
    printf "  floor / ours  %6.2f  (goal <= 1.3: %s)\n", cost, (cost <= 1.3 ? "met" : "MISSED")
}'
echo "fill (ms/image, one core):"
for line in portrait screenshot overall; do
    black=$(ms_per_image "$line" <<<"$ours_report")
    blur=$(ms_per_image "$line" <<<"$blur_report")
    awk -v l="$line" -v k="$black" -v b="$blur" 'BEGIN {
        printf "  %-10s black %7.2f  blur %7.2f  blur / black %5.2f  (goal < 1.3: %s)\n",
            l, k, b, b / k, (b / k < 1.3 ? "met" : "MISSED")
    }'
done
