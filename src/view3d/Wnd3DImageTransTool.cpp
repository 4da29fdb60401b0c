// SPDX-License-Identifier: Apache-2.0
#include "Wnd3DImageTransTool.h"

#include <QSharedPointer>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "ImageUpdateManager.h"
#include "NuvImage.h"
#include "NuvNumberParse.h"
#include "NuvPayloadTools.h"
#include "RangeBatchSink.h"
#include "RangeStreamer.h"
#include "StreamSaveFeed.h"

namespace {
int nodeInt(const std::string& key, const char* feature, int fallback) {
    std::string value;
    if (ZavizoZoz3::GetCameraNodeValue(key, feature, value) != 0 || value.empty()) return fallback;
    const int v = NuvNumberParse::valueOr(value, 0);
    return v > 0 ? v : fallback;
}
}  // namespace

Wnd3DImageTransTool::Wnd3DImageTransTool(ImageUpdateManager* dispatcher, ImageWndManager* manager,
                                         const QString& cameraKey, std::shared_ptr<RangeBatchSink> rangeSink)
    : WndImageTransTool(dispatcher, manager, cameraKey), m_rangeSink(std::move(rangeSink)) {
    const std::string key = cameraKey.toStdString();
    m_composedWidth = nodeInt(key, "WidthMax", 2048);
    m_composedHeight = nodeInt(key, "HeightMax", 1024);
    // The sensor's size comes from the camera: one beyond any real sensor is not believed, and the
    // picture then shows the window alone.
    if (static_cast<int64_t>(m_composedWidth) * m_composedHeight > kMaxComposedPixels)
        m_composedWidth = m_composedHeight = 1;
}

void Wnd3DImageTransTool::setPictureRoute(std::shared_ptr<LatestFrameSlot> slot,
                                          std::shared_ptr<StreamSaveFeed> saveFeed) {
    m_pictureSlot = std::move(slot);
    m_saveFeed = std::move(saveFeed);
}

bool Wnd3DImageTransTool::publishPicture(LatestFrameSlot::Frame frame) {
    if (!m_pictureSlot) return false;
    const LatestFrameSlot::PutResult put = m_pictureSlot->put(std::move(frame));
    // The picture it replaced reached the viewer but was never shown: the display fell behind.
    if (put.replaced && m_counters) m_counters->countDropped();
    if (put.wake) emit m_dispatcher->pictureReady(m_cameraKey);
    return true;
}

size_t Wnd3DImageTransTool::composedBufferBytes() const {
    return m_composed.capacity();
}

void Wnd3DImageTransTool::transform(ZavizoZoz3::AcqBuffer* buffer, int kind, int frameIndex) {
    if (buffer == nullptr) return;
    const bool profileSensor =
        ZavizoZoz3::GetCameraInfo(m_cameraKey.toStdString(), ZavizoZoz3::CAM_INFO_DEVICE_KIND) == "1";
    // This runs inside the business layer's callback: nothing may escape into it, and the buffer
    // always goes back.
    bool handedOn = false;
    try {
        if (kind == 0 && buffer->isValid()) {
            // The frame index is the camera's 32-bit counter: read it back as unsigned.
            FrameMetadata stamp;
            stamp.frameId = static_cast<qint64>(static_cast<uint32_t>(frameIndex));
            stamp.cameraTimestampNs = buffer->timestampNs();
            handedOn = transformPicture(buffer, profileSensor, stamp);
        } else if (kind == 1) {
            transformProfile(buffer);
            handedOn = true;
        } else {
            handedOn = transformRangeBatch(buffer);
        }
    } catch (const std::exception& e) {
        ZavizoZoz3::VLogError("Wnd3DImageTransTool",
                              "frame of " + m_cameraKey.toStdString() + " dropped: " + e.what(), 0);
    }
    // A frame that reached us but that the pane will never see counts against the viewer.
    if (!handedOn && m_counters) m_counters->countDropped();
    buffer->release();
}

bool Wnd3DImageTransTool::transformPicture(ZavizoZoz3::AcqBuffer* buffer, bool profileSensor,
                                           const FrameMetadata& stamp) {
    if (profileSensor) return transformSensorWindow(buffer, stamp);
    const int bpp = NuvPixelFormat::bytesPerPixel(buffer->pixelFormat());
    const size_t need = static_cast<size_t>(std::max(0, buffer->width())) *
                        static_cast<size_t>(std::max(0, buffer->height())) * static_cast<size_t>(bpp);
    if (bpp == 0 || need == 0 || buffer->data() == nullptr || buffer->size() < need) return false;
    // The buffer goes back to the business layer after this call, so the image owns a copy.
    auto image = QSharedPointer<NuvImage>::create(buffer->width(), buffer->height(), buffer->pixelFormat(),
                                                  buffer->data(), 0, true);
    // A running save takes every frame here, whatever the display keeps up with.
    if (m_saveFeed) m_saveFeed->offer(*image, stamp);
    emit m_dispatcher->imageProfileUpdate(m_cameraKey, image, QVector<qreal>());
    return publishPicture({image, {}, {}});
}

