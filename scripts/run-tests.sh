#!/usr/bin/env bash
# The test command, and CI's. Stops at the first failure, cheapest check
# first:
#   1. the layering check (seconds; needs nothing installed), then
#      clang-format's check of every C++ file;
#   2. a normal build and every test, then its installation and Debian
#      package checked against dist/package-files.txt (seconds), then
#      clang-tidy over its sources;
#   3. a build with AddressSanitizer and UndefinedBehaviorSanitizer and
#      every test;
#   4. a build with ThreadSanitizer and the threaded tests only: every
#      GoogleTest suite whose name ends in "Threaded". The rest has no
#      threads to race, and it already ran twice.
# Every build here treats warnings as errors (KV_WERROR), which a plain
# CMake build does not.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== layering =="
scripts/check-layers.sh

scripts/install-deps.sh
jobs=$(nproc)

echo "== format =="
find app bench database log pattern platform registry resources scan tests tools ui update -type f \
  \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run --Werror

configure() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DKV_WERROR=ON "$@"
}

run_suite() {
  local dir=$1; shift
  configure "$dir" "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

echo "== normal build =="
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== package =="
scripts/check-package.sh build
echo "== clang-tidy =="
scripts/clang-tidy.sh build

echo "== sanitizer build (ASan + UBSan) =="
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DKV_SANITIZE=ON -DKV_BUILD_BENCH=OFF

echo "== ThreadSanitizer build (threaded tests) =="
configure build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_TSAN=ON -DKV_BUILD_BENCH=OFF
cmake --build build-tsan -j "$jobs" --target test-suites
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" -R 'Threaded\.' --no-tests=error
