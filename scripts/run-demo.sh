#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs the dependencies, builds the application nuvviewer and runs it (pass --screenshot FILE to render
# offscreen and exit). Without a display it starts under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-demo -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUV_BUILD_TESTS=OFF -DNUV_BUILD_BENCH=OFF
cmake --build build-demo -j "$(nproc)" --target nuvviewer-app
if [ -z "${DISPLAY:-}" ] && [[ " $* " != *" --screenshot "* ]]; then
    exec xvfb-run -a -s "-screen 0 1600x1000x24" build-demo/bin/nuvviewer "$@"
fi
exec build-demo/bin/nuvviewer "$@"