bool Wnd3DImageTransTool::transformSensorWindow(ZavizoZoz3::AcqBuffer* buffer, const FrameMetadata& stamp) {
    const std::string key = m_cameraKey.toStdString();
    NuvLPFrameInfo info{};
    if (NUVSDK_LP_GetFrameInfo(buffer->data(), buffer->size(), &info) != NUVSDK_LP_OK || info.kind != 0)
        return false;
    const void* pixels = nullptr;
    size_t pixelBytes = 0;
    if (NUVSDK_LP_GetData(buffer->data(), buffer->size(), &pixels, &pixelBytes) != NUVSDK_LP_OK) return false;
    const int width = static_cast<int>(info.windowWidth);
    const int height = static_cast<int>(info.windowHeight);
    if (width <= 0 || height <= 0 || pixelBytes < static_cast<size_t>(width) * static_cast<size_t>(height))
        return false;

    if (width != m_windowWidth || height != m_windowHeight) {
        m_windowWidth = width;
        m_windowHeight = height;
        ZavizoZoz3::SetCameraInfo(key, ZavizoZoz3::CAM_INFO_RESOLUTION,
                                  QStringLiteral("%1 * %2").arg(width).arg(height).toStdString());
    }
    const int rowOffset = std::max(
        0,
        NuvNumberParse::valueOr(ZavizoZoz3::GetCameraInfo(key, ZavizoZoz3::CAM_INFO_WINDOW_ROW_OFFSET), 0));
    const int composedW = std::max(m_composedWidth, width);
    const int composedH = std::max(m_composedHeight, height);
    const size_t composedBytes = static_cast<size_t>(composedW) * static_cast<size_t>(composedH) * 3;
    // A fresh buffer for a new size: one that only shrank would keep the largest window's memory.
    if (m_composed.size() != composedBytes) std::vector<uint8_t>(composedBytes).swap(m_composed);

    // The window sits at its row offset counted from the bottom of the sensor.
    const int rowsAbove = std::max(0, composedH - rowOffset - height);
    const int windowEnd = std::min(composedH, rowsAbove + height);
    const auto* src = static_cast<const uint8_t*>(pixels);
    for (int y = 0; y < composedH; ++y) {
        uint8_t* dst = m_composed.data() + static_cast<size_t>(y) * static_cast<size_t>(composedW) * 3;
        if (y < rowsAbove || y >= windowEnd) {
            for (int x = 0; x < composedW; ++x) {
                dst[3 * x] = kOutsideWindowRed;
                dst[3 * x + 1] = kOutsideWindowGreen;
                dst[3 * x + 2] = kOutsideWindowBlue;
            }
            continue;
        }
        const uint8_t* row = src + static_cast<size_t>(y - rowsAbove) * static_cast<size_t>(width);
        const int copyW = std::min(width, composedW);
        for (int x = 0; x < copyW; ++x)
            dst[3 * x] = dst[3 * x + 1] = dst[3 * x + 2] = row[x];
        for (int x = copyW; x < composedW; ++x)
            dst[3 * x] = dst[3 * x + 1] = dst[3 * x + 2] = 0;
    }
    auto image = QSharedPointer<QImage>::create(m_composed.data(), composedW, composedH, composedW * 3,
                                                QImage::Format_RGB888);
    *image = image->copy();  // detach from the reused composition buffer

    size_t count = 0;
    if (NUVSDK_LP_ExtractContour32s(buffer->data(), buffer->size(), nullptr, &count, 8) != NUVSDK_LP_OK)
        return false;
    std::vector<int64_t> contour(count);
    QVector<qreal> profile;
    if (count > 0 && NUVSDK_LP_ExtractContour32s(buffer->data(), buffer->size(), contour.data(), &count, 8) ==
                         NUVSDK_LP_OK) {
        profile.reserve(static_cast<int>(count));
        for (size_t i = 0; i < count; ++i) {
            const int64_t v = contour[i];
            // A column without a laser point has no row: NaN, so nothing is drawn for it.
            profile.append(v >= 0 && v < height ? static_cast<qreal>(v + rowsAbove)
                                                : std::numeric_limits<qreal>::quiet_NaN());
        }
    }
    if (m_saveFeed) m_saveFeed->offer(*image, stamp);
    emit m_dispatcher->qimageProfileUpdate(m_cameraKey, image, profile);
    return publishPicture({{}, image, profile});
}

