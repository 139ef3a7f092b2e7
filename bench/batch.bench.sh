#!/usr/bin/env bash
# The batch mode, two cores: `vimbrelcastor --batch --card` over a mixed corpus (JPEG photos,
# PNG screenshots, BMP and TIFF files) against the floor on two threads (a decode at the
# reduced size, a bilinear resize, one plain encode) and two command-line peers run one process
# per image, one at a time and two at a time:
#   vips         vips thumbnail + vips gravity, as pipeline.bench.sh runs them
#   ImageMagick  convert with the JPEG size hint, resize, extent on black
# The peers keep their default threading.
#
#   bash bench/batch.bench.sh [build-dir]
#
# Builds nothing: `make bench` has built pipeline_bench and vimbrelcastor. The corpus is made
# once in <build-dir>/bench-batch-corpus and reused; outputs go to <build-dir>/bench-batch-out.
# Ours is timed as a whole process (start-up, the work copies of the inputs, every write) into
# an empty card each pass; its peak memory is the largest resident size of its passes. Ours and
# the floor also report processor time (user + system), which other work on the machine
# disturbs less than wall time.
# Goals: ours / best peer >= 3 (images per second), ours / floor close to 1 (here >= 0.9),
# peak memory of ours < 300 MB.
set -euo pipefail

build=${1:-build}
tool="$build/bench/pipeline_bench"
program="$build/vimbrelcastor"
corpus="$build/bench-batch-corpus"
out="$build/bench-batch-out"
runs=3

fail() {
    echo "batch.bench.sh: $*" >&2
    exit 1
}

[ -x "$tool" ] || fail "$tool is missing; build it first (make build)"
[ -x "$program" ] || fail "$program is missing; build it first (make build)"
command -v vips >/dev/null || fail "the vips command-line tools are missing (libvips-tools)"
# GNU time reports the peak resident size; the shell's keyword does not.
[ -x /usr/bin/time ] || fail "/usr/bin/time is missing (the time package)"
# The real ImageMagick: a convert earlier on PATH may be a wrapper script with its own cost.
magick=""
for candidate in /usr/bin/convert-im6.q16 /usr/bin/convert-im7.q16 /usr/bin/convert; do
    if [ -x "$candidate" ] && [ "$(head -c 2 "$candidate")" != "#!" ]; then
        magick=$candidate
        break
    fi
done
[ -n "$magick" ] || fail "ImageMagick's convert is missing (imagemagick)"

"$tool" batch-corpus "$corpus"

