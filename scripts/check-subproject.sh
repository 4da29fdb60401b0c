#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Checks the viewer as a subproject of a host's build (add_subdirectory on the source tree): it
# configures without QtTest, Qt's Linguist tools or Google Benchmark, defines none of the viewer's
# tests, benchmarks, demo, documentation or packaging targets, and leaves warnings as warnings.
# Usage: scripts/check-subproject.sh
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check-subproject: $*" >&2; exit 1; }

echo "--- a host configures the viewer as a subproject, without the test and translation tools"
cmake -S "$src/tests/install/subproject" -B "$work/host" -G Ninja -DNUV_SOURCE_DIR="$src" \
    -DCMAKE_DISABLE_FIND_PACKAGE_Qt5Test=ON -DCMAKE_DISABLE_FIND_PACKAGE_Qt5LinguistTools=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log" >&2; fail "configuring the host failed"; }

echo "--- only the viewer's libraries and the host's own target are defined"
targets=$(ninja -C "$work/host" -t targets all | sed 's/:.*//' | grep -v /)
grep -qx subproject-host <<<"$targets" || fail "the host's target is missing"
grep -qx nuvviewer <<<"$targets" || fail "the viewer library is missing"
unwanted=$(grep -E '^(tst_.*|bench_.*|nuvviewer-app|nuvdemo|nuvtestsupport|docs|package|package_source)$' <<<"$targets" || true)
[ -z "$unwanted" ] || fail "targets a host does not want: $(echo $unwanted)"

echo "--- warnings stay warnings unless the host asks"
grep -q '^NUV_WERROR:BOOL=OFF$' "$work/host/CMakeCache.txt" || fail "NUV_WERROR is on by default"
! grep -q -- '-Werror' "$work/host/build.ninja" || fail "-Werror in the host's build"

echo "--- the viewer's translations are optional: without Linguist tools the resource still compiles"
qrc=$(find "$work/host" -name nuvviewer_i18n.qrc)
[ -n "$qrc" ] || fail "no translation resource written"
rcc=$(command -v rcc || echo /usr/lib/qt5/bin/rcc)
"$rcc" "$qrc" -o "$work/i18n.cpp" ||
    fail "the empty translation resource does not compile"
echo "check-subproject: all checks passed"
