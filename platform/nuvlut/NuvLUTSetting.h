// SPDX-License-Identifier: Apache-2.0
#pragma once
// Height colouring of range images and height arrays. All calls return 0 on success and -1 on a
// bad argument (null output, unknown colour map); they fill one colour per point, row-major.
// Invalid points get NuvColorMap::invalidColor() (transparent black).
//
// Height of a range-image sample (NuvRangeImage::toMillimetres): 16-bit images: 0 is invalid,
// height = (sample + heightOffset()) * heightScale(). 32-bit images: the low 21 bits carry the
// sample (0 = invalid), the upper bits are flags and ignored; height = ((sample & 0x1FFFFF) +
// heightOffset()) * heightScale().
#include <cstdint>

#include "NuvArrays.h"
#include "NuvColorMap.h"
#include "NuvGeometry.h"
#include "NuvImage.h"
#include "NuvRangeImage.h"
#include "NuvRangeLUT16.h"

// Colour range of LinearColorMapLUT.
struct NuvLinearColorParams {
    float minHeight = -45.0f;
    float maxHeight = 45.0f;
    bool autoRange = false;  // use the lowest and highest valid height of the image instead
};

class NuvLUTSetting {
public:
    // Valid heights in [minHeight, maxHeight] get the map's colour, linearly; invalid heights
    // (Nuv3DFloatArray::isValid false, NaN) and heights outside the range the invalid colour.
    static int LinearSetColorLUT(const Nuv3DFloatArray& heights, float minHeight, float maxHeight,
                                 int colorMap, NuvColorArray* colors);

    // Colours the image over the span of its own valid heights (lowest = first table entry).
    static int ColorMapLUT(const NuvRangeImage& range, int colorMap, NuvColorArray* colors);
    // The same into a 3-channel RGB8 image of the range image's size (step = 3 x width); invalid
    // points are black.
    static int ColorMapLUT(const NuvRangeImage& range, int colorMap, NuvImage* rgb);

    // Colours between params' minimum and maximum with the map. With outOfRangeColors, valid
    // heights below the minimum get `low` and above the maximum `high`; without, they are invalid.
    static int LinearColorMapLUT(const NuvRangeImage& range, NuvColorArray* colors,
                                 const NuvLinearColorParams& params, NuvColor low, NuvColor high,
                                 int colorMap, bool outOfRangeColors);

    // The scan conversion in one pass: rows x points raw 16-bit samples to heights and colours
    // (see NuvRangeConversion), optionally zeroing invalid samples in place. `cache` keeps the
    // lookup table between calls and is rebuilt only when the conversion changes; a cache must
    // not be shared by threads that convert with different settings. Outputs are resized.
    static int RangeToHeightsAndColors16(uint16_t* raw, int points, int rows,
                                         const NuvRangeConversion& conversion, Nuv3DFloatArray* heights,
                                         NuvColorArray* colors, bool zeroInvalidSamples,
                                         NuvRangeLUT16* cache);

    // Height of sample (line, point) as described above; false for invalid or outside the image.
    static bool sampleHeight(const NuvRangeImage& range, int line, int point, double* height);
};
