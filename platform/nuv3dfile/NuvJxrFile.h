// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <string>

#include "NuvRangeImage.h"

// JPEG XR writer of Nuv3DFileOperation: 16-bit range images as lossless 16-bit grey through
// libjxr, when the build has it. Returns a Nuv3DFileOperation status; the reason in *reason,
// the name the file got in *savedPath (see NuvFileWriter).
class NuvJxrFile {
public:
    static int write(const NuvRangeImage& image, const std::string& path, std::string* reason,
                     std::string* savedPath);
};
