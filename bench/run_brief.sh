#!/bin/sh
# run_brief.sh BENCH RATIOS_SCRIPT OUT.json: every benchmark once, briefly, then
# the ratio table from that run (its figures mean nothing at this length).
set -eu
"$1" --benchmark_min_time=0.001 --benchmark_out="$3" --benchmark_out_format=json >/dev/null
python3 "$2" "$3"
