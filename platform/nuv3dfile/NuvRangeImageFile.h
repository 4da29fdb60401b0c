#pragma once
#include <string>

#include "NuvRangeImage.h"

// Readers and writers of the range-image formats of Nuv3DFileOperation (layouts documented
// there). Each returns a Nuv3DFileOperation status and, on failure, the reason in *reason.
class NuvRangeImageFile {
public:
    static int writeTiff(const NuvRangeImage& image, const std::string& path, std::string* reason);
    static int writeHeightCsv(const NuvRangeImage& image, const std::string& path, std::string* reason);
    static int writeLayout(const NuvRangeImage& image, const std::string& path, std::string* reason);
    static int readLayout(NuvRangeImage* image, const std::string& path, std::string* reason);
};
