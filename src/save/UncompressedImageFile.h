// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QString>

#include "NuvImage.h"

// Writes 8-bit grey and RGB images as BMP straight from their rows, without an intermediate
// encoding buffer, so recording keeps up with the disk (TIFF goes through NuvTiffFile, the one
// TIFF writer). Other images are not handled here (canWrite is false).
class UncompressedImageFile {
public:
    // 8-bit images of 1 or 3 channels to ".bmp".
    static bool canWrite(const NuvImage& image, const QString& path);
    // False with `error` set when the file cannot be opened or written completely (nothing is
    // left then); `saved` receives the name the file got (an existing file is never replaced).
    static bool write(const NuvImage& image, const QString& path, QString* error, QString* saved = nullptr);
};
