#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Compares the ABI of a built libnuvviewer with the last release's (abi/libnuvviewer.abi, written by
# abidw). The SONAME says what may break: a library with the baseline's SONAME must stay compatible
# (symbols added are fine, symbols removed or changed fail); a new SONAME declares the break, and the
# baseline is rewritten at that release. Types are compared when both sides carry debug information,
# otherwise the exported symbols.
# Usage: scripts/check-abi.sh LIBRARY            compare
#        scripts/check-abi.sh --update LIBRARY   write the baseline from LIBRARY (at a release)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
baseline=$src/abi/libnuvviewer.abi
suppr=$src/abi/libnuvviewer.suppr
update=0
if [ "${1:-}" = "--update" ]; then
    update=1
    shift
fi
[ $# -eq 1 ] || { echo "usage: $0 [--update] LIBRARY" >&2; exit 2; }
lib=$(readlink -f "$1")
[ -f "$lib" ] || { echo "check-abi: no library at $1" >&2; exit 1; }

if ! command -v abidiff >/dev/null; then
    echo "check-abi: skipped, abidiff not installed (Debian: abigail-tools)"
    exit 0
fi
if [ $update -eq 1 ]; then
    # No build path in the baseline, so it reads the same from any checkout.
    abidw --suppressions "$suppr" --drop-private-types "$lib" | sed "s|path='[^']*'|path='$(basename "$lib")'|" >"$baseline"
    echo "check-abi: baseline written to abi/$(basename "$baseline")"
    exit 0
fi
if [ ! -s "$baseline" ]; then
    echo "check-abi: skipped, no baseline (abi/$(basename "$baseline"))"
    exit 0
fi
soname=$(readelf -d "$lib" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
base_soname=$(sed -n "1s/.*soname='\([^']*\)'.*/\1/p" "$baseline")
if [ "$soname" != "$base_soname" ]; then
    echo "check-abi: skipped, $soname is a new SONAME (baseline: $base_soname); run '$0 --update' at its release"
    exit 0
fi
set +e
report=$(abidiff --suppressions "$suppr" --no-added-syms "$baseline" "$lib")
rc=$?
set -e
# abidiff's status is a bit set: 1 error, 2 usage, 4 ABI change, 8 incompatible ABI change.
if [ $((rc & 3)) -ne 0 ]; then
    echo "check-abi: abidiff failed ($rc)" >&2
    echo "$report" >&2
    exit 1
fi
if [ $((rc & 8)) -ne 0 ]; then
    echo "check-abi: $soname breaks the ABI of the baseline; keep it compatible or raise the minor version" >&2
    echo "$report" >&2
    exit 1
fi
echo "check-abi: $soname is compatible with the baseline"
