#!/usr/bin/env bash
# Builds the payload fuzzer with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# straight from the library sources and runs it for a bounded time.
# Usage: fuzz/run_fuzz.sh [SECONDS]   (default 60; output in build-fuzz/, FUZZ_OUT overrides)
# A crash leaves its input in build-fuzz/artifacts/ and makes the script fail.
set -euo pipefail
run_seconds="${1:-60}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
out="${FUZZ_OUT:-$root/build-fuzz}"
mkdir -p "$out/corpus" "$out/artifacts"

lib="$root/platform/nuvpayload"
sources=("$lib/NuvPayloadTools.cpp" "$lib/NuvPayloadWriter.cpp")
flags=(-std=c++17 -O1 -g -fno-omit-frame-pointer -Wall -Wextra -Wpedantic -Werror -I"$lib")

clang++ "${flags[@]}" -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    "${sources[@]}" "$here/fuzz_payload.cpp" -o "$out/fuzz_payload"
clang++ "${flags[@]}" -fsanitize=address,undefined "${sources[@]}" "$here/make_seeds.cpp" -o "$out/make_seeds"
"$out/make_seeds" "$out/corpus"

"$out/fuzz_payload" -max_total_time="$run_seconds" -dict="$here/payload.dict" -max_len=4096 \
    -artifact_prefix="$out/artifacts/" -print_final_stats=1 "$out/corpus"
