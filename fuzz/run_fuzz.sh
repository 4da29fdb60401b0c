#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds the fuzzers with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) straight
# from the library sources and runs each for a bounded time:
#   fuzz_payload      the payload reader (platform/nuvpayload)
#   fuzz_range_image  the range-image file reader of the 3D file library (platform/nuv3dfile)
# Usage: fuzz/run_fuzz.sh [SECONDS]   (total time, shared evenly by the fuzzers; default 80;
# output in build-fuzz/, FUZZ_OUT overrides). A crash leaves its input in build-fuzz/artifacts/
# and makes the script fail.
set -euo pipefail
total_seconds="${1:-80}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
out="${FUZZ_OUT:-$root/build-fuzz}"
fuzzers=2
run_seconds=$(( total_seconds / fuzzers > 1 ? total_seconds / fuzzers : 1 ))
mkdir -p "$out/corpus" "$out/corpus_range" "$out/artifacts"

flags=(-std=c++17 -O1 -g -fno-omit-frame-pointer -Wall -Wextra -Wpedantic -Werror)
fuzz_flags=(-fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
tool_flags=(-fsanitize=address,undefined)

# Payload reader.
payload="$root/platform/nuvpayload"
payload_sources=("$payload/NuvPayloadTools.cpp" "$payload/NuvPayloadWriter.cpp")
clang++ "${flags[@]}" -I"$payload" "${fuzz_flags[@]}" "${payload_sources[@]}" "$here/fuzz_payload.cpp" \
    -o "$out/fuzz_payload"
clang++ "${flags[@]}" -I"$payload" "${tool_flags[@]}" "${payload_sources[@]}" "$here/make_seeds.cpp" \
    -o "$out/make_seeds"
"$out/make_seeds" "$out/corpus"

# Range-image file reader, seeded with the files the library's writer produces (made afresh each
# run in their own folder, so the kept corpus never collects copies of them).
files="$root/platform/nuv3dfile"
data="$root/platform/nuvdata"
range_sources=("$files/Nuv3DFileOperation.cpp" "$files/NuvRangeImageFile.cpp" "$files/NuvPointCloudFile.cpp"
               "$files/NuvJxrFile.cpp" "$data/NuvRangeImage.cpp" "$data/NuvFileWriter.cpp"
               "$files/NuvTiffFile.cpp" "$data/NuvNumberFormat.cpp")
range_flags=(-I"$files" -I"$data" -isystem /usr/include/opencv4)
clang++ "${flags[@]}" "${range_flags[@]}" "${fuzz_flags[@]}" "${range_sources[@]}" \
    "$here/fuzz_range_image.cpp" -lopencv_core -ltiff -o "$out/fuzz_range_image"
clang++ "${flags[@]}" "${range_flags[@]}" "${tool_flags[@]}" "${range_sources[@]}" \
    "$here/make_range_seeds.cpp" -lopencv_core -ltiff -o "$out/make_range_seeds"
rm -rf "$out/seeds_range"
mkdir -p "$out/seeds_range"
"$out/make_range_seeds" "$out/seeds_range"

echo "=== fuzz_payload for ${run_seconds} s"
"$out/fuzz_payload" -max_total_time="$run_seconds" -dict="$here/payload.dict" -max_len=4096 \
    -artifact_prefix="$out/artifacts/" -print_final_stats=1 "$out/corpus"
echo "=== fuzz_range_image for ${run_seconds} s"
"$out/fuzz_range_image" -max_total_time="$run_seconds" -dict="$here/range_image.dict" -max_len=4096 \
    -rss_limit_mb=1024 -malloc_limit_mb=256 -artifact_prefix="$out/artifacts/" -print_final_stats=1 \
    "$out/corpus_range" "$out/seeds_range"
