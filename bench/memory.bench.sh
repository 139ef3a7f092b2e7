#!/usr/bin/env bash
# The memory of one conversion at the largest size the import checks allow (10,000 x 10,000):
# each worst-case input (JPEG baseline, turned by its Exif orientation, progressive with and
# without chroma subsampling, and progressive CMYK, which is refused; PNG 8/16-bit with alpha
# and interlaced; PNG headers claiming a 16-bit picture with no pixels; TIFF strips and tiles
# of 8 and 16 bits; BMP, GIF, a GIF frame on a 30,000 x 30,000 screen, WebP; and JPEG,
# interlaced PNG and BMP cut short) is converted in its own process, and its peak resident
# memory and time are printed.
#
#   bash bench/memory.bench.sh [build-dir]
#
# Builds nothing: `make bench` has built memory_bench. The inputs are made once in
# <build-dir>/bench-memory-corpus (about 700 MB) and reused.
# Goal: every peak under 700 MB.
set -euo pipefail

build=${1:-build}
tool="$build/bench/memory_bench"
corpus="$build/bench-memory-corpus"

if [ ! -x "$tool" ]; then
    echo "memory.bench.sh: $tool is missing; build it first (make build)" >&2
    exit 1
fi
if [ ! -x /usr/bin/time ]; then
    echo "memory.bench.sh: /usr/bin/time is missing (Debian package time)" >&2
    exit 1
fi

"$tool" corpus "$corpus"

echo "load average before the runs: $(cut -d ' ' -f 1-3 /proc/loadavg)"
printf '%-32s %10s %9s  %s\n' input "peak MB" seconds result
status=0
while read -r input; do
    report=$(mktemp)
    if ! result=$(/usr/bin/time -f '%M %e' -o "$report" "$tool" convert "$input" 2>/dev/null); then
        result="the run failed"
        status=1
    fi
    read -r kb seconds <"$report" || true
    rm -f "$report"
    printf '%-32s %10d %9s  %s\n' "$(basename "$input")" $((kb / 1024)) "$seconds" \
        "$(cut -d ' ' -f 3- <<<"$result")"
    [ $((kb / 1024)) -lt 700 ] || status=1
done < <("$tool" list "$corpus")
exit "$status"
