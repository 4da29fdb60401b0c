#pragma once
#include <cstdint>
#include <opencv2/core.hpp>

// Range image: lines x points of 16-bit or 32-bit raw height samples plus the scale information
// that turns a sample into millimetres (height = sample * heightScale + heightOffset).
class NuvRangeImage {
public:
    NuvRangeImage() = default;
    // bytesPerPoint is 2 or 4; anything else gives an empty image.
    NuvRangeImage(int pointsPerLine, int lines, int bytesPerPoint);

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

    // Raw sample at (line, point) widened to 64 bits; 0 outside the image.
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
