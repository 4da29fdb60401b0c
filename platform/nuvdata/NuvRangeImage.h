// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <cstdint>
#include <opencv2/core.hpp>

// Range image: lines x points of raw height samples plus the scale information that turns a
// sample at (row, col) into millimetres:
//   z = (raw + heightOffset) * heightScale     heightOffset is in raw units
//   x = col * xInterval + xOffset
//   y = row * yInterval + yOffset
// Invalid samples: 0 in 16-bit images; 0 in the low 21 bits of 32-bit images (the upper bits are
// flags and ignored); NaN or infinity in 64-bit floating images (0.0 is a valid height there).
// Heights that are millimetres already (a profile's) go in as TypeFloat64 with SetInfo(1, 0, ...).
class NuvRangeImage {
public:
    // Sample type codes of SetSize/TypeCode.
    enum TypeCode : int { TypeUInt16 = 2, TypeInt32 = 4, TypeFloat64 = 6 };
    static constexpr uint32_t kSample32Mask = 0x1FFFFF;

    NuvRangeImage() = default;
    // bytesPerPoint is 2 or 4; anything else gives an empty image.
    NuvRangeImage(int pointsPerLine, int lines, int bytesPerPoint);

    // Reallocates as a zeroed width x height image of the given type code; a size that is not
    // positive or an unknown type code leaves an empty image and returns false. Keeps SetInfo.
    bool SetSize(int width, int height, int typeCode);
    int Width() const { return width(); }
    int Height() const { return height(); }
    // The sample buffer, rows tightly packed (Width() * bytesPerPoint() bytes each); null if empty.
    uint8_t* Data() { return data(); }
    const uint8_t* Data() const { return data(); }
    // TypeUInt16, TypeInt32 or TypeFloat64; 0 for an empty image.
    int TypeCode() const;
    // Independent copy of samples and scale information.
    NuvRangeImage DeepCopy() const { return clone(); }

    bool isEmpty() const { return m_data.empty(); }
    int width() const { return m_data.cols; }
    int height() const { return m_data.rows; }
    int bytesPerPoint() const { return m_data.empty() ? 0 : static_cast<int>(m_data.elemSize()); }
    uint8_t* data() { return m_data.data; }
    const uint8_t* data() const { return m_data.data; }
    // Start of line `line`, or null outside the image.
    uint8_t* line(int line);
    size_t byteSize() const { return m_data.total() * m_data.elemSize(); }
    cv::Mat& mat() { return m_data; }
    const cv::Mat& mat() const { return m_data; }
    NuvRangeImage clone() const;

    void SetInfo(double heightScale, double heightOffset, double xInterval, double xOffset, double yInterval,
                 double yOffset);
    double heightScale() const { return m_heightScale; }
    double heightOffset() const { return m_heightOffset; }
    double xInterval() const { return m_xInterval; }
    double xOffset() const { return m_xOffset; }
    double yInterval() const { return m_yInterval; }
    double yOffset() const { return m_yOffset; }
    // Millimetres of a raw sample value (see the class comment); no validity check.
    double toMillimetres(double raw) const { return (raw + m_heightOffset) * m_heightScale; }

    // Raw sample at (line, point) widened to 64 bits; 0 outside the image. Floating samples are
    // truncated; read them through mat().
    int64_t sample(int line, int point) const;

private:
    cv::Mat m_data;
    double m_heightScale = 1.0;
    double m_heightOffset = 0.0;
    double m_xInterval = 1.0;
    double m_xOffset = 0.0;
    double m_yInterval = 1.0;
    double m_yOffset = 0.0;
};
