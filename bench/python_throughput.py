#!/usr/bin/env python3
"""Points per second of the Python module, against the C++ library in the same run.

    python_throughput.py --module-dir BUILD/python --cpp-benchmark BUILD/bench/bench_api

Four figures on the same 2^20 points (every substance, admissible mass
fractions and temperatures):

  C++ compute_many      BM_ComputeMany of the Google Benchmark program
                        bench_api: the library's own cost per point
  Python array call     elprops.compute() on NumPy arrays of the points,
                        from the arguments to the result arrays
  array call + warning  the same, then reading the result's `warning`
                        array (the warnings are worked out when first
                        read; compute_many works out none)
  Python scalar loop    a Python loop of elprops.compute() on single values
                        (on a sample of the points)

Each figure is the processor time of the best run (the machine may be
shared: processor time leaves out the time the process waited), in rounds
that measure C++ and then Python, so that both meet the same moments. The
target: the array call costs at most 1.5 times what compute_many costs per
point (the call that computes what compute_many computes; the figure with
the warnings is reported beside it). Exits 1 when it is missed, or when the two
sides did not compute the same points (the benchmark's counters of failed
points and of the sum of the densities must equal the array call's).

`cmake --build --preset release --target bench_python_throughput` builds
both and runs this with the right paths.
"""
import argparse
import json
import subprocess
import sys
import time
import warnings

TARGET_RATIO = 1.5
POINTS = 1 << 20


def grid(np):
    """The points of BM_ComputeMany: the same float32 operations, the same values."""
    i = np.arange(POINTS, dtype=np.int64)
    substances = (1 + i % 19).astype(np.int32)
    fractions = np.float32(0.01) * (1 + (i // 19) % 25).astype(np.float32)
    fractions[substances == 19] = np.float32(0.0)
    temperatures = (1 + (i // 475) % 99).astype(np.float32)
    return substances, fractions, temperatures


def cpp_figures(program, repetitions):
    """Processor seconds per point of BM_ComputeMany (best repetition) and its counters."""
    run = subprocess.run([program, "--benchmark_filter=^BM_ComputeMany(/|$)", "--benchmark_format=json",
                          f"--benchmark_repetitions={repetitions}", "--benchmark_report_aggregates_only=false"],
                         capture_output=True, text=True, check=False)
    if run.returncode != 0:
        sys.exit(f"{program} failed ({run.returncode}): {run.stderr.strip()}")
    runs = [b for b in json.loads(run.stdout)["benchmarks"] if b.get("run_type") == "iteration"]
    if not runs:
        sys.exit(f"{program} reported no runs of BM_ComputeMany")
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
    best = min(b["cpu_time"] * scale[b["time_unit"]] for b in runs)
    return best / runs[0]["points"], runs[0]


def best_of(repetitions, action):
    best = float("inf")
    for _ in range(repetitions):
        start = time.process_time()
        action()
        best = min(best, time.process_time() - start)
    return best


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--module-dir", required=True, help="the folder that holds the built package elprops")
    parser.add_argument("--cpp-benchmark", required=True, help="the program bench_api")
    parser.add_argument("--rounds", type=int, default=5, help="rounds of C++ and Python measurements")
    parser.add_argument("--repetitions", type=int, default=3, help="runs of each side in a round")
    parser.add_argument("--scalar-sample", type=int, default=100_000, help="points of the scalar loop")
    args = parser.parse_args()

    sys.path.insert(0, args.module_dir)
    import numpy as np
    import elprops

    # The array call as compute_many's figure is: without the count of the
    # warned points that a shown ValidityWarning costs.
    warnings.simplefilter("ignore", elprops.ValidityWarning)
    substances, fractions, temperatures = grid(np)
    scalar_points = list(zip(substances[:args.scalar_sample].tolist(), fractions[:args.scalar_sample].tolist(),
                             temperatures[:args.scalar_sample].tolist()))

    def scalar_loop():
        for s, x, t in scalar_points:
            try:
                elprops.compute(s, x, t)
            except ValueError:
                pass

    # Rounds of C++ then Python, so that both meet the same moments of a
    # shared machine; the best of each counts.
    cpp = array = warned = scalar = float("inf")
    counters = None
    for _ in range(args.rounds):
        seconds, counters = cpp_figures(args.cpp_benchmark, args.repetitions)
        cpp = min(cpp, seconds)
        array = min(array, best_of(args.repetitions, lambda: elprops.compute(substances, fractions, temperatures)))
        warned = min(warned,
                     best_of(args.repetitions, lambda: elprops.compute(substances, fractions, temperatures).warning))
        scalar = min(scalar, best_of(1, scalar_loop))
    array /= POINTS
    warned /= POINTS
    scalar /= len(scalar_points)
    result = elprops.compute(substances, fractions, temperatures)

    failed = int(np.count_nonzero(result.error != ""))
    density_sum = float(np.sum(result.density[result.error == ""].astype(np.float64)))
    same = failed == int(counters["failed"]) and density_sum == counters["density_sum"]
    # The sum of C++ is taken point by point; NumPy's pairwise sum may differ
    # in the last bits, so compare to a relative 1e-12.
    if not same:
        same = failed == int(counters["failed"]) and abs(density_sum - counters["density_sum"]) <= 1e-12 * abs(
            density_sum)

    ratio = array / cpp
    print(f"{POINTS} points, elprops {elprops.version()}, processor time, best of {args.rounds} rounds "
          f"of {args.repetitions} runs")
    print(f"{'':22}{'points/s':>14}{'ns/point':>12}{'vs C++':>9}")
    for name, seconds in (("C++ compute_many", cpp), ("Python array call", array), ("array call + warning", warned),
                          ("Python scalar loop", scalar)):
        print(f"{name:22}{1 / seconds:14.4g}{seconds * 1e9:12.1f}{seconds / cpp:9.2f}")
    print(f"points with a warning or note: {int(np.count_nonzero(result.warning != ''))}")
    print(f"same points on both sides: {'yes' if same else 'NO'} "
          f"({failed} failed, density sum {density_sum:.17g} vs {counters['density_sum']:.17g})")
    met = ratio <= TARGET_RATIO
    print(f"target: array call at most {TARGET_RATIO} x the C++ cost per point: "
          f"{ratio:.2f} x, {'met' if met else 'NOT met'}")
    return 0 if met and same else 1


if __name__ == "__main__":
    sys.exit(main())
