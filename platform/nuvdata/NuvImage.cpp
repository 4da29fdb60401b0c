// SPDX-License-Identifier: Apache-2.0
#include "NuvImage.h"

#include "NuvFileWriter.h"

#include <algorithm>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <string>
#include <vector>

namespace {
int cvTypeOf(uint32_t format) {
    switch (format) {
        case NuvPixelFormat::Mono8:
        case NuvPixelFormat::BayerGR8:
        case NuvPixelFormat::BayerRG8:
        case NuvPixelFormat::BayerGB8:
        case NuvPixelFormat::BayerBG8:
            return CV_8UC1;
        case NuvPixelFormat::Mono16:
        case NuvPixelFormat::Coord3D_C16:
            return CV_16UC1;
        case NuvPixelFormat::RGB8:
        case NuvPixelFormat::BGR8:
            return CV_8UC3;
        case NuvPixelFormat::Coord3D_C32:
            return CV_32SC1;
        default:
            return -1;
    }
}

uint32_t formatOf(const cv::Mat& m) {
    switch (m.type()) {
        case CV_8UC1:
            return NuvPixelFormat::Mono8;
        case CV_16UC1:
            return NuvPixelFormat::Mono16;
        case CV_8UC3:
            return NuvPixelFormat::BGR8;
        case CV_32SC1:
            return NuvPixelFormat::Coord3D_C32;
        default:
            return 0;
    }
}

std::string lowerSuffix(const std::string& path) {
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos) return {};
    std::string s = path.substr(dot + 1);
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}
}  // namespace

NuvImage::NuvImage(int width, int height, uint32_t pixelFormat, const void* data, size_t step, bool copy)
    : m_format(pixelFormat) {
    const int type = cvTypeOf(pixelFormat);
    if (type < 0 || width <= 0 || height <= 0 || data == nullptr) return;
    cv::Mat wrapped(height, width, type, const_cast<void*>(data),
                    step == 0 ? static_cast<size_t>(cv::Mat::AUTO_STEP) : step);
    m_mat = copy ? wrapped.clone() : wrapped;
}

NuvImage::NuvImage(int width, int height, uint32_t pixelFormat) : m_format(pixelFormat) {
    const int type = cvTypeOf(pixelFormat);
    if (type < 0 || width <= 0 || height <= 0) return;
    m_mat = cv::Mat::zeros(height, width, type);
}

NuvImage::NuvImage(const cv::Mat& mat) : m_mat(mat), m_format(formatOf(mat)) {}

NuvImage NuvImage::clone() const {
    NuvImage c;
    c.m_mat = m_mat.clone();
    c.m_format = m_format;
    return c;
}

bool NuvImage::SaveImage(const char* utf8Path, int quality, std::string* savedPath) const {
    if (m_mat.empty() || utf8Path == nullptr || *utf8Path == '\0') return false;
    const std::string path(utf8Path);
    const std::string suffix = lowerSuffix(path);
    std::vector<int> params;
    const int q = std::clamp(quality, 0, 10);
    if (suffix == "jpg" || suffix == "jpeg") {
        params = {cv::IMWRITE_JPEG_QUALITY, std::max(10, q * 10)};
    } else if (suffix == "png") {
        params = {cv::IMWRITE_PNG_COMPRESSION, 9 - std::min(9, q)};
    } else if (suffix == "tif" || suffix == "tiff") {
        params = {cv::IMWRITE_TIFF_COMPRESSION, 1};  // uncompressed, readable everywhere
    } else if (suffix != "bmp") {
        return false;
    }
    std::vector<uchar> bytes;
    try {
        // Copies of an image share its pixels: every conversion goes into a matrix of its own.
        cv::Mat out = m_mat;
        if (m_format == NuvPixelFormat::RGB8) {
            cv::Mat bgr;
            cv::cvtColor(m_mat, bgr, cv::COLOR_RGB2BGR);
            out = bgr;
        }
        // BMP and JPEG hold 8 bits per channel: keep the upper byte of 16-bit samples.
        if (out.depth() == CV_16U && (suffix == "jpg" || suffix == "jpeg" || suffix == "bmp")) {
            cv::Mat narrow;
            out.convertTo(narrow, CV_8U, 1.0 / 256.0);
            out = narrow;
        }
        // Encoding to memory and writing ourselves keeps UTF-8 paths working on every platform.
        if (!cv::imencode("." + suffix, out, bytes, params)) return false;
    } catch (const cv::Exception&) {
        return false;
    }
    NuvFileWriter file(path);
    file.write(bytes.data(), bytes.size());
    if (!file.close()) return false;
    if (savedPath) *savedPath = file.path();
    return true;
}
