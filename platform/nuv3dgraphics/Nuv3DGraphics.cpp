// SPDX-License-Identifier: Apache-2.0
#include "Nuv3DGraphics.h"

#include <QColor>
#include <QCoreApplication>
#include <QWidget>

#include "Nuv3DPointBuffer.h"
#include "Nuv3DRegistry.h"
#include "Nuv3DWindow.h"

namespace {

Nuv3DRegistry& registry() {
    return Nuv3DRegistry::instance();
}

// Rejected data calls are reported in the window's status line (errors always pass the level).
int report(int64_t handle, int result, const char* what) {
    if (result < 0 && result != NUV3D_ERR_HANDLE) {
        const QString text = QCoreApplication::translate("Nuv3DGraphics", "%1 rejected (error %2)")
                                 .arg(QString::fromLatin1(what))
                                 .arg(result);
        registry().runOnWindow(handle, [text](Nuv3DWindow* w) { w->logMessage(NUV3D_LOG_ERROR, text); });
    }
    return result;
}

}  // namespace

int64_t NuvCreate3DWnd(int64_t parentWidget) {
    return registry().create(reinterpret_cast<QWidget*>(static_cast<intptr_t>(parentWidget)));
}

int NuvMove3DWnd(int64_t handle, int x, int y, int width, int height) {
    if (width < 0 || height < 0) {
        return report(handle, NUV3D_ERR_ARG, "NuvMove3DWnd");
    }
    return registry().runOnWindow(handle, [=](Nuv3DWindow* w) { w->setGeometry(x, y, width, height); });
}

int NuvSet3DBackgroundColor(int64_t handle, int red, int green, int blue, int alpha) {
    const auto inRange = [](int v) { return v >= 0 && v <= 255; };
    if (!inRange(red) || !inRange(green) || !inRange(blue) || !inRange(alpha)) {
        return report(handle, NUV3D_ERR_ARG, "NuvSet3DBackgroundColor");
    }
    const QColor colour(red, green, blue, alpha);
    return registry().runOnWindow(handle, [colour](Nuv3DWindow* w) { w->setBackground(colour); });
}

int NuvSet3DToolbarVisible(int64_t handle, uint32_t items, bool visible) {
    if ((items & ~static_cast<uint32_t>(NUV3D_TOOL_ALL)) != 0) {
        return report(handle, NUV3D_ERR_ARG, "NuvSet3DToolbarVisible");
    }
    return registry().runOnWindow(handle, [=](Nuv3DWindow* w) { w->setToolItemsVisible(items, visible); });
}

int NuvSet3DStatusBarLogLevel(int64_t handle, int level) {
    if (level < NUV3D_LOG_ERROR || level > NUV3D_LOG_DEBUG) {
        return report(handle, NUV3D_ERR_ARG, "NuvSet3DStatusBarLogLevel");
    }
    return registry().runOnWindow(handle, [level](Nuv3DWindow* w) { w->setLogLevel(level); });
}

int Nuv3DZoomFitWnd(int64_t handle) {
    return registry().runOnWindow(handle, [](Nuv3DWindow* w) { w->fit(); });
}

int NuvSetPerspective(int64_t handle, int projection) {
    if (projection != NUV3D_PERSPECTIVE && projection != NUV3D_ORTHOGRAPHIC) {
        return report(handle, NUV3D_ERR_ARG, "NuvSetPerspective");
    }
    return registry().runOnWindow(
        handle, [projection](Nuv3DWindow* w) { w->setOrthographic(projection == NUV3D_ORTHOGRAPHIC); });
}

int NuvSetSamplingRatio(int64_t handle, int ratio) {
    const auto buffer = registry().buffer(handle);
    if (!buffer) {
        return NUV3D_ERR_HANDLE;
    }
    return report(handle, buffer->setSamplingRatio(ratio), "NuvSetSamplingRatio");
}

int NuvSetLineThinning(int64_t handle, int k) {
    const auto buffer = registry().buffer(handle);
    if (!buffer) {
        return NUV3D_ERR_HANDLE;
    }
    const int previous = buffer->lineThinning();
    const int result = report(handle, buffer->setLineThinning(k), "NuvSetLineThinning");
    if (result == NUV3D_OK && previous != k) {
        registry().requestRepaint(handle);
    }
    return result;
}

int NuvInitialRangeImage(int64_t handle, int bytesPerPoint, int pointsPerLine, int totalLines,
                         double xInterval, double xOffset, double yInterval, double yOffset,
                         double heightScale, double heightOffset, float heightMin, float heightMax,
                         int displayMode) {
    const auto buffer = registry().buffer(handle);
    if (!buffer) {
        return NUV3D_ERR_HANDLE;
    }
    Nuv3DRangeSetup setup;
    setup.bytesPerPoint = bytesPerPoint;
    setup.pointsPerLine = pointsPerLine;
    setup.totalLines = totalLines;
    setup.xInterval = xInterval;
    setup.xOffset = xOffset;
    setup.yInterval = yInterval;
    setup.yOffset = yOffset;
    setup.heightScale = heightScale;
    setup.heightOffset = heightOffset;
    setup.heightMin = heightMin;
    setup.heightMax = heightMax;
    setup.displayMode = displayMode;
    const int stream = buffer->setup(setup);
    registry().requestRepaint(handle);
    return report(handle, stream, "NuvInitialRangeImage");
}

int NuvAppendDataStream(int64_t handle, int dataStreamId, const void* rangeData, const void* colourOrGrey,
                        int bytesPerPoint, int firstRow, int lastRow) {
    return NuvAppendDataStreamChecked(handle, dataStreamId, rangeData, Nuv3DPointBuffer::kUnsized,
                                      colourOrGrey, Nuv3DPointBuffer::kUnsized, bytesPerPoint, firstRow,
                                      lastRow);
}

int NuvAppendDataStreamChecked(int64_t handle, int dataStreamId, const void* rangeData, size_t rangeBytes,
                               const void* colourOrGrey, size_t colourBytes, int bytesPerPoint, int firstRow,
                               int lastRow) {
    const auto buffer = registry().buffer(handle);
    if (!buffer) {
        return NUV3D_ERR_HANDLE;
    }
    const int result = buffer->append(dataStreamId, rangeData, colourOrGrey, bytesPerPoint, firstRow, lastRow,
                                      rangeBytes, colourBytes);
    if (result == NUV3D_OK) {
        registry().requestRepaint(handle);
    }
    return report(handle, result, "NuvAppendDataStream");
}

int NuvClearAllRangeImage(int64_t handle) {
    const auto buffer = registry().buffer(handle);
    if (!buffer) {
        return NUV3D_ERR_HANDLE;
    }
    buffer->clear();
    registry().requestRepaint(handle);
    return NUV3D_OK;
}

int NuvDestory3DWnd(int64_t handle) {
    return registry().destroy(handle);
}

int64_t NuvGetPointCount(int64_t handle) {
    const auto buffer = registry().buffer(handle);
    return buffer ? buffer->pointCount() : static_cast<int64_t>(NUV3D_ERR_HANDLE);
}
