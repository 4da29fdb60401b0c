#include "Wnd3DImageTransTool.h"

#include <QDebug>
#include <QSharedPointer>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "ImageUpdateManager.h"
#include "ImageWndManager.h"
#include "NuvImage.h"
#include "NuvPayloadTools.h"
#include "RangeStreamer.h"

namespace {
int nodeInt(const std::string& key, const char* feature, int fallback) {
    std::string value;
    if (ZavizoZoz3::GetCameraNodeValue(key, feature, value) != 0 || value.empty()) return fallback;
    const int v = std::atoi(value.c_str());
    return v > 0 ? v : fallback;
}
}  // namespace

Wnd3DImageTransTool::Wnd3DImageTransTool(ImageUpdateManager* dispatcher, ImageWndManager* manager,
                                         const QString& cameraKey)
    : WndImageTransTool(dispatcher, manager, cameraKey) {
    const std::string key = cameraKey.toStdString();
    m_composedWidth = nodeInt(key, "WidthMax", 2048);
    m_composedHeight = nodeInt(key, "HeightMax", 1024);
}

void Wnd3DImageTransTool::transform(ZavizoZoz3::AcqBuffer* buffer, int kind, int frameIndex) {
    Q_UNUSED(frameIndex);
    if (buffer == nullptr) return;
    const bool profileSensor =
        ZavizoZoz3::GetCameraInfo(m_cameraKey.toStdString(), ZavizoZoz3::CAM_INFO_DEVICE_KIND) == "1";
    if (kind == 0 && buffer->isValid()) {
        transformPicture(buffer, profileSensor);
    } else if (kind == 1) {
        transformProfile(buffer);
    } else {
        transformRangeBatch(buffer);
    }
    buffer->release();
}

void Wnd3DImageTransTool::transformPicture(ZavizoZoz3::AcqBuffer* buffer, bool profileSensor) {
    if (profileSensor) {
        transformSensorWindow(buffer);
        return;
    }
    const int bpp = NuvPixelFormat::bytesPerPixel(buffer->pixelFormat());
    const size_t need = static_cast<size_t>(std::max(0, buffer->width())) *
                        static_cast<size_t>(std::max(0, buffer->height())) * static_cast<size_t>(bpp);
    if (bpp == 0 || need == 0 || buffer->data() == nullptr || buffer->size() < need) return;
    // The buffer goes back to the business layer after this call, so the image owns a copy.
    auto image = QSharedPointer<NuvImage>::create(buffer->width(), buffer->height(), buffer->pixelFormat(),
                                                  buffer->data(), 0, true);
    emit m_dispatcher->imageProfileUpdate(m_cameraKey, image, QVector<qreal>());
}

void Wnd3DImageTransTool::transformSensorWindow(ZavizoZoz3::AcqBuffer* buffer) {
    const std::string key = m_cameraKey.toStdString();
    NuvLPFrameInfo info{};
    if (NUVSDK_LP_GetFrameInfo(buffer->data(), buffer->size(), &info) != NUVSDK_LP_OK || info.kind != 0)
        return;
    const void* pixels = nullptr;
    size_t pixelBytes = 0;
    if (NUVSDK_LP_GetData(buffer->data(), buffer->size(), &pixels, &pixelBytes) != NUVSDK_LP_OK) return;
    const int width = static_cast<int>(info.windowWidth);
    const int height = static_cast<int>(info.windowHeight);
    if (width <= 0 || height <= 0 || pixelBytes < static_cast<size_t>(width) * static_cast<size_t>(height))
        return;

    if (width != m_windowWidth || height != m_windowHeight) {
        m_windowWidth = width;
        m_windowHeight = height;
        ZavizoZoz3::SetCameraInfo(key, ZavizoZoz3::CAM_INFO_RESOLUTION,
                                  QStringLiteral("%1 * %2").arg(width).arg(height).toStdString());
    }
    const int rowOffset = std::max(
        0, std::atoi(ZavizoZoz3::GetCameraInfo(key, ZavizoZoz3::CAM_INFO_WINDOW_ROW_OFFSET).c_str()));
    const int composedW = std::max(m_composedWidth, width);
    const int composedH = std::max(m_composedHeight, height);
    const size_t composedBytes = static_cast<size_t>(composedW) * static_cast<size_t>(composedH) * 3;
    if (m_composed.size() != composedBytes) m_composed.assign(composedBytes, 0);

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
        return;
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
    emit m_dispatcher->qimageProfileUpdate(m_cameraKey, image, profile);
}

