#include "Nuv3DPointBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "Nuv3DGraphics.h"

namespace {

bool isFinite(double v) {
    return std::isfinite(v);
}

// Raw samples may sit at any byte offset inside the caller's buffer.
uint32_t readSample(const uint8_t* p, int bytesPerPoint) {
    if (bytesPerPoint == 2) {
        uint16_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v & 0x1FFFFFu;  // 21 significant bits; higher bits flag the sample
}

}  // namespace

void Nuv3DPointBuffer::rampColour(float t, uint8_t* rgb) {
    t = std::clamp(std::isfinite(t) ? t : 0.0f, 0.0f, 1.0f);
    const float s = t * 4.0f;
    const int seg = std::min(3, static_cast<int>(s));
    const auto f = static_cast<uint8_t>(std::lround((s - static_cast<float>(seg)) * 255.0f));
    switch (seg) {
        case 0:  // blue -> cyan
            rgb[0] = 0, rgb[1] = f, rgb[2] = 255;
            break;
        case 1:  // cyan -> green
            rgb[0] = 0, rgb[1] = 255, rgb[2] = static_cast<uint8_t>(255 - f);
            break;
        case 2:  // green -> yellow
            rgb[0] = f, rgb[1] = 255, rgb[2] = 0;
            break;
        default:  // yellow -> red
            rgb[0] = 255, rgb[1] = static_cast<uint8_t>(255 - f), rgb[2] = 0;
            break;
    }
}

int Nuv3DPointBuffer::setSamplingRatio(int ratio) {
    if (ratio < 1 || ratio > kMaxSamplingRatio) {
        return NUV3D_ERR_ARG;
    }
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    m_ratio = ratio;
    return NUV3D_OK;
}

int Nuv3DPointBuffer::samplingRatio() const {
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    return m_ratio;
}

void Nuv3DPointBuffer::resetLocked() {
    m_streamId = 0;
    m_columns = 0;
    m_rows = 0;
    std::vector<Vertex>().swap(m_vertices);
    m_validCount = 0;
    m_filledRows = 0;
    m_bounds = Bounds();
    m_dirtyFirst = 0;
    m_dirtyEnd = 0;
    m_reallocate = true;
    m_lastRows = {-1, -1};
}

int Nuv3DPointBuffer::setup(const Nuv3DRangeSetup& s) {
    const bool valid = (s.bytesPerPoint == 2 || s.bytesPerPoint == 4) && s.pointsPerLine > 0 &&
                       s.totalLines > 0 && isFinite(s.xInterval) && isFinite(s.xOffset) &&
                       isFinite(s.yInterval) && isFinite(s.yOffset) && isFinite(s.heightScale) &&
                       isFinite(s.heightOffset) && std::isfinite(s.heightMin) && std::isfinite(s.heightMax) &&
                       s.heightMin <= s.heightMax &&
                       (s.displayMode == NUV3D_MODE_HEIGHT || s.displayMode == NUV3D_MODE_BRIGHTNESS);
    if (!valid) {
        return NUV3D_ERR_ARG;
    }
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    resetLocked();
    const int columns = (s.pointsPerLine + m_ratio - 1) / m_ratio;
    const int rows = (s.totalLines + m_ratio - 1) / m_ratio;
    const size_t slotCount = static_cast<size_t>(columns) * static_cast<size_t>(rows);
    if (slotCount > kMaxSlots) {
        return NUV3D_ERR_MEMORY;
    }
    try {
        m_vertices.assign(slotCount, Vertex{0.0f, 0.0f, 0.0f, {0, 0, 0, 0}});
    } catch (const std::bad_alloc&) {
        std::vector<Vertex>().swap(m_vertices);
        return NUV3D_ERR_MEMORY;
    }
    m_setup = s;
    m_ratioOfSetup = m_ratio;
    m_columns = columns;
    m_rows = rows;
    m_lastStreamId = m_lastStreamId == std::numeric_limits<int>::max() ? 1 : m_lastStreamId + 1;
    m_streamId = m_lastStreamId;
    return m_streamId;
}

int Nuv3DPointBuffer::append(int streamId, const void* rangeData, const void* colourOrGrey, int bytesPerPoint,
                             int firstRow, int lastRow) {
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    if (m_streamId == 0 || streamId != m_streamId) {
        return NUV3D_ERR_STREAM;
    }
    if (!rangeData || bytesPerPoint != m_setup.bytesPerPoint || firstRow < 0 || lastRow < firstRow ||
        lastRow >= m_setup.totalLines) {
        return NUV3D_ERR_ARG;
    }
    const int ratio = m_ratioOfSetup;
    const int points = m_setup.pointsPerLine;
    const auto* range = static_cast<const uint8_t*>(rangeData);
    const bool heightMode = m_setup.displayMode == NUV3D_MODE_HEIGHT;
    const auto* colours = heightMode ? static_cast<const NuvColor*>(colourOrGrey) : nullptr;
    const auto* grey = heightMode ? nullptr : static_cast<const uint8_t*>(colourOrGrey);
    const double lo = m_setup.heightMin;
    const double hi = m_setup.heightMax;
    const float span = static_cast<float>(hi - lo);

    // Bounds of this batch in plain floats: this loop runs for millions of points per scan.
    constexpr float kHuge = std::numeric_limits<float>::max();
    float minX = kHuge, minY = kHuge, minZ = kHuge;
    float maxX = -kHuge, maxY = -kHuge, maxZ = -kHuge;
    const int firstKept = ((firstRow + ratio - 1) / ratio) * ratio;
    size_t dirtyFirst = std::numeric_limits<size_t>::max();
    size_t dirtyEnd = 0;
    for (int row = firstKept; row <= lastRow; row += ratio) {
        const size_t srcRow = static_cast<size_t>(row - firstRow) * static_cast<size_t>(points);
        const size_t slotRow = static_cast<size_t>(row / ratio) * static_cast<size_t>(m_columns);
        const float y = static_cast<float>(m_setup.yOffset + row * m_setup.yInterval);
        Vertex* out = m_vertices.data() + slotRow;
        for (int p = 0, c = 0; p < points; p += ratio, ++c) {
            const size_t src = srcRow + static_cast<size_t>(p);
            Vertex& v = out[c];
            if (v.rgba[3] != 0) {
                --m_validCount;
            }
            const uint32_t raw = readSample(range + src * static_cast<size_t>(bytesPerPoint), bytesPerPoint);
            const double h = (static_cast<double>(raw) - m_setup.heightOffset) * m_setup.heightScale;
            if (raw == 0 || !(h >= lo && h <= hi)) {
                v = Vertex{0.0f, 0.0f, 0.0f, {0, 0, 0, 0}};
                continue;
            }
            v.x = static_cast<float>(m_setup.xOffset + p * m_setup.xInterval);
            v.y = y;
            v.z = static_cast<float>(h);
            if (colours) {
                v.rgba[0] = colours[src].r, v.rgba[1] = colours[src].g, v.rgba[2] = colours[src].b;
            } else if (heightMode) {
                rampColour(span > 0.0f ? static_cast<float>(h - lo) / span : 0.5f, v.rgba);
            } else {
                const uint8_t g = grey ? grey[src] : 128;
                v.rgba[0] = g, v.rgba[1] = g, v.rgba[2] = g;
            }
            v.rgba[3] = 255;
            ++m_validCount;
            minX = std::min(minX, v.x), maxX = std::max(maxX, v.x);
            minY = std::min(minY, v.y), maxY = std::max(maxY, v.y);
            minZ = std::min(minZ, v.z), maxZ = std::max(maxZ, v.z);
        }
        dirtyFirst = std::min(dirtyFirst, slotRow);
        dirtyEnd = std::max(dirtyEnd, slotRow + static_cast<size_t>(m_columns));
        m_filledRows = std::max(m_filledRows, row / ratio + 1);
    }
    if (minX <= maxX) {
        const QVector3D bmin(minX, minY, minZ);
        const QVector3D bmax(maxX, maxY, maxZ);
        if (!m_bounds.valid) {
            m_bounds = Bounds{true, bmin, bmax};
        } else {
            const QVector3D& a = m_bounds.min;
            const QVector3D& b = m_bounds.max;
            m_bounds.min = QVector3D(std::min(a.x(), minX), std::min(a.y(), minY), std::min(a.z(), minZ));
            m_bounds.max = QVector3D(std::max(b.x(), maxX), std::max(b.y(), maxY), std::max(b.z(), maxZ));
        }
    }
    if (dirtyEnd > dirtyFirst) {
        if (m_dirtyEnd > m_dirtyFirst) {
            m_dirtyFirst = std::min(m_dirtyFirst, dirtyFirst);
            m_dirtyEnd = std::max(m_dirtyEnd, dirtyEnd);
        } else {
            m_dirtyFirst = dirtyFirst;
            m_dirtyEnd = dirtyEnd;
        }
    }
    m_lastRows = {firstRow, lastRow};
    return NUV3D_OK;
}

void Nuv3DPointBuffer::clear() {
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    resetLocked();
}

int64_t Nuv3DPointBuffer::pointCount() const {
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    return m_validCount;
}

size_t Nuv3DPointBuffer::drawCount() const {
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    return static_cast<size_t>(m_filledRows) * static_cast<size_t>(m_columns);
}

Nuv3DPointBuffer::Bounds Nuv3DPointBuffer::bounds() const {
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    if (m_bounds.valid || m_streamId == 0) {
        return m_bounds;
    }
    const Nuv3DRangeSetup& s = m_setup;
    const QVector3D a(static_cast<float>(s.xOffset), static_cast<float>(s.yOffset), s.heightMin);
    const QVector3D b(static_cast<float>(s.xOffset + (s.pointsPerLine - 1) * s.xInterval),
                      static_cast<float>(s.yOffset + (s.totalLines - 1) * s.yInterval), s.heightMax);
    return Bounds{true, QVector3D(std::min(a.x(), b.x()), std::min(a.y(), b.y()), a.z()),
                  QVector3D(std::max(a.x(), b.x()), std::max(a.y(), b.y()), b.z())};
}

float Nuv3DPointBuffer::heightMin() const {
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    return m_setup.heightMin;
}

float Nuv3DPointBuffer::heightMax() const {
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    return m_setup.heightMax;
}

int Nuv3DPointBuffer::displayMode() const {
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    return m_setup.displayMode;
}

int Nuv3DPointBuffer::currentStream() const {
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    return m_streamId;
}

std::pair<int, int> Nuv3DPointBuffer::lastAppendedRows() const {
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    return m_lastRows;
}

size_t Nuv3DPointBuffer::takeChanges(bool forceAll, const UploadFn& upload) {
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    const size_t drawn = static_cast<size_t>(m_filledRows) * static_cast<size_t>(m_columns);
    if (m_reallocate || forceAll) {
        upload(m_vertices.data(), m_vertices.size(), 0, drawn, true);
    } else if (m_dirtyEnd > m_dirtyFirst) {
        upload(m_vertices.data(), m_vertices.size(), m_dirtyFirst, m_dirtyEnd - m_dirtyFirst, false);
    }
    m_reallocate = false;
    m_dirtyFirst = 0;
    m_dirtyEnd = 0;
    return drawn;
}
