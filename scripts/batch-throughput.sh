#!/bin/sh
# Rows per second and peak memory of the real elprops-cli batch on a large
# file, with one job and with the default (one per core), in CSV and JSON.
#
#   scripts/batch-throughput.sh [ROWS] [PROGRAM]
#
# ROWS defaults to 10 million; PROGRAM to the release build's elprops-cli.
# Two inputs: a repetitive one that mixes every substance, mass fractions and
# temperatures across their ranges, and one row in a thousand that is not a
# point; and one like a measurement log, where no text comes back soon (every
# concentration with four significant digits, every temperature with two
# decimals). Output goes to /dev/null. The floor (reading, parsing,
# compute_many and writing the five properties, one thread) comes from
# bench_batch beside the program, when it is built. Each figure is the best of three runs (the machine may be
# shared); the peak memory is the resident peak of that run.
set -eu

rows=${1:-10000000}
here=$(cd "$(dirname "$0")/.." && pwd)
program=${2:-$here/build/release/cli/elprops-cli}
[ -x "$program" ] || { echo "batch-throughput: no program $program (build the release preset first)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "batch-throughput: needs /usr/bin/time (Debian package time)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
input=$work/points.csv
unique=$work/unique.csv

python3 - "$rows" "$input" "$unique" <<'EOF'
import sys
rows, path, unique = int(sys.argv[1]), sys.argv[2], sys.argv[3]
with open(unique, "w", encoding="ascii") as out:
    out.write("substance,concentration,temperature\n")
    chunk = []
    for i in range(rows):
        s = 1 + i % 19
        digits = 1000 + (i * 7919) % 3900
        w = "" if s == 19 else (f"0.{digits:04d}" if i % 2 == 0 else f"0.0{digits:04d}")
        h = 1 + (i * 104729) % 18000
        chunk.append(f"{s},{w},{h // 100}.{h % 100:02d}\n")
        if len(chunk) == 100000:
            out.write("".join(chunk))
            chunk.clear()
    out.write("".join(chunk))
with open(path, "w", encoding="ascii") as out:
    out.write("substance,concentration,temperature\n")
    chunk = []
    for i in range(rows):
        if i % 1000 == 999:
            chunk.append("NaCl,x,20\n")
        else:
            s = 1 + i % 19
            w = 0 if s == 19 else 0.01 * (1 + (i // 19) % 25)
            t = 1 + (i // 475) % 99 + 0.25 * (i % 4)
            chunk.append(f"{s},{w:g},{t:g}\n")
        if len(chunk) == 100000:
            out.write("".join(chunk))
            chunk.clear()
    out.write("".join(chunk))
EOF
bytes=$(wc -c <"$input")
echo "input: $rows rows, $bytes bytes (unique: $(wc -c <"$unique") bytes); cores: $(nproc); load: $(cut -d' ' -f1-3 /proc/loadavg)"

measure() {
  label=$1
  shift
  best=""
  for _ in 1 2 3; do
    status=0
    /usr/bin/time -f "%e %M %U %S" -o "$work/time" "$program" batch "$@" >/dev/null 2>"$work/errors" || status=$?
    # 1: some rows were not points, as the input asks
    if [ "$status" -gt 1 ]; then
      echo "batch-throughput: $label: elprops-cli exited with $status:" >&2
      cat "$work/errors" >&2
      exit 1
    fi
    # time puts a line about the exit status first when it is not 0
    read -r seconds kilobytes user system <<EOF_TIME
$(tail -n 1 "$work/time")
EOF_TIME
    if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best=$seconds
      best_kb=$kilobytes
      best_cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')
    fi
  done
  rate=$(awk -v n="$rows" -v s="$best" 'BEGIN { printf "%.0f", (s > 0 ? n / s : 0) }')
  cpu_ns=$(awk -v n="$rows" -v c="$best_cpu" 'BEGIN { printf "%.0f", c * 1e9 / n }')
  printf '%-30s %8.2f s wall %8.2f s cpu %6s ns cpu/row %12s rows/s  peak %7s kB\n' "$label" "$best" "$best_cpu" \
    "$cpu_ns" "$rate" "$best_kb"
}

for kind in repetitive unique; do
  file=$input
  [ "$kind" = unique ] && file=$unique
  measure "$kind csv, --jobs 1" --jobs 1 "$file"
  measure "$kind csv, default jobs" "$file"
  measure "$kind json, --jobs 1" --jobs 1 --format json "$file"
  measure "$kind json, default jobs" --format json "$file"
done

bench=$(dirname "$program")/../bench/bench_batch
if [ -x "$bench" ]; then
  "$bench" --benchmark_filter='Floor' --benchmark_format=json 2>/dev/null | python3 -c '
import json, sys
for b in json.load(sys.stdin)["benchmarks"]:
    print("%-30s %6.0f ns cpu/row (one thread, 1 M rows)" % (b["name"].split("/")[0], b["cpu_ns_per_point"]))'
else
  echo "floor: no $bench (build the bench_batch target)"
fi
