#!/usr/bin/env bash
# Sets up, builds everything but the benchmarks into build-sanitize/ with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test there. Any memory error, leak or undefined
# behaviour fails the test (or the build step) where it happens.
# Arguments go to ctest, e.g. `scripts/test-sanitize.sh -R PracticeWindow`.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-sanitize"
supp="$root/tests/sanitizers"

# Also in force while building: the database, pictures and music are made by our own tools,
# and GoogleTest lists each test program's cases by running it. A report ends the program with
# 86, a code no test expects (the default 1 is what a test of a fatal prompt waits for).
export ASAN_OPTIONS="detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:exitcode=86"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:exitcode=86"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
  -DSTUDYAID_SANITIZE=ON -DSTUDYAID_BENCHMARKS=OFF
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"
