#!/usr/bin/env python3
"""Two-core scaling of every node benchmark, beside what the machine allows.

For each row of swatcher_bench at one side and SIMD level this takes, over
several interleaved rounds, the best time on one thread, on every core, and
on one thread while a second process runs the same row on the other core.
The last gives the ceiling: two independent renders side by side share
nothing but the machine (caches, memory bus, the host's scheduling), so
2 x t1 / t_paired bounds what splitting one render can reach.

    bench/scaling.py build/bench/swatcher_bench [--side 2048] [--rounds 5]
"""
import argparse
import csv
import io
import re
import subprocess
import sys


def pattern(name):
    """The benchmark's filter matching only `name`."""
    return "^" + re.sub(r"([.^$*+?()[\]{}|\\])", r"\\\1", name) + "$"


def run(bench, name, min_time):
    """Starts one run of the row `name`; returns the process."""
    return subprocess.Popen(
        [bench, f"--benchmark_filter={pattern(name)}", f"--benchmark_min_time={min_time}",
         "--benchmark_format=csv"],
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)


def milliseconds(process):
    out, _ = process.communicate()
    for row in csv.reader(io.StringIO(out)):
        if row and row[0].startswith("BM_"):
            return float(row[2])
    raise RuntimeError("no time in the benchmark's output")


def rows(bench, side, level):
    listed = subprocess.run([bench, "--benchmark_list_tests"], capture_output=True, text=True,
                            check=True).stdout.split()
    one = [n for n in listed if f"/{level}/side:{side}/threads:1/" in n]
    return [(n, n.replace("/threads:1/", "/threads:0/")) for n in one]


def top_level(bench):
    listed = subprocess.run([bench, "--benchmark_list_tests"], capture_output=True, text=True,
                            check=True).stdout
    for level in ("avx512", "avx2", "sse2", "plain"):
        if f"/{level}/" in listed:
            return level
    raise RuntimeError("no node rows")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("bench")
    parser.add_argument("--side", type=int, default=2048)
    parser.add_argument("--level")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--min-time", type=float, default=0.2)
    parser.add_argument("--filter", default="", help="only rows whose name contains this")
    args = parser.parse_args()
    level = args.level or top_level(args.bench)
    print(f"{'row':36} {'1 thread':>9} {'2 threads':>9} {'speed-up':>8} {'ceiling':>8}")
    for single, every in rows(args.bench, args.side, level):
        if args.filter not in single:
            continue
        t1 = t2 = paired = float("inf")
        for _ in range(args.rounds):
            t1 = min(t1, milliseconds(run(args.bench, single, args.min_time)))
            t2 = min(t2, milliseconds(run(args.bench, every, args.min_time)))
            pair = [run(args.bench, single, args.min_time) for _ in range(2)]
            paired = min(paired, max(milliseconds(p) for p in pair))
        name = single.split(f"/{level}/")[0]
        print(f"{name:36} {t1:9.2f} {t2:9.2f} {t1 / t2:8.2f} {2 * t1 / paired:8.2f}", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
