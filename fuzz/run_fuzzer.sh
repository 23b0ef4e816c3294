#!/bin/sh
# run_fuzzer.sh FUZZER WORK_DIR SEED_CORPUS
# Fuzzes for $SEQTRACE_FUZZ_SECONDS seconds (10 when unset). New inputs go to
# WORK_DIR/corpus and crash artifacts to WORK_DIR/artifacts, never into the
# committed seed corpus.
set -eu
fuzzer=$1 work=$2 seeds=$3
mkdir -p "$work/corpus" "$work/artifacts"
exec "$fuzzer" -max_total_time="${SEQTRACE_FUZZ_SECONDS:-10}" -timeout=30 \
  -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" "$seeds"
