#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz as libFuzzer binaries with clang
# (AddressSanitizer and UndefinedBehaviorSanitizer on, in build-fuzz/) and
# runs each for SECONDS (default 60) on a copy of its seed corpus, so the
# committed corpus is never written. Each run keeps its grown corpus, its
# log and anything libFuzzer finds (crash-*, timeout-*, oom-*) in
# build-fuzz/fuzz-runs/<target>/. Exits non-zero when a target failed.
#
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/install-deps.sh
scripts/install-deps.sh clang
# Debian packages the libFuzzer runtime apart from clang since clang 14.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' \
  > "$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null; then
  scripts/install-deps.sh "libclang-rt-$(clang++ -dumpversion | cut -d. -f1)-dev"
fi

build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKV_FUZZ=ON -DKV_BUILD_BENCH=OFF
mapfile -t targets < "$build/fuzz-targets.txt"
cmake --build "$build" -j "$(nproc)" --target "${targets[@]%% *}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
for line in "${targets[@]}"; do
  read -r target maxLen corpus <<< "$line"
  run="$build/fuzz-runs/$target"
  rm -rf "$run"
  mkdir -p "$run/corpus"
  cp "$corpus"/* "$run/corpus/"
  echo "== $target: ${seconds}s on a copy of $corpus"
  if "$build/tests/fuzz/$target" -max_total_time="$seconds" -max_len="$maxLen" -timeout=25 \
       -print_final_stats=1 -artifact_prefix="$run/" "$run/corpus" > "$run/fuzz.log" 2>&1; then
    grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$run/fuzz.log" || true
  else
    failed+=("$target")
    tail -n 40 "$run/fuzz.log"
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: failed: ${failed[*]} (inputs and logs in $build/fuzz-runs/)" >&2
  exit 1
fi
echo "fuzz: every target ran ${seconds}s without a finding"
