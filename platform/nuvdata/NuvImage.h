#pragma once
#include <cstdint>
#include <opencv2/core.hpp>

#include "NuvPixelFormat.h"

// Image container of the data library: a cv::Mat with its PFNC pixel format.
// Copies share pixels (like cv::Mat); clone() makes a deep copy.
class NuvImage {
public:
    NuvImage() = default;
    // Wraps (copy=false) or copies (copy=true) foreign pixels; step 0 means tightly packed.
    NuvImage(int width, int height, uint32_t pixelFormat, const void* data, size_t step = 0,
             bool copy = true);
    // Allocates a zeroed image.
    NuvImage(int width, int height, uint32_t pixelFormat);
    explicit NuvImage(const cv::Mat& mat);

    bool isEmpty() const { return m_mat.empty(); }
    int width() const { return m_mat.cols; }
    int height() const { return m_mat.rows; }
    int channels() const { return m_mat.channels(); }
    size_t step() const { return m_mat.step; }
    uint32_t pixelFormat() const { return m_format; }
    uint8_t* data() { return m_mat.data; }
    const uint8_t* data() const { return m_mat.data; }
    cv::Mat& mat() { return m_mat; }
    const cv::Mat& mat() const { return m_mat; }
    NuvImage clone() const;

    // Writes the image to a UTF-8 path; the format follows the suffix (bmp, jpg, png, tif; TIFF
    // uncompressed, 16-bit kept in PNG and TIFF). False if it cannot be encoded or written.
    // quality is 0..10 (JPEG quality quality*10, PNG compression 9-quality).
    bool SaveImage(const char* utf8Path, int quality) const;

private:
    cv::Mat m_mat;
    uint32_t m_format = 0;
};
