#!/usr/bin/env bash
# Checks the installed package the way a host uses it: installs a built tree into a staging prefix,
# verifies that only public headers are installed and that each compiles alone, checks the SONAME,
# the version file's promise and the ABI against the last release, builds and runs the example host
# (CMake) and a pkg-config host against the staged package offscreen, builds the Debian package and
# checks its contents, and builds the API documentation with warnings as errors.
# Usage: scripts/check-package.sh BUILD_DIR
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage=$work/stage

fail() { echo "check-package: $*" >&2; exit 1; }

echo "--- install into a staging prefix"
cmake --install "$build" --prefix "$stage" >/dev/null

echo "--- installed headers are the public ones only"
expected="GenApi.h NuvImage.h NuvPixelFormat.h NuvViewerImageWnd.h SimulatedFrame.h ZavizoZoz3.h ZavizoZoz3Control.h"
installed=$(cd "$stage/include/NuvViewer" && ls -- *.h | sort | tr '\n' ' ' | sed 's/ $//')
[ "$installed" = "$expected" ] || fail "installed headers differ: '$installed' (expected '$expected')"
for f in $(cd "$src/src" && find . -name '*.h' ! -name NuvViewerImageWnd.h -printf '%f\n'); do
    [ ! -e "$stage/include/NuvViewer/$f" ] || fail "private header installed: $f"
done

echo "--- every installed header compiles on its own"
cmake -S "$src/tests/install/headers" -B "$work/headers" -G Ninja -DCMAKE_PREFIX_PATH="$stage" >/dev/null
cmake --build "$work/headers" >/dev/null

echo "--- only the viewer class is exported from the viewer library"
# The libraries' folder is lib/ or the multiarch one, whichever the build was configured for.
pc=$(find "$stage" -path '*/pkgconfig/nuvviewer.pc' | head -n 1)
[ -n "$pc" ] || fail "no pkg-config file nuvviewer.pc installed"
libdir=$(dirname "$(dirname "$pc")")
lib=$(readlink -f "$libdir/libnuvviewer.so")
soname=$(readelf -d "$lib" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
# Before 1.0 a minor release may break the ABI, so the SONAME names major and minor.
version=$(sed -n 's/^Version: //p' "$pc")
sover=${version%%.*}
if [ "$sover" = 0 ]; then sover=${version%.*}; fi
[ "$soname" = "libnuvviewer.so.$sover" ] || fail "SONAME '$soname' does not match version $version"
# Instantiations of standard-library templates stay visible by the library's own attributes.
others=$(nm -DC --defined-only "$lib" | awk '$2 ~ /^[TW]$/' | grep -v 'NuvViewerImageWnd' |
    grep -vE ' (_init|_fini)$| (void )?(std|__gnu_cxx)::' || true)
[ -z "$others" ] || fail "symbols other than NuvViewerImageWnd exported: $(echo "$others" | head -5)"

echo "--- the version file accepts the same minor release only"
cmake -S "$src/tests/install/version" -B "$work/version" -G Ninja -DCMAKE_PREFIX_PATH="$stage" \
    -DNUV_VERSION="$version" >"$work/version.log" 2>&1 || { cat "$work/version.log" >&2; fail "version file"; }

echo "--- ABI against the last release"
bash "$src/scripts/check-abi.sh" "$lib"

echo "--- the example host builds against the staged package and runs"
cmake -S "$src/examples/minimal-host" -B "$work/example" -G Ninja -DCMAKE_PREFIX_PATH="$stage" >/dev/null
cmake --build "$work/example" >/dev/null
QT_QPA_PLATFORM=offscreen NUV3D_DISABLE_OPENGL=1 "$work/example/minimal-host" --screenshot "$work/host.png"
[ -s "$work/host.png" ] || fail "the example host wrote no screenshot"

echo "--- a host built with pkg-config alone builds and runs"
export PKG_CONFIG_PATH=$libdir/pkgconfig
[ "$(pkg-config --modversion nuvviewer)" = "$version" ] || fail "pkg-config reports another version"
pc_libdir=$(pkg-config --variable=libdir nuvviewer)
# shellcheck disable=SC2046  # pkg-config's output is a list of flags
c++ -std=c++17 -fPIC -o "$work/pc-host" "$src/tests/install/pkgconfig-host/main.cpp" \
    $(pkg-config --cflags --libs nuvviewer) -Wl,-rpath,"$pc_libdir"
QT_QPA_PLATFORM=offscreen NUV3D_DISABLE_OPENGL=1 "$work/pc-host"

echo "--- Debian package"
(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/*.deb)
contents=$(dpkg -c "$deb")
for item in "libnuvviewer.so.$sover" "libzavizozoz3.so.$sover" include/NuvViewer/NuvViewerImageWnd.h \
    pkgconfig/nuvviewer.pc cmake/NuvViewer/NuvViewerConfig.cmake cmake/NuvViewer/NuvViewerTargets.cmake nuvviewer_zh_CN.qm; do
    grep -q -- "$item" <<<"$contents" || fail "$item missing from $(basename "$deb")"
done
dpkg-deb -f "$deb" Depends | grep -q libqt5widgets5 || fail "package names no Qt run-time dependency"

echo "--- API documentation"
if command -v doxygen >/dev/null; then
    cmake --build "$build" --target docs >/dev/null
    [ -s "$build/docs/html/index.html" ] || fail "no documentation written"
fi
echo "check-package: all checks passed"
