#!/usr/bin/env bash
# Builds the libFuzzer programs (fuzz preset: clang with AddressSanitizer
# and UndefinedBehaviorSanitizer) and runs each for a bounded time.
#
#   scripts/fuzz.sh [SECONDS]    total fuzzing time, 60 by default
#
# Exits non-zero when a fuzzer finds a crash, a sanitizer report or a
# broken check; the input that did it is left in build/fuzz/artifacts/.
# Installs nothing: scripts/install-deps.sh provides clang and its runtime.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
case "$seconds" in
  '' | *[!0-9]*)
    echo "usage: scripts/fuzz.sh [SECONDS]" >&2
    exit 2
    ;;
esac

if ! command -v clang++-14 >/dev/null 2>&1; then
  echo "error: clang++-14 is not installed (run scripts/install-deps.sh)" >&2
  exit 1
fi

# One fuzzer program per fuzz/*.cpp; only those and what they link are built.
targets=()
for src in fuzz/*.cpp; do
  [ -e "$src" ] && targets+=("$(basename "$src" .cpp)")
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "error: no fuzzer source in fuzz/" >&2
  exit 1
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2 --target "${targets[@]}"

build=build/fuzz
fuzzers=()
for t in "${targets[@]}"; do fuzzers+=("$build/fuzz/$t"); done

# The time is shared among the fuzzers, at least 10 seconds each.
each=$((seconds / ${#fuzzers[@]}))
[ "$each" -lt 10 ] && each=10

export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"

mkdir -p "$build/artifacts"
for fuzzer in "${fuzzers[@]}"; do
  name="$(basename "$fuzzer")"
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  echo "== $name: ${each}s"
  "$fuzzer" -max_total_time="$each" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -artifact_prefix="$build/artifacts/$name-" -print_final_stats=1 \
    "$corpus" "${seeds[@]}"
done
echo "fuzzing: no failure in ${#fuzzers[@]} program(s)"
