#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs the dependencies, builds the project three times with warnings as errors: plain and with
# AddressSanitizer + UndefinedBehaviorSanitizer (the whole test suite on both), and with
# ThreadSanitizer (the suites without OpenGL that exercise threads). It first checks that every source
# file carries the project's licence identifier (NUV_CHECK_SPDX=0 skips that).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

# check_spdx: fails, listing them, when source files lack the licence identifier in their first three
# lines. NUV_CHECK_SPDX=0 skips it.
check_spdx() {
    local missing=() dirs=() d
    for d in src platform demo tests bench fuzz; do
        if [ -d "$d" ]; then dirs+=("$d"); fi
    done
    while IFS= read -r -d '' f; do
        [[ $(head -n 3 "$f") == *'SPDX-License-Identifier: Apache-2.0'* ]] || missing+=("$f")
    done < <(find "${dirs[@]}" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' \
        -o -name '*.c' -o -name '*.cc' -o -name '*.py' -o -name '*.sh' \) -print0 | sort -z)
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Files without 'SPDX-License-Identifier: Apache-2.0' in their first 3 lines:" >&2
        printf '  %s\n' "${missing[@]}" >&2
        return 1
    fi
    echo "licence identifiers: all present"
}
if [ "${NUV_CHECK_SPDX:-1}" = 1 ]; then
    echo "=== licence identifiers"
    check_spdx
fi

JOBS=${JOBS:-$(nproc)}
# Rebuilds on a machine that already built the project reuse its objects when ccache is there.
LAUNCHER=()
if command -v ccache >/dev/null; then
    LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    # Paths relative to the checkout, so a fresh clone in another folder hits the same objects.
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$PWD")}
    export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-8G}
fi
# run_suite DIR [TARGET-REGEX] CMAKE-ARGS...: builds (only the tst_ targets matching the regex when
# one is given) and runs those tests.
run_suite() {
    local dir=$1 only=
    shift
    case "${1:-}" in -D*) ;; *) only=$1; shift ;; esac
    cmake -S . -B "$dir" -G Ninja -DNUV_WERROR=ON "${LAUNCHER[@]}" "$@"
    if [ -n "$only" ]; then
        cmake --build "$dir" -j "$JOBS" --target $(ls tests/*/tst_*.cpp | xargs -n1 basename | sed 's/\.cpp$//' | grep -E "^($only)$")
        ctest --test-dir "$dir" --output-on-failure -j "$JOBS" --timeout 900 -R "^($only)$"
    else
        cmake --build "$dir" -j "$JOBS"
        ctest --test-dir "$dir" --output-on-failure -j "$JOBS" --timeout 600
    fi
}

echo "=== plain build and tests"
run_suite build-ci -DCMAKE_BUILD_TYPE=Release
# Before the sanitizer suite, so the last lines printed are the test summary.
if [ -x fuzz/run_fuzz.sh ]; then
    echo "=== fuzzing: payload and range-image readers (bounded)"
    bash fuzz/run_fuzz.sh "${FUZZ_SECONDS:-60}"
fi
echo "=== AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
run_suite build-ci-asan -DCMAKE_BUILD_TYPE=Debug -DNUV_SANITIZE=ON -DNUV_BUILD_BENCH=OFF -DNUV_BUILD_DEMO=OFF
echo "=== ThreadSanitizer build and the threaded suites"
# Qt is not instrumented: accesses its own code makes are ignored (its futex locks are invisible to
# TSan); the few reports left inside Qt are suppressed in scripts/tsan.supp, each with its reason.
# The largest history keeps the earlier access's stack of a report restorable in long suites, so the
# suppressions can match it (a lost stack matches nothing).
export TSAN_OPTIONS=halt_on_error=1:ignore_noninstrumented_modules=1:history_size=7:suppressions=$PWD/scripts/tsan.supp
run_suite build-ci-tsan "tst_zavizozoz3|tst_zavizozoz3_events|tst_routing|tst_transformtool|tst_scan|tst_saving|tst_greyhistogram|tst_aravisbackend" \
    -DCMAKE_BUILD_TYPE=Debug -DNUV_TSAN=ON -DNUV_BUILD_BENCH=OFF -DNUV_BUILD_DEMO=OFF
