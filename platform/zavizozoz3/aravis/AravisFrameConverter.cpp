// SPDX-License-Identifier: Apache-2.0
#include "AravisFrameConverter.h"

#include <opencv2/imgproc.hpp>

#include <cstdio>

#include "NuvPixelFormat.h"

namespace ZavizoZoz3 {

namespace {
// GenICam names a Bayer pattern by its first row, OpenCV by the second row's second and third
// pixel: the same mosaic has "opposite" names.
int demosaicCode(uint32_t format) {
    switch (format) {
        case AravisFrameConverter::kBayerRG8:
            return cv::COLOR_BayerBG2RGB;
        case AravisFrameConverter::kBayerBG8:
            return cv::COLOR_BayerRG2RGB;
        case AravisFrameConverter::kBayerGR8:
            return cv::COLOR_BayerGB2RGB;
        case AravisFrameConverter::kBayerGB8:
            return cv::COLOR_BayerGR2RGB;
        default:
            return -1;
    }
}

// Bytes per pixel in the buffer and the format the frame carries on.
bool layoutOf(uint32_t format, int& bytesPerPixel, uint32_t& shownAs) {
    switch (format) {
        case NuvPixelFormat::Mono8:
            bytesPerPixel = 1;
            shownAs = NuvPixelFormat::Mono8;
            return true;
        case AravisFrameConverter::kMono10:
        case AravisFrameConverter::kMono12:
        case NuvPixelFormat::Mono16:
            bytesPerPixel = 2;
            shownAs = NuvPixelFormat::Mono16;
            return true;
        case NuvPixelFormat::RGB8:
        case NuvPixelFormat::BGR8:
            bytesPerPixel = 3;
            shownAs = format;
            return true;
        default:
            if (demosaicCode(format) < 0) return false;
            bytesPerPixel = 1;
            shownAs = NuvPixelFormat::RGB8;
            return true;
    }
}
}  // namespace

bool AravisFrameConverter::convert(const uint8_t* data, size_t size, uint32_t pixelFormat, int width,
                                   int height, int rowPadding, EncodedFrame& out, std::string& reason) {
    int bytesPerPixel = 0;
    uint32_t shownAs = 0;
    char text[128];
    if (!layoutOf(pixelFormat, bytesPerPixel, shownAs)) {
        std::snprintf(text, sizeof text, "pixel format 0x%08X is not supported", pixelFormat);
        reason = text;
        return false;
    }
    const size_t rowBytes = static_cast<size_t>(width > 0 ? width : 0) * static_cast<size_t>(bytesPerPixel);
    const size_t stride = rowBytes + static_cast<size_t>(rowPadding > 0 ? rowPadding : 0);
    const size_t rows = static_cast<size_t>(height > 0 ? height : 0);
    // The last row needs no padding after it.
    if (!data || rowBytes == 0 || rows == 0 || size < stride * (rows - 1) + rowBytes) {
        std::snprintf(text, sizeof text, "a %d x %d image needs more than the %zu bytes received", width,
                      height, size);
        reason = text;
        return false;
    }
    out.kind = 0;
    out.width = width;
    out.height = height;
    out.pixelFormat = shownAs;
    const int demosaic = demosaicCode(pixelFormat);
    if (demosaic >= 0) {
        out.bytes.resize(rowBytes * rows * 3);
        const cv::Mat mosaic(height, width, CV_8UC1, const_cast<uint8_t*>(data), stride);
        cv::Mat rgb(height, width, CV_8UC3, out.bytes.data());
        cv::cvtColor(mosaic, rgb, demosaic);
    } else if (stride == rowBytes) {
        out.bytes.assign(data, data + rowBytes * rows);
    } else {
        out.bytes.clear();
        out.bytes.reserve(rowBytes * rows);
        for (size_t y = 0; y < rows; ++y)
            out.bytes.insert(out.bytes.end(), data + y * stride, data + y * stride + rowBytes);
    }
    return true;
}

}  // namespace ZavizoZoz3
