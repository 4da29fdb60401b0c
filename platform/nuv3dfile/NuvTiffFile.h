// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <cstdint>
#include <opencv2/core.hpp>
#include <string>

// The project's one TIFF writer, through libtiff: uncompressed, one channel of 8, 16 or 32 bits
// (unsigned) or three 8-bit channels (RGB), little endian. A classic TIFF addresses at most 4 GiB;
// a file that would be larger is written as BigTIFF. The bytes go to a hidden temporary name in the
// target's folder that gets the final name only when complete (never replacing a file, see
// NuvFileWriter), so a failed or partial file leaves nothing behind.
class NuvTiffFile {
public:
    // Text tags; an empty one is left out.
    struct Tags {
        std::string description;  // ImageDescription
        std::string dateTime;     // DateTime, "YYYY:MM:DD HH:MM:SS"
        std::string software;     // Software
    };
    enum Result { Ok = 0, ErrArgument = -1, ErrOpen = -3, ErrWrite = -4 };

    // `image`: CV_8UC1, CV_16UC1, CV_32SC1 or CV_8UC3. `bgr`: the three channels are blue, green, red
    // and are swapped on the way. `sampleMask`: for 32-bit samples, the bits kept, written unsigned
    // (heights without their flags); 0 keeps every bit, written signed. Returns a Result; on failure
    // the reason in *reason, on success the name the file got in *savedPath.
    static int write(const cv::Mat& image, bool bgr, uint32_t sampleMask, const Tags& tags,
                     const std::string& utf8Path, std::string* reason, std::string* savedPath);

    // The ImageDescription of the file's first page, classic or BigTIFF; empty when the file is no
    // TIFF or has none.
    static std::string description(const std::string& utf8Path);
    // Whether a file of this image and tags would be written as BigTIFF.
    static bool needsBigTiff(const cv::Mat& image, const Tags& tags);
    // Files larger than this many bytes are written as BigTIFF (by default just under 4 GiB).
    // Tests lower it to see the switch without writing gigabytes; 0 restores the default.
    static void setBigTiffThreshold(uint64_t bytes);
    static uint64_t bigTiffThreshold();
    // "YYYY:MM:DD HH:MM:SS" of a local time given as seconds since 1970, as the DateTime tag wants it.
    static std::string dateTime(int64_t secondsSinceEpoch);
};
