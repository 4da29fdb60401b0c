// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <cstdint>
#include <string>

#include "NuvRangeImage.h"

// Readers and writers of the range-image formats of Nuv3DFileOperation (layouts documented
// there). Each returns a Nuv3DFileOperation status and, on failure, the reason in *reason;
// a writer puts the name the file got in *savedPath (see NuvFileWriter).
class NuvRangeImageFile {
public:
    // `comment`: key=value lines added to the ImageDescription after the scale (may be empty).
    // `dateTime`: seconds since 1970 for the DateTime tag, -1 for none.
    static int writeTiff(const NuvRangeImage& image, const std::string& path, const std::string& comment,
                         int64_t dateTime, std::string* reason, std::string* savedPath);
    static int writeHeightCsv(const NuvRangeImage& image, const std::string& path, std::string* reason,
                              std::string* savedPath);
    static int writeLayout(const NuvRangeImage& image, const std::string& path, std::string* reason,
                           std::string* savedPath);
    static int readLayout(NuvRangeImage* image, const std::string& path, std::string* reason);
};
