#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs every Debian package the project needs to build, test, benchmark and run the demo.
set -euo pipefail
PACKAGES=(
    build-essential cmake ninja-build pkg-config git ccache
    qtbase5-dev qtbase5-dev-tools qttools5-dev qttools5-dev-tools libqt5svg5-dev libqt5opengl5-dev libqt5x11extras5-dev
    libqwt-qt5-dev libopencv-dev ffmpeg
    libgl-dev libglu1-mesa-dev libgl1-mesa-dri mesa-utils xvfb xauth
    libbenchmark-dev libgtest-dev clang clang-format libclang-rt-dev
    fonts-dejavu-core fonts-wqy-microhei locales
    librsvg2-bin doxygen abigail-tools dpkg-dev lintian desktop-file-utils appstream
    libaravis-dev libusb-1.0-0-dev libxcb1-dev libtiff-dev libtiff-tools
    python3-numpy python3-open3d python3-tifffile python3-pil assimp-utils libjxr-dev libjxr-tools
)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages: ${missing[*]} (run as root to install them)" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The locale the number-parsing test runs under (a comma as decimal point).
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "Locale de_DE.UTF-8 missing (run as root to generate it)" >&2
        exit 1
    fi
    sed -i 's/# de_DE.UTF-8/de_DE.UTF-8/' /etc/locale.gen && locale-gen
fi
