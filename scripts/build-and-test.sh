#!/usr/bin/env bash
# Installs the dependencies, builds the project twice (plain, and with AddressSanitizer and
# UndefinedBehaviorSanitizer) with warnings as errors, and runs the whole test suite on both.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

JOBS=${JOBS:-$(nproc)}
run_suite() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja -DNUV_WERROR=ON "$@"
    cmake --build "$dir" -j "$JOBS"
    ctest --test-dir "$dir" --output-on-failure -j "$JOBS" --timeout 600
}

echo "=== plain build and tests"
run_suite build-ci -DCMAKE_BUILD_TYPE=Release
# Before the sanitizer suite, so the last lines printed are the test summary.
if [ -x fuzz/run_fuzz.sh ]; then
    echo "=== payload fuzzing (bounded)"
    bash fuzz/run_fuzz.sh "${FUZZ_SECONDS:-60}"
fi
echo "=== AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
run_suite build-ci-asan -DCMAKE_BUILD_TYPE=Debug -DNUV_SANITIZE=ON -DNUV_BUILD_BENCH=OFF -DNUV_BUILD_DEMO=OFF