void Wnd3DImageTransTool::transformProfile(ZavizoZoz3::AcqBuffer* buffer) {
    QVector<qreal> profile;
    QVector<uint8_t> brightness;
    size_t points = 0;
    size_t bright = 0;
    if (buffer->data() != nullptr && NUVSDK_LP_ExtractContour16u(buffer->data(), buffer->size(), nullptr,
                                                                 &points, nullptr, &bright) == 0) {
        std::vector<uint16_t> values(points);
        std::vector<uint8_t> grey(bright);
        const int result = NUVSDK_LP_ExtractContour16u(buffer->data(), buffer->size(), values.data(), &points,
                                                       bright ? grey.data() : nullptr, &bright);
        if (result == NUVSDK_LP_OK || result == NUVSDK_LP_ERR_NO_BRIGHTNESS) {
            // The contour page and the correction panel work in millimetres; a zero sample is a
            // point without measurement.
            NuvLPFrameInfo info{};
            NUVSDK_LP_GetFrameInfo(buffer->data(), buffer->size(), &info);
            const RangeStreamer::Format f = RangeStreamer::formatFor(0, static_cast<int>(info.scaler));
            profile.reserve(static_cast<int>(points));
            for (size_t i = 0; i < points; ++i) {
                profile.append(values[i] == 0 ? std::numeric_limits<qreal>::quiet_NaN()
                                              : (values[i] - f.heightOffset) * f.heightScale);
            }
        }
        if (result == NUVSDK_LP_OK) {
            brightness.reserve(static_cast<int>(bright));
            for (size_t i = 0; i < bright; ++i)
                brightness.append(grey[i]);
        }
    }
    emit m_dispatcher->profileUpdate(m_cameraKey, profile, brightness);
}

void Wnd3DImageTransTool::transformRangeBatch(ZavizoZoz3::AcqBuffer* buffer) {
    NuvLPFrameInfo info{};
    if (buffer->data() == nullptr ||
        NUVSDK_LP_GetFrameInfo(buffer->data(), buffer->size(), &info) != NUVSDK_LP_OK) {
        return;
    }
    INT32* written = nullptr;
    const bool ok = m_manager->writeRangeBatch(
        m_cameraKey, static_cast<int>(info.frameNumber),
        [&](uint8_t* range, uint8_t* grey, int lines, int points) {
            const size_t capacity = static_cast<size_t>(lines) * static_cast<size_t>(points);
            if (info.sampleType == 2) {
                size_t count = 0;
                size_t bright = 0;
                if (NUVSDK_LP_ExtractContour16u(buffer->data(), buffer->size(), nullptr, &count, nullptr,
                                                &bright) != 0 ||
                    count > capacity) {
                    return;
                }
                count = capacity;
                bright = bright > 0 ? capacity : 0;
                const int r = NUVSDK_LP_ExtractContour16u(buffer->data(), buffer->size(),
                                                          reinterpret_cast<uint16_t*>(range), &count,
                                                          bright ? grey : nullptr, &bright);
                if (r != NUVSDK_LP_OK && r != NUVSDK_LP_ERR_NO_BRIGHTNESS) return;
            } else {
                size_t count = 0;
                if (NUVSDK_LP_ExtractContour32s(buffer->data(), buffer->size(), nullptr, &count, 4) != 0 ||
                    count > capacity) {
                    return;
                }
                count = capacity;
                if (NUVSDK_LP_ExtractContour32s(buffer->data(), buffer->size(), range, &count, 4) != 0)
                    return;
            }
            written = reinterpret_cast<INT32*>(range);
        });
    if (!ok || written == nullptr) return;
    emit m_dispatcher->rangeImageUpdate(m_cameraKey, written, static_cast<size_t>(info.imageId),
                                        static_cast<int>(info.frameNumber), info.isEnd != 0);
}