shopt -s nullglob
inputs=("$corpus"/*.bmp "$corpus"/*.jpg "$corpus"/*.png "$corpus"/*.tif)
shopt -u nullglob
count=${#inputs[@]}
[ "$count" -gt 0 ] || fail "no images in $corpus"
rm -rf "$out"
mkdir -p "$out"

now() { date +%s.%N; }
# The smaller of two durations, the first when there is no second yet.
shorter() { awk -v t="$1" -v b="$2" 'BEGIN { if (b == "" || t < b) print t; else print b }'; }
rate() { awk -v n="$count" -v t="$1" 'BEGIN { printf "%.2f", n / t }'; }
report() {  # title, seconds
    awk -v title="$1" -v n="$count" -v t="$2" \
        'BEGIN { printf "  %-34s %3d images %8.2f images/s %8.2f ms/image\n", title, n, n / t, 1000 * t / n }'
}

# Other work on the machine shows in the figures: say how busy it was.
load_start=$(cut -d ' ' -f 1 /proc/loadavg)
echo "corpus: $count images in $corpus; best of $runs passes each"

# ---- ours ----
best=""
best_cpu=""
peak=0
passes=""
for ((run = 0; run < runs; run++)); do
    card="$out/card"
    rm -rf "$card"
    mkdir -p "$card"
    start=$(now)
    /usr/bin/time -f '%M %U %S' -o "$out/ours.time" \
        "$program" --batch --card "$card" "$corpus" >"$out/ours.txt" 2>"$out/ours.err" ||
        fail "vimbrelcastor --batch failed: $(cat "$out/ours.err")"
    end=$(now)
    written=$(wc -l <"$out/ours.txt")
    [ "$written" -eq "$count" ] || fail "vimbrelcastor wrote $written of $count images"
    took=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.2f", e - s }')
    passes+=" $took"
    best=$(shorter "$took" "$best")
    read -r rss user system < <(tail -n 1 "$out/ours.time")
    if [ "$rss" -gt "$peak" ]; then peak=$rss; fi
    best_cpu=$(shorter "$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')" "$best_cpu")
done
ours=$(rate "$best")
report "ours (vimbrelcastor --batch)" "$best"
echo "    its passes (s):$passes"
awk -v n="$count" -v t="$best_cpu" \
    'BEGIN { printf "  %-34s %3d images %8.2f ms/image\n", "its processor time", n, 1000 * t / n }'

# ---- the floor ----
floor_report=$("$tool" floor2 "$corpus" "$out/floor")
echo "$floor_report"
floor=$(awk '$1 == "overall" { print $4 }' <<<"$floor_report")
floor_cpu=$(awk '$1 == "processor" { print $5 }' <<<"$floor_report")

# ---- the peers ----
# One line per image for xargs: its number and its path.
list="$out/inputs.list"
: >"$list"
for ((i = 0; i < count; i++)); do
    printf '%04d\0%s\0' "$((i + 1))" "${inputs[$i]}" >>"$list"
done

# Per image: sh -c SCRIPT sh FOLDER CONVERT NUMBER PATH. Each image gets its own scratch and
# output names, so two processes never share a file.
# shellcheck disable=SC2016  # expanded by that sh
vips_script='vips thumbnail "$4" "$1/$3.v" 800 --height 600 &&
    vips gravity "$1/$3.v" "$1/DUVU$3.JPG[Q=98,strip]" centre 800 600 --extend black &&
    rm -f "$1/$3.v"'
# shellcheck disable=SC2016
magick_script='"$2" -define jpeg:size=1600x1200 "$4" -resize 800x600 -background black \
    -gravity center -extent 800x600 -quality 98 "$1/DUVU$3.JPG"'

# Runs one peer over the corpus, the given number of processes at a time; prints the best
# pass in seconds.
peer_time() {  # script, processes, folder
    local script=$1 processes=$2 folder=$3 peer_best="" start end run
    for ((run = 0; run < runs; run++)); do
        rm -rf "$folder"
        mkdir -p "$folder"
        start=$(now)
        xargs -0 -n 2 -P "$processes" sh -c "$script" sh "$folder" "$magick" <"$list" ||
            fail "a peer failed in $folder"
        end=$(now)
        peer_best=$(shorter "$(awk -v s="$start" -v e="$end" 'BEGIN { print e - s }')" "$peer_best")
    done
    local made
    made=$(find "$folder" -name 'DUVU*.JPG' | wc -l)
    [ "$made" -eq "$count" ] || fail "the peer wrote $made of $count images in $folder"
    echo "$peer_best"
}

echo "peers: one process per image, best of $runs passes"
declare -A peer
for processes in 1 2; do
    t=$(peer_time "$vips_script" "$processes" "$out/vips-$processes")
    peer[vips$processes]=$(rate "$t")
    report "vips tools, $processes at a time" "$t"
    t=$(peer_time "$magick_script" "$processes" "$out/magick-$processes")
    peer[magick$processes]=$(rate "$t")
    report "ImageMagick, $processes at a time" "$t"
done

best_peer=$(printf '%s\n' "${peer[@]}" | sort -g | tail -n 1)
echo "summary (images/s, two cores; load average before the run: $load_start):"
awk -v ours="$ours" -v bottom="$floor" -v peer="$best_peer" -v kb="$peak" \
    -v ours_cpu="$(awk -v n="$count" -v t="$best_cpu" 'BEGIN { print 1000 * t / n }')" \
    -v floor_cpu="$floor_cpu" \
    -v v1="${peer[vips1]}" -v v2="${peer[vips2]}" -v m1="${peer[magick1]}" \
    -v m2="${peer[magick2]}" 'BEGIN {
    printf "  ours                %8.2f\n  floor               %8.2f\n", ours, bottom
    printf "  vips, 1 / 2 at once %8.2f %8.2f\n", v1, v2
    printf "  magick, 1 / 2       %8.2f %8.2f\n", m1, m2
    speedup = ours / peer
    share = ours / bottom
    mb = kb / 1024
    printf "  ours / best peer    %8.2f  (goal >= 3: %s)\n", speedup, (speedup >= 3 ? "met" : "MISSED")
    printf "  ours / floor        %8.2f  (goal >= 0.9: %s)\n", share, (share >= 0.9 ? "met" : "MISSED")
    printf "  processor time, floor / ours %5.2f  (%.1f against %.1f ms/image)\n", floor_cpu / ours_cpu, floor_cpu, ours_cpu
    printf "  ours, peak memory   %8.1f MB  (goal < 300: %s)\n", mb, (mb < 300 ? "met" : "MISSED")
}'