void Wnd3DImageTransTool::transformProfile(ZavizoZoz3::AcqBuffer* buffer) {
    QVector<qreal> profile;
    QVector<uint8_t> brightness;
    NuvLPFrameInfo info{};
    const void* data = buffer->data();
    const size_t size = buffer->size();
    if (data != nullptr && NUVSDK_LP_GetFrameInfo(data, size, &info) == NUVSDK_LP_OK) {
        // The contour page, the correction panel and the savers work in millimetres, converted
        // by the profile formula of the payload's sample width.
        const RangeStreamer::Format f =
            RangeStreamer::formatFor(info.sampleType == 2 ? 0 : 1, static_cast<int>(info.scaler));
        size_t points = 0;
        int result = NUVSDK_LP_ERR_KIND;
        std::vector<int32_t> values;
        if (info.sampleType == 2 &&
            NUVSDK_LP_ExtractContour16u(data, size, nullptr, &points, nullptr, nullptr) == NUVSDK_LP_OK) {
            std::vector<uint16_t> raw(points);
            result = NUVSDK_LP_ExtractContour16u(data, size, raw.data(), &points, nullptr, nullptr);
            values.assign(raw.begin(), raw.end());
        } else if (info.sampleType == 4 &&
                   NUVSDK_LP_ExtractContour32s(data, size, nullptr, &points, 4) == NUVSDK_LP_OK) {
            values.resize(points);
            result = NUVSDK_LP_ExtractContour32s(data, size, values.data(), &points, 4);
        }
        if (result == NUVSDK_LP_OK || result == NUVSDK_LP_ERR_NO_BRIGHTNESS) {
            profile.reserve(static_cast<int>(points));
            for (size_t i = 0; i < points; ++i)
                profile.append(f.profileHeight(values[i]));
            size_t bright = points;
            brightness.resize(static_cast<int>(bright));
            if (NUVSDK_LP_ExtractBrightness(data, size, brightness.data(), &bright) != NUVSDK_LP_OK)
                brightness.clear();
        }
    }
    emit m_dispatcher->profileUpdate(m_cameraKey, profile, brightness);
}

bool Wnd3DImageTransTool::transformRangeBatch(ZavizoZoz3::AcqBuffer* buffer) {
    NuvLPFrameInfo info{};
    if (buffer->data() == nullptr ||
        NUVSDK_LP_GetFrameInfo(buffer->data(), buffer->size(), &info) != NUVSDK_LP_OK) {
        return false;
    }
    if (!m_rangeSink || info.frameNumber > static_cast<uint32_t>(std::numeric_limits<int>::max()) ||
        info.lineCount > static_cast<uint32_t>(std::numeric_limits<int>::max()) ||
        info.pointsPerProfile > static_cast<uint32_t>(std::numeric_limits<int>::max()))
        return false;
    // The streamer refuses a batch whose geometry is not that of its place in the prepared scan;
    // every count here is also bounded by the bytes behind the pointers.
    const RangeStreamer::BatchShape shape{static_cast<int>(info.lineCount),
                                          static_cast<int>(info.pointsPerProfile),
                                          static_cast<int>(info.sampleType)};
    INT32* written = nullptr;
    const bool ok = m_rangeSink->write(
        info.imageId, static_cast<int>(info.frameNumber), shape, [&](const RangeStreamer::BatchBuffers& to) {
            size_t count = to.rangeBytes / static_cast<size_t>(to.bytesPerPoint);
            size_t bright = to.greyBytes;
            int r = NUVSDK_LP_ERR_KIND;
            if (info.sampleType == 2) {
                r = NUVSDK_LP_ExtractContour16u(buffer->data(), buffer->size(),
                                                reinterpret_cast<uint16_t*>(to.range), &count, to.grey,
                                                &bright);
            } else if (info.sampleType == 4 && NUVSDK_LP_ExtractContour32s(buffer->data(), buffer->size(),
                                                                           to.range, &count, 4) == 0) {
                r = NUVSDK_LP_ExtractBrightness(buffer->data(), buffer->size(), to.grey, &bright);
            }
            if (r != NUVSDK_LP_OK && r != NUVSDK_LP_ERR_NO_BRIGHTNESS) return false;
            // A batch without brightness leaves no grey of an earlier image behind.
            if (r == NUVSDK_LP_ERR_NO_BRIGHTNESS) std::memset(to.grey, 0, to.greyBytes);
            written = reinterpret_cast<INT32*>(to.range);
            return true;
        });
    if (!ok || written == nullptr) return false;
    emit m_dispatcher->rangeImageUpdate(m_cameraKey, written, static_cast<size_t>(info.imageId),
                                        static_cast<int>(info.frameNumber), info.isEnd != 0);
    return true;
}
