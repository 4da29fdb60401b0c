// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <cstdint>
#include <opencv2/core.hpp>
#include <string>

#include "NuvPixelFormat.h"

/// @file
/// NuvImage, the image container of the data library.

/**
 * Image container of the data library: a cv::Mat with its PFNC pixel format (see NuvPixelFormat).
 *
 * Copies share pixels (like cv::Mat); clone() makes a deep copy. Mono8 and the 8-bit Bayer
 * mosaics map to one channel of 8 bits, Mono16 to one of 16 bits, RGB8 and BGR8 to three 8-bit channels,
 * Coord3D_C16 to 16-bit and Coord3D_C32 to 32-bit signed single-channel matrices; any other format gives an
 * empty image. A NuvImage is not synchronised: any thread may use it, but one object (and the images sharing
 * its pixels) only from one thread at a time.
 */
class NuvImage {
public:
    /// An empty image (isEmpty() is true, pixel format 0).
    NuvImage() = default;
    /**
     * Wraps (@p copy false) or copies (@p copy true) foreign pixels of @p width x @p height in
     * @p pixelFormat; @p step is the row length in bytes, 0 meaning tightly packed. A wrapping image
     * does not own the pixels: @p data must outlive it and its copies. An unknown format, a
     * non-positive size or null @p data leaves the image empty (the format is still recorded).
     */
    NuvImage(int width, int height, uint32_t pixelFormat, const void* data, size_t step = 0,
             bool copy = true);
    /// Allocates a zeroed image of @p width x @p height in @p pixelFormat; empty for an unknown
    /// format or a non-positive size.
    NuvImage(int width, int height, uint32_t pixelFormat);
    /// Shares the pixels of @p mat. The pixel format follows its type: CV_8UC1 Mono8, CV_16UC1
    /// Mono16, CV_8UC3 BGR8, CV_32SC1 Coord3D_C32, anything else 0.
    explicit NuvImage(const cv::Mat& mat);

    /// @return whether the image has no pixels.
    bool isEmpty() const { return m_mat.empty(); }
    /// @return the width in pixels (0 when empty).
    int width() const { return m_mat.cols; }
    /// @return the height in pixels (0 when empty).
    int height() const { return m_mat.rows; }
    /// @return the number of channels per pixel.
    int channels() const { return m_mat.channels(); }
    /// @return the row length in bytes.
    size_t step() const { return m_mat.step; }
    /// @return the PFNC pixel-format code (see NuvPixelFormat), 0 when unknown.
    uint32_t pixelFormat() const { return m_format; }
    /// @return the first pixel byte, or null when empty.
    uint8_t* data() { return m_mat.data; }
    /// @return the first pixel byte, or null when empty.
    const uint8_t* data() const { return m_mat.data; }
    /// @return the underlying matrix; changing it changes the image.
    cv::Mat& mat() { return m_mat; }
    /// @return the underlying matrix.
    const cv::Mat& mat() const { return m_mat; }
    /// @return a deep copy with its own pixels and the same pixel format.
    NuvImage clone() const;

    /**
     * Writes the image to the UTF-8 path @p utf8Path; the format follows the suffix, in any case
     * (bmp, jpg or jpeg, png, tif or tiff; TIFF uncompressed, 16-bit kept in PNG and TIFF, BMP and
     * JPEG keeping the upper byte of 16-bit samples). @p quality is 0..10, clamped (JPEG quality
     * quality*10 but at least 10, PNG compression 9-quality).
     * @return true when written; false for an empty image, an empty path, another suffix, or when
     * the image cannot be encoded or written. The file is complete or absent, and an existing file
     * is never replaced: the image takes the next free name (see NuvFileWriter), which
     * @p savedPath receives when given.
     */
    bool SaveImage(const char* utf8Path, int quality, std::string* savedPath = nullptr) const;

private:
    cv::Mat m_mat;
    uint32_t m_format = 0;
};
