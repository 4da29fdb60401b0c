#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Checks the installed package the way a host uses it: installs a built tree into a staging prefix,
# verifies that only public headers are installed and that each compiles alone, checks the SONAME,
# the exported symbols, the version file's promise and the ABI against the last release, builds and
# runs a viewer-only host, the example host (CMake) and a pkg-config host against the staged package
# offscreen, builds the API documentation with warnings as errors and the Debian packages, checks
# their contents, builds a host against the extracted packages and runs lintian on them.
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

echo "--- installed headers: the viewer's at <NuvViewer/...>, the business layer's at <NuvViewer/sim/...>"
inc=$stage/include/NuvViewer
installed=$(cd "$inc" && ls -- *.h | sort | tr '\n' ' ' | sed 's/ $//')
[ "$installed" = "NuvExport.h NuvViewerImageWnd.h" ] || fail "installed viewer headers differ: '$installed'"
installed=$(cd "$inc/sim" && ls -- *.h | sort | tr '\n' ' ' | sed 's/ $//')
expected="GenApi.h NuvPixelFormat.h SimulatedFrame.h ZavizoZoz3.h ZavizoZoz3Control.h ZavizoZoz3Export.h"
[ "$installed" = "$expected" ] || fail "installed business-layer headers differ: '$installed' (expected '$expected')"
[ -z "$(find "$stage/include" -maxdepth 1 -name '*.h')" ] || fail "headers installed flat on the include path"
for f in $(cd "$src/src" && find . -name '*.h' ! -name NuvViewerImageWnd.h ! -name NuvExport.h -printf '%f\n'); do
    [ ! -e "$inc/$f" ] && [ ! -e "$inc/sim/$f" ] || fail "private header installed: $f"
done
# What a host must include pulls in neither OpenCV nor the GenICam namespaces.
deps=$(echo '#include <NuvViewer/NuvViewerImageWnd.h>' |
    c++ -std=c++17 -fPIC -M -x c++ - -I"$stage/include" $(pkg-config --cflags Qt5Widgets))
! grep -qiE 'opencv|GenApi|/sim/' <<<"$deps" || fail "NuvViewerImageWnd.h pulls in $(grep -oiE '[^ ]*(opencv|GenApi|/sim/)[^ ]*' <<<"$deps" | head -3)"

echo "--- every installed header compiles on its own"
cmake -S "$src/tests/install/headers" -B "$work/headers" -G Ninja -DCMAKE_PREFIX_PATH="$stage" >/dev/null
cmake --build "$work/headers" >/dev/null

