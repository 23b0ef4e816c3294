#!/usr/bin/env python3
"""Prints each library call's time beside its reference, from a benchmark run.

Usage: ratios.py RUN.json

where RUN.json comes from, for example,
    build/bench/bench/seqtrace_bench --benchmark_repetitions=9 \
        --benchmark_enable_random_interleaving=true \
        --benchmark_out=RUN.json --benchmark_out_format=json

A ratio is library time / reference time: below 1 the library is faster. Each
goal is a bound on that ratio; the last column says whether this run met it.
"""
import json
import sys

# (library benchmark, reference benchmark, bound on library/reference, what it means)
PAIRS = [
    ("BM_delta2_encode/16384", "BM_delta2_encode_plain/16384", 1 / 5, ">= 5x faster"),
    ("BM_delta1_encode/16384", "BM_delta1_encode_plain/16384", 1 / 5, ">= 5x faster"),
    ("BM_delta2_encode/16384", "BM_delta2_encode_scalar/16384", 1 / 5, ">= 5x faster (unvectorised loop)"),
    ("BM_delta2_encode/1048576", "BM_delta2_encode_plain/1048576", None, ""),
    ("BM_delta1_encode/1048576", "BM_delta1_encode_plain/1048576", None, ""),
    ("BM_delta2_decode/16384", "BM_delta2_decode_plain/16384", 1 / 2, ">= 2x faster"),
    ("BM_delta1_decode/16384", "BM_delta1_decode_plain/16384", 1 / 2, ">= 2x faster"),
    ("BM_delta2_decode/1048576", "BM_delta2_decode_plain/1048576", 1 / 2, ">= 2x faster"),
    ("BM_delta1_decode/1048576", "BM_delta1_decode_plain/1048576", 1 / 2, ">= 2x faster"),
    ("BM_delta2_encode/16384", "BM_delta2_memcpy/16384", None, ""),
    ("BM_delta1_encode/16384", "BM_delta1_memcpy/16384", None, ""),
    ("BM_delta2_decode/16384", "BM_delta2_memcpy/16384", None, ""),
    ("BM_delta1_decode/16384", "BM_delta1_memcpy/16384", None, ""),
    ("BM_read_fofn", "BM_read_fofn_fgets_sscanf", 1 / 3, ">= 3x faster"),
    ("BM_read_fofn", "BM_read_fofn_fgets", 1.5, "within 1.5x"),
    ("BM_be_read_int_4", "BM_be_read_int_4_fread", 1.1, "within 1.1x"),
    ("BM_le_write_int_2", "BM_le_write_int_2_fwrite", 1.1, "within 1.1x"),
    ("BM_array_ref_fill", "BM_array_ref_fill_vector", 1.25, "within 1.25x"),
    ("BM_compressed_file_exists", "BM_compressed_file_exists_stats", 1.1, "within 1.1x"),
]


def main(path):
    with open(path) as f:
        run = json.load(f)
    # With --benchmark_repetitions the medians are used, else the single runs.
    times = {}
    medians = {}
    for b in run["benchmarks"]:
        if b.get("run_type", "iteration") == "iteration":
            times[b["name"]] = (b["real_time"], b["time_unit"])
        elif b.get("aggregate_name") == "median":
            medians[b["run_name"]] = (b["real_time"], b["time_unit"])
    times.update(medians)
    scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}
    print(f"{'library':28} {'reference':34} {'lib ns':>12} {'ref ns':>12} {'ratio':>7} {'speed-up':>8}  goal")
    missed = 0
    for lib, ref, bound, goal in PAIRS:
        if lib not in times or ref not in times:
            print(f"{lib:28} {ref:34} missing from the run")
            missed += 1
            continue
        lt = times[lib][0] * scale[times[lib][1]]
        rt = times[ref][0] * scale[times[ref][1]]
        ratio = lt / rt
        verdict = "" if bound is None else ("met" if ratio <= bound else "MISSED")
        print(f"{lib:28} {ref:34} {lt:12.1f} {rt:12.1f} {ratio:7.3f} {rt / lt:7.2f}x  {goal} {verdict}")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
