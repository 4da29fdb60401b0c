// SPDX-License-Identifier: Apache-2.0
#include "UncompressedImageFile.h"

#include <algorithm>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "NuvFileWriter.h"

namespace {
bool isBmp(const QString& path) {
    return path.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive);
}

void put16(std::vector<uint8_t>* out, uint32_t v) {
    out->push_back(static_cast<uint8_t>(v));
    out->push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>* out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// BMP with a top-down row order (negative height), so the rows go out in memory order.
std::vector<uint8_t> bmpHeader(int w, int h, int channels, size_t rowBytes) {
    const uint32_t palette = channels == 1 ? 256 * 4 : 0;
    const uint32_t offset = 14 + 40 + palette;
    const uint32_t imageBytes = static_cast<uint32_t>(rowBytes * static_cast<size_t>(h));
    std::vector<uint8_t> out;
    out.reserve(offset);
    out.push_back('B');
    out.push_back('M');
    put32(&out, offset + imageBytes);
    put32(&out, 0);
    put32(&out, offset);
    put32(&out, 40);
    put32(&out, static_cast<uint32_t>(w));
    put32(&out, static_cast<uint32_t>(-h));
    put16(&out, 1);
    put16(&out, static_cast<uint32_t>(channels * 8));
    put32(&out, 0);  // no compression
    put32(&out, imageBytes);
    put32(&out, 2835);  // 72 dpi
    put32(&out, 2835);
    put32(&out, channels == 1 ? 256 : 0);
    put32(&out, 0);
    for (uint32_t i = 0; i < palette / 4; ++i) {
        out.push_back(static_cast<uint8_t>(i));
        out.push_back(static_cast<uint8_t>(i));
        out.push_back(static_cast<uint8_t>(i));
        out.push_back(0);
    }
    return out;
}

}  // namespace

bool UncompressedImageFile::canWrite(const NuvImage& image, const QString& path) {
    const cv::Mat& m = image.mat();
    return !m.empty() && m.depth() == CV_8U && (m.channels() == 1 || m.channels() == 3) && isBmp(path);
}

bool UncompressedImageFile::write(const NuvImage& image, const QString& path, QString* error,
                                  QString* saved) {
    // The pixels are shared with the pane and the statistics thread: they are only ever read here.
    const cv::Mat& m = image.mat();
    const int channels = m.channels();
    // BMP keeps colour as blue, green, red.
    const bool swapColours = channels == 3 && image.pixelFormat() != NuvPixelFormat::BGR8;
    const size_t rowBytes = static_cast<size_t>(m.cols) * static_cast<size_t>(channels);
    const size_t paddedRow = (rowBytes + 3) & ~size_t(3);
    const std::vector<uint8_t> header = bmpHeader(m.cols, m.rows, channels, paddedRow);

    NuvFileWriter file(path.toStdString());
    bool ok = file.write(header.data(), header.size());
    if (ok && !swapColours && m.isContinuous() && paddedRow == rowBytes) {
        ok = file.write(m.data, rowBytes * static_cast<size_t>(m.rows));
    } else if (ok && swapColours) {
        // Blocks of rows are swapped into a buffer of our own, padding included, and written from there.
        const int blockRows = static_cast<int>(std::max<size_t>(1, (size_t(1) << 20) / paddedRow));
        std::vector<uint8_t> block(paddedRow * static_cast<size_t>(std::min(blockRows, m.rows)), 0);
        for (int y = 0; ok && y < m.rows; y += blockRows) {
            const int rows = std::min(blockRows, m.rows - y);
            cv::Mat out(rows, m.cols, m.type(), block.data(), paddedRow);
            cv::cvtColor(m.rowRange(y, y + rows), out, cv::COLOR_RGB2BGR);
            // The block has the size and type asked for, so the conversion stays in it.
            ok = out.data == block.data() && file.write(block.data(), paddedRow * static_cast<size_t>(rows));
        }
    } else {
        const char padding[4] = {0, 0, 0, 0};
        for (int y = 0; ok && y < m.rows; ++y) {
            ok = file.write(m.ptr(y), rowBytes) && file.write(padding, paddedRow - rowBytes);
        }
    }
    if (file.close()) {
        if (saved) *saved = QString::fromStdString(file.path());
        return true;
    }
    if (error) *error = QString::fromStdString(file.error());
    return false;
}
