// SPDX-License-Identifier: Apache-2.0
#pragma once
#include "NuvPointCloud.h"
#include "NuvRangeImage.h"

namespace NUVMV {

// Turns range images into point clouds in millimetres (scale and intervals of the image, see
// NuvRangeImage). Invalid samples are left out, never written as points at z = 0.
class Nuv3DDataConvert {
public:
    Nuv3DDataConvert() = default;
    // Replaces the points of cloud with the valid samples of image in row-major order.
    // Returns 0 on success, -1 for a null cloud or an empty image (cloud then left empty).
    int RangeImageToPointCloud(NuvRangeImage& image, NuvPointCloud* cloud);
};

}  // namespace NUVMV
