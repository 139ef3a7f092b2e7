#!/usr/bin/env bash
# The slide import of a generated 30-slide presentation against its floor: soffice converting
# it to PDF alone, then every page rendered at the export size. Goal: ours within 1.2 times.
#
#   bash bench/slides.bench.sh [build-dir]
set -euo pipefail
build=${1:-build}
tool="$build/bench/slides_bench"
if [ ! -x "$tool" ]; then
    echo "slides.bench.sh: $tool is missing; build it first (make build)" >&2
    exit 1
fi
if ! command -v soffice >/dev/null; then
    echo "slides.bench.sh: LibreOffice (soffice) is not installed" >&2
    exit 1
fi
"$tool" "$build/bench-slides"