echo "--- one library is installed, exporting the viewer class and the business layer's calls only"
# The libraries' folder is lib/ or the multiarch one, whichever the build was configured for.
pc=$(find "$stage" -path '*/pkgconfig/nuvviewer.pc' | head -n 1)
[ -n "$pc" ] || fail "no pkg-config file nuvviewer.pc installed"
libdir=$(dirname "$(dirname "$pc")")
libs=$(find "$stage" \( -name '*.so' -o -name '*.so.*' -o -name '*.a' \) -printf '%f\n' | sort | tr '\n' ' ')
lib=$(readlink -f "$libdir/libnuvviewer.so")
case "$libs" in
"libnuvviewer.so libnuvviewer.so.$(sed -n 's/^Version: //p' "$pc" | cut -d. -f1,2) $(basename "$lib") ") ;;
*) fail "installed libraries are '$libs', expected libnuvviewer only" ;;
esac
! readelf -d "$lib" | grep -qE 'RPATH|RUNPATH' || fail "the installed library carries a RUNPATH"
soname=$(readelf -d "$lib" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
# Before 1.0 a minor release may break the ABI, so the SONAME names major and minor.
version=$(sed -n 's/^Version: //p' "$pc")
sover=${version%%.*}
if [ "$sover" = 0 ]; then sover=${version%.*}; fi
[ "$soname" = "libnuvviewer.so.$sover" ] || fail "SONAME '$soname' does not match version $version"
exported=$(nm -DC --defined-only "$lib")
# Instantiations of standard-library templates stay visible by the library's own attributes.
others=$(awk '$2 ~ /^[TWVBDRu]$/' <<<"$exported" | grep -v 'NuvViewerImageWnd' | grep -vE ' ZavizoZoz3::' |
    grep -vE ' (_init|_fini|_edata|_end|__bss_start)$| (void )?(std|__gnu_cxx)::|(typeinfo|vtable|VTT) (name )?for (std|__gnu_cxx)::|guard variable for (std|__gnu_cxx)::' || true)
[ -z "$others" ] || fail "symbols other than the viewer's API exported: $(echo "$others" | head -5)"
# The business layer's calls, not its GenICam node classes, its simulators or OpenCV.
private=' ((typeinfo|vtable|VTT)( name)? for )?(GenApi::|GenICam::|cv::|CMessageBox|CBaseDialog|ModalSeam|ZavizoZoz3::Simulated)'
! grep -qE "$private" <<<"$exported" || fail "private classes exported: $(grep -E "$private" <<<"$exported" | head -3)"
grep -q 'ZavizoZoz3::Control::addCamera' <<<"$exported" || fail "the business layer's calls are not exported"

echo "--- the version file accepts the same minor release only"
cmake -S "$src/tests/install/version" -B "$work/version" -G Ninja -DCMAKE_PREFIX_PATH="$stage" \
    -DNUV_VERSION="$version" >"$work/version.log" 2>&1 || { cat "$work/version.log" >&2; fail "version file"; }

echo "--- ABI against the last release"
bash "$src/scripts/check-abi.sh" "$lib"

echo "--- a host including only the viewer's header and linking only NuvViewer::nuvviewer builds and runs"
cmake -S "$src/tests/install/viewer-host" -B "$work/viewer-host" -G Ninja -DCMAKE_PREFIX_PATH="$stage" >/dev/null
cmake --build "$work/viewer-host" >/dev/null
QT_QPA_PLATFORM=offscreen NUV3D_DISABLE_OPENGL=1 "$work/viewer-host/viewer-host"

echo "--- the example host (with the simulated cameras) builds against the staged package and runs"
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

echo "--- Debian packages"
if command -v doxygen >/dev/null; then
    cmake --build "$build" --target docs >/dev/null
    [ -s "$build/docs/html/index.html" ] || fail "no documentation written"
fi
(cd "$build" && cpack -G DEB -B "$work/deb" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack"; }
debs=$work/deb
runtime=$(ls "$debs"/libnuvviewer"$sover"_*.deb) || fail "no runtime package libnuvviewer$sover"
dev=$(ls "$debs"/libnuvviewer-dev_*.deb) || fail "no development package"
contents() { dpkg-deb -c "$1" | awk '{print $6}' | sed 's|^\./|/|'; }
has() { grep -qx -- "$2" <<<"$(contents "$1")" || fail "$2 missing from $(basename "$1")"; }
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
has "$runtime" "/usr/lib/$multiarch/libnuvviewer.so.$sover"
has "$runtime" /usr/share/nuvviewer/translations/nuvviewer_zh_CN.qm
has "$dev" "/usr/lib/$multiarch/libnuvviewer.so"
has "$dev" /usr/include/NuvViewer/NuvViewerImageWnd.h
has "$dev" /usr/include/NuvViewer/sim/ZavizoZoz3Control.h
has "$dev" "/usr/lib/$multiarch/pkgconfig/nuvviewer.pc"
has "$dev" "/usr/lib/$multiarch/cmake/NuvViewer/NuvViewerConfig.cmake"
for deb in "$debs"/*.deb; do
    pkg=$(dpkg-deb -f "$deb" Package)
    has "$deb" "/usr/share/doc/$pkg/copyright"
    if contents "$deb" | grep -q '\.so\.'; then
        [ "$pkg" = "libnuvviewer$sover" ] || fail "$pkg carries a shared library"
    fi
done
dpkg-deb -f "$runtime" Depends | grep -q libqt5widgets5 || fail "the runtime package names no Qt run-time dependency"
dpkg-deb -f "$runtime" Depends | grep -q libqt5svg5 || fail "the runtime package does not bring the SVG icon engine"
dpkg-deb -f "$dev" Depends | grep -q "libnuvviewer$sover (= " || fail "the development package does not pin its library"
if ls "$debs"/nuvviewer_*.deb >/dev/null 2>&1; then
    app=$(ls "$debs"/nuvviewer_*.deb)
    desktop=$(contents "$app" | grep -E '^/usr/share/applications/.*\.desktop$' | head -n 1)
    [ -n "$desktop" ] || fail "the application package has no menu entry"
    dpkg-deb --fsys-tarfile "$app" | tar -xO ".$desktop" >"$work/app.desktop"
    exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$work/app.desktop" | head -n 1)
    has "$app" "/usr/bin/$(basename "$exec")"
    dpkg-deb -f "$app" Depends | grep -q "libnuvviewer$sover" || fail "the application does not depend on its library"
else
    echo "(no application component installed: no nuvviewer package)"
fi
if command -v doxygen >/dev/null; then
    doc=$(ls "$debs"/nuvviewer-doc_*.deb) || fail "no documentation package"
    has "$doc" /usr/share/doc/nuvviewer/html/index.html
    if command -v qhelpgenerator >/dev/null; then has "$doc" /usr/share/qt5/doc/nuvviewer.qch; fi
fi

echo "--- the packages install together, and a host built against libnuvviewer-dev alone runs"
dpkg --dry-run -i "$debs"/*.deb >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "dpkg refuses the packages"; }
root=$work/root
for deb in "$runtime" "$dev"; do dpkg-deb -x "$deb" "$root"; done
cmake -S "$src/tests/install/viewer-host" -B "$work/deb-host" -G Ninja -DCMAKE_PREFIX_PATH="$root/usr" >/dev/null
cmake --build "$work/deb-host" >/dev/null
QT_QPA_PLATFORM=offscreen NUV3D_DISABLE_OPENGL=1 LD_LIBRARY_PATH="$root/usr/lib/$multiarch" "$work/deb-host/viewer-host"
! ldd "$work/deb-host/viewer-host" | grep -q "$build" || fail "the host found the build tree's library"

echo "--- lintian"
if command -v lintian >/dev/null; then
    # Errors fail; warnings and the informational tags are reported only.
    lintian --no-tag-display-limit "$debs"/*.deb | tee "$work/lintian.log" || true
    ! grep -q '^E: ' "$work/lintian.log" || fail "lintian reports errors"
else
    echo "(lintian not installed: skipped)"
fi

echo "check-package: all checks passed"
