#!/usr/bin/env bash
# The thumbnail grid under load, in a shown view (offscreen):
#   photos  1,000 photos of 4000 x 3000 (JPEG Q90, about 3 MB each) imported one by one; the
#           import time, the time until every thumbnail is made, the peak memory and the
#           longest stall of the GUI thread's event loop
#   camera  the same 1,000 photos as a camera stores them: each with an Exif block that holds a
#           160 x 120 thumbnail, one in four a portrait stored on its side with orientation 6;
#           the same figures
#   many    9,999 small images (160 x 120, so every thumbnail is a full 104 x 78) imported;
#           the peak memory, then a scroll from top to bottom a page at a time
#
#   bash bench/thumbs.bench.sh [build-dir]
#
# Builds nothing: `make bench` has built thumbs_bench. The photo corpus is made once in
# <build-dir>/bench-thumbs-corpus (about 6 GB with the camera files) and reused; the work
# copies go to a temporary folder under /tmp (about 3 GB for a run), removed after each run.
# Goals: photos: every thumbnail within 60 s on two cores, no stall over 50 ms; camera: every
# thumbnail within 3 s; many: peak memory < 400 MB.
# Experiments by hand (the window does neither): thumbs_bench photos DIR --pause-renderer (no
# thumbnail before the import is done) or --nice-workers 10 (the GUI thread before the workers).
set -euo pipefail

build=${1:-build}
tool="$build/bench/thumbs_bench"
corpus="$build/bench-thumbs-corpus"

if [ ! -x "$tool" ]; then
    echo "thumbs.bench.sh: $tool is missing; build it first (make build)" >&2
    exit 1
fi
export QT_QPA_PLATFORM=offscreen

"$tool" corpus "$corpus"

# The runs' temporary folders go into one of ours, removed however the runs end.
scratch=$(mktemp -d /tmp/thumbs-bench.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch

# Other work on the machine shows in the figures: say how busy it was.
echo "load average before the runs: $(cut -d ' ' -f 1-3 /proc/loadavg)"
# Each run in its own process, so that each peak memory is its own. A failed run is reported
# and the next one still runs.
status=0
"$tool" photos "$corpus" || {
    echo "thumbs.bench.sh: the photos run failed (exit status $?)" >&2
    status=1
}
"$tool" camera "$corpus" || {
    echo "thumbs.bench.sh: the camera run failed (exit status $?)" >&2
    status=1
}
"$tool" many || {
    echo "thumbs.bench.sh: the many run failed (exit status $?)" >&2
    status=1
}
exit "$status"
