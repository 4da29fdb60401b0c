// SPDX-License-Identifier: Apache-2.0
#include "Nuv3DPointBuffer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "Nuv3DGraphics.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool isFinite(double v) {
    return std::isfinite(v);
}

constexpr int kRampSize = 1024;
constexpr float kHuge = std::numeric_limits<float>::infinity();

uint32_t packRgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    const uint8_t bytes[4] = {r, g, b, a};
    uint32_t v;
    std::memcpy(&v, bytes, sizeof v);
    return v;
}

const uint32_t kAlphaMask = packRgba(0, 0, 0, 255);

// Grey value -> packed grey colour without alpha.
const std::array<uint32_t, 256>& greyColours() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (int g = 0; g < 256; ++g) {
            const auto v = static_cast<uint8_t>(g);
            t[static_cast<size_t>(g)] = packRgba(v, v, v, 0);
        }
        return t;
    }();
    return table;
}

// Where the colour of a point comes from; a template argument so the inner loop has no branch.
enum class ColourSource { Entry, Colours, Grey };

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

int Nuv3DPointBuffer::setLineThinning(int k) {
    if (k < 1 || k > kMaxSamplingRatio) {
        return NUV3D_ERR_ARG;
    }
    m_lineThinning.store(k);
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
    m_rowsPerChunk = 1;
    std::vector<Chunk>().swap(m_chunks);
    m_allocatedChunks = 0;
    std::vector<SampleEntry>().swap(m_lut16);
    std::vector<uint32_t>().swap(m_ramp);
    std::vector<float>().swap(m_columnX);
    m_uploadedCapacity = 0;
    m_validCount = 0;
    m_filledRows = 0;
    m_bounds = Bounds();
    m_dirtyFirst = 0;
    m_dirtyEnd = 0;
    m_reallocate = true;
    m_lastRows = {-1, -1};
}

Nuv3DPointBuffer::SampleEntry Nuv3DPointBuffer::entryFor(uint32_t raw) const {
    const Nuv3DRangeSetup& s = m_setup;
    const uint32_t r = s.bytesPerPoint == 2 ? (raw & 0xFFFFu) : (raw & 0x1FFFFFu);
    const double h = (static_cast<double>(r) - s.heightOffset) * s.heightScale;
    if (r == 0 || !(h >= s.heightMin && h <= s.heightMax)) {
        return SampleEntry{0.0f, 0u, kHuge, kHuge};
    }
    const auto z = static_cast<float>(h);
    uint32_t rgba = packRgba(128, 128, 128, 255);
    if (s.displayMode == NUV3D_MODE_HEIGHT) {
        const double span = static_cast<double>(s.heightMax) - s.heightMin;
        const double t = span > 0.0 ? (h - s.heightMin) / span : 0.5;
        rgba = m_ramp[static_cast<size_t>(std::lround(std::clamp(t, 0.0, 1.0) * (kRampSize - 1)))];
    }
    return SampleEntry{z, rgba, z, -z};
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
    const auto slotsAt = [&s](int ratio) {
        const auto kept = [ratio](int n) { return (static_cast<size_t>(n) + ratio - 1) / ratio; };
        return kept(s.pointsPerLine) * kept(s.totalLines);
    };
    int ratio = m_ratio;
    while (slotsAt(ratio) > kMaxSlots && ratio < kMaxSamplingRatio) {
        ++ratio;
    }
    if (slotsAt(ratio) > kMaxSlots) {
        return NUV3D_ERR_MEMORY;
    }
    m_setup = s;
    m_ratioOfSetup = ratio;
    m_columns = (s.pointsPerLine + ratio - 1) / ratio;
    m_rows = (s.totalLines + ratio - 1) / ratio;
    m_rowsPerChunk = static_cast<int>(std::max<size_t>(1, kChunkSlots / static_cast<size_t>(m_columns)));
    try {
        m_chunks.resize(static_cast<size_t>((m_rows + m_rowsPerChunk - 1) / m_rowsPerChunk));
        m_columnX.resize(static_cast<size_t>(m_columns));
        for (int c = 0; c < m_columns; ++c) {
            m_columnX[static_cast<size_t>(c)] = static_cast<float>(s.xOffset + c * ratio * s.xInterval);
        }
        m_ramp.resize(kRampSize);
        for (int i = 0; i < kRampSize; ++i) {
            uint8_t rgb[3];
            rampColour(static_cast<float>(i) / (kRampSize - 1), rgb);
            m_ramp[static_cast<size_t>(i)] = packRgba(rgb[0], rgb[1], rgb[2], 255);
        }
        if (s.bytesPerPoint == 2) {
            m_lut16.resize(65536);
            for (uint32_t raw = 0; raw < 65536; ++raw) {
                m_lut16[raw] = entryFor(raw);
            }
        }
    } catch (const std::bad_alloc&) {
        resetLocked();
        return NUV3D_ERR_MEMORY;
    }
    m_lastStreamId = m_lastStreamId == std::numeric_limits<int>::max() ? 1 : m_lastStreamId + 1;
    m_streamId = m_lastStreamId;
    return m_streamId;
}

bool Nuv3DPointBuffer::ensureChunksLocked(int slotRow) {
    const size_t needed = static_cast<size_t>(slotRow / m_rowsPerChunk) + 1;
    for (; m_allocatedChunks < needed; ++m_allocatedChunks) {
        Chunk& chunk = m_chunks[m_allocatedChunks];
        const int rows =
            std::min(m_rowsPerChunk, m_rows - static_cast<int>(m_allocatedChunks) * m_rowsPerChunk);
        // Zeroed memory is a run of invalid slots (alpha 0), and fresh pages cost nothing until used.
        chunk.vertices = {
            static_cast<Vertex*>(std::calloc(static_cast<size_t>(rows) * m_columns, sizeof(Vertex))),
            std::free};
        chunk.rowValid.reset(new (std::nothrow) int[static_cast<size_t>(rows)]());
        if (!chunk.vertices || !chunk.rowValid) {
            chunk = Chunk();
            return false;
        }
    }
    return true;
}

template <typename Sample, int Source>
void Nuv3DPointBuffer::fillRow(const uint8_t* src, const void* colourOrGrey, size_t srcIndex, int row,
                               Vertex* out, int* valid, float* zLow, float* zHigh) const {
    const size_t ratio = static_cast<size_t>(m_ratioOfSetup);
    const int columns = m_columns;
    const float y = static_cast<float>(m_setup.yOffset + row * m_setup.yInterval);
    const float* xs = m_columnX.data();
    const SampleEntry* lut = m_lut16.data();
    const auto* colours = static_cast<const uint8_t*>(colourOrGrey);
    const uint32_t* grey = greyColours().data();
    int count = 0;
    float lo = *zLow;
    float hi = *zHigh;
    int c = 0;
#if defined(__SSE2__)
    // Chunks come from calloc, 16-byte aligned on every 64-bit target; anything else stays scalar.
    if (sizeof(Sample) == 2 && (reinterpret_cast<uintptr_t>(out) & 15) == 0) {
        // One 16-byte table entry holds (z, rgba, zLow, -zHigh): the vertex's back half comes from
        // it in one load, the vertex goes out in one store, and one min per point into two
        // alternating accumulators keeps both bounds off the critical path.
        static_assert(sizeof(SampleEntry) == 16 && sizeof(Vertex) == 16,
                      "entries and vertices are one register");
        const __m128 yy = _mm_set1_ps(y);
        const __m128i rgbLane = _mm_setr_epi32(0, static_cast<int>(~kAlphaMask), 0, 0);
        __m128 mins[2] = {_mm_setr_ps(0.0f, 0.0f, lo, -hi), _mm_setr_ps(0.0f, 0.0f, lo, -hi)};
        __m128i counts = _mm_setzero_si128();
        const auto one = [&](int column, __m128& low) {
            const size_t i = srcIndex + static_cast<size_t>(column) * ratio;
            uint16_t raw;
            std::memcpy(&raw, src + i * sizeof raw, sizeof raw);
            __m128 e = _mm_loadu_ps(reinterpret_cast<const float*>(lut + raw));
            if constexpr (Source != static_cast<int>(ColourSource::Entry)) {
                uint32_t rgb;
                if constexpr (Source == static_cast<int>(ColourSource::Colours)) {
                    std::memcpy(&rgb, colours + i * 4, sizeof rgb);
                } else {
                    rgb = grey[colours[i]];
                }
                const __m128i delivered = _mm_slli_si128(_mm_cvtsi32_si128(static_cast<int>(rgb)), 4);
                e = _mm_castsi128_ps(_mm_or_si128(_mm_andnot_si128(rgbLane, _mm_castps_si128(e)),
                                                  _mm_and_si128(rgbLane, delivered)));
            }
            counts = _mm_add_epi32(counts, _mm_srli_epi32(_mm_castps_si128(e), 31));
            low = _mm_min_ps(low, e);
            const __m128 xy = _mm_unpacklo_ps(_mm_load_ss(xs + column), yy);
            // A plain store, not a streaming one: the next upload reads these vertices again while
            // a batch (5 MB for 100 lines of 3200 points) is still cached, and bench_nuv3dgraphics
            // measured streaming stores a fifth slower.
            _mm_store_ps(reinterpret_cast<float*>(out + column), _mm_movelh_ps(xy, e));
        };
        for (; c + 2 <= columns; c += 2) {
            one(c, mins[0]);
            one(c + 1, mins[1]);
        }
        for (; c < columns; ++c) {
            one(c, mins[0]);
        }
        // Lane 2 carries zLow, lane 3 -zHigh; lane 1 of the counts holds the valid points.
        alignas(16) float m[2][4];
        for (int k = 0; k < 2; ++k) {
            _mm_store_ps(m[k], mins[k]);
            lo = std::min(lo, m[k][2]);
            hi = std::max(hi, -m[k][3]);
        }
        alignas(16) int32_t n[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(n), counts);
        count = n[1];
    }
#endif
    for (; c < columns; ++c) {
        const size_t i = srcIndex + static_cast<size_t>(c) * ratio;
        Sample raw;
        std::memcpy(&raw, src + i * sizeof(Sample), sizeof raw);
        const SampleEntry e = sizeof(Sample) == 2 ? lut[raw] : entryFor(raw);
        uint32_t rgba = e.rgba;
        if constexpr (Source == static_cast<int>(ColourSource::Colours)) {
            uint32_t delivered;
            std::memcpy(&delivered, colours + i * 4, sizeof delivered);
            rgba = (delivered & ~kAlphaMask) | (rgba & kAlphaMask);
        } else if constexpr (Source == static_cast<int>(ColourSource::Grey)) {
            rgba = grey[colours[i]] | (rgba & kAlphaMask);
        }
        Vertex& v = out[c];
        v.x = xs[c];
        v.y = y;
        v.z = e.z;
        std::memcpy(v.rgba, &rgba, sizeof rgba);
        count += static_cast<int>(rgba >> 31);
        lo = std::min(lo, e.zLow);
        hi = std::max(hi, -e.zHighNegated);
    }
    *valid = count;
    *zLow = lo;
    *zHigh = hi;
}

int Nuv3DPointBuffer::append(int streamId, const void* rangeData, const void* colourOrGrey, int bytesPerPoint,
                             int firstRow, int lastRow, size_t rangeBytes, size_t colourBytes) {
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    if (m_streamId == 0 || streamId != m_streamId) {
        return NUV3D_ERR_STREAM;
    }
    if (!rangeData || bytesPerPoint != m_setup.bytesPerPoint || firstRow < 0 || lastRow < firstRow ||
        lastRow >= m_setup.totalLines) {
        return NUV3D_ERR_ARG;
    }
    // Colours are one NuvColor per sample in height mode, grey one byte in brightness mode.
    const size_t samples =
        static_cast<size_t>(lastRow - firstRow + 1) * static_cast<size_t>(m_setup.pointsPerLine);
    const size_t colourSize = m_setup.displayMode == NUV3D_MODE_HEIGHT ? sizeof(NuvColor) : 1;
    if (rangeBytes / static_cast<size_t>(bytesPerPoint) < samples ||
        (colourOrGrey != nullptr && colourBytes / colourSize < samples)) {
        return NUV3D_ERR_ARG;
    }
    const int ratio = m_ratioOfSetup;
    const int firstKept = ((firstRow + ratio - 1) / ratio) * ratio;
    m_lastRows = {firstRow, lastRow};
    if (firstKept > lastRow) {
        return NUV3D_OK;
    }
    const int lastSlotRow = lastRow / ratio;
    if (!ensureChunksLocked(lastSlotRow)) {
        return NUV3D_ERR_MEMORY;
    }
    const auto* range = static_cast<const uint8_t*>(rangeData);
    const bool heightMode = m_setup.displayMode == NUV3D_MODE_HEIGHT;
    const ColourSource source = colourOrGrey == nullptr
                                    ? ColourSource::Entry
                                    : (heightMode ? ColourSource::Colours : ColourSource::Grey);
    const size_t points = static_cast<size_t>(m_setup.pointsPerLine);
    float zLow = kHuge;
    float zHigh = -kHuge;
    int firstValidRow = -1;
    int lastValidRow = -1;
    const int thinning = m_lineThinning.load();
    for (int row = firstKept; row <= lastRow; row += ratio) {
        const int slotRow = row / ratio;
        if (thinning > 1 && slotRow % thinning != 0 && slotRow != m_rows - 1) {
            continue;
        }
        Chunk& chunk = m_chunks[static_cast<size_t>(slotRow / m_rowsPerChunk)];
        const int local = slotRow % m_rowsPerChunk;
        Vertex* out = chunk.vertices.get() + static_cast<size_t>(local) * static_cast<size_t>(m_columns);
        const size_t srcIndex = static_cast<size_t>(row - firstRow) * points;
        int valid = 0;
        const auto fill = [&](auto sample) {
            using Sample = decltype(sample);
            switch (source) {
                case ColourSource::Entry:
                    fillRow<Sample, 0>(range, colourOrGrey, srcIndex, row, out, &valid, &zLow, &zHigh);
                    break;
                case ColourSource::Colours:
                    fillRow<Sample, 1>(range, colourOrGrey, srcIndex, row, out, &valid, &zLow, &zHigh);
                    break;
                case ColourSource::Grey:
                    fillRow<Sample, 2>(range, colourOrGrey, srcIndex, row, out, &valid, &zLow, &zHigh);
                    break;
            }
        };
        if (bytesPerPoint == 2) {
            fill(uint16_t());
        } else {
            fill(uint32_t());
        }
        m_validCount += valid - chunk.rowValid[local];
        chunk.rowValid[local] = valid;
        if (valid > 0) {
            firstValidRow = firstValidRow < 0 ? row : firstValidRow;
            lastValidRow = row;
        }
    }
    if (zLow <= zHigh) {
        const float x0 = m_columnX.front();
        const float x1 = m_columnX.back();
        const auto y0 = static_cast<float>(m_setup.yOffset + firstValidRow * m_setup.yInterval);
        const auto y1 = static_cast<float>(m_setup.yOffset + lastValidRow * m_setup.yInterval);
        const QVector3D bmin(std::min(x0, x1), std::min(y0, y1), zLow);
        const QVector3D bmax(std::max(x0, x1), std::max(y0, y1), zHigh);
        if (!m_bounds.valid) {
            m_bounds = Bounds{true, bmin, bmax};
        } else {
            const QVector3D& a = m_bounds.min;
            const QVector3D& b = m_bounds.max;
            m_bounds.min =
                QVector3D(std::min(a.x(), bmin.x()), std::min(a.y(), bmin.y()), std::min(a.z(), zLow));
            m_bounds.max =
                QVector3D(std::max(b.x(), bmax.x()), std::max(b.y(), bmax.y()), std::max(b.z(), zHigh));
        }
    }
    // Changed: the lines written and, when the drawn part grew, every slot it grew by (fresh
    // chunks must reach the GL buffer as invalid slots, not as whatever it held).
    const size_t columns = static_cast<size_t>(m_columns);
    size_t dirtyFirst = static_cast<size_t>(firstKept / ratio) * columns;
    const size_t dirtyEnd = static_cast<size_t>(lastSlotRow + 1) * columns;
    if (lastSlotRow + 1 > m_filledRows) {
        dirtyFirst = std::min(dirtyFirst, static_cast<size_t>(m_filledRows) * columns);
        m_filledRows = lastSlotRow + 1;
    }
    if (m_dirtyEnd > m_dirtyFirst) {
        m_dirtyFirst = std::min(m_dirtyFirst, dirtyFirst);
        m_dirtyEnd = std::max(m_dirtyEnd, dirtyEnd);
    } else {
        m_dirtyFirst = dirtyFirst;
        m_dirtyEnd = dirtyEnd;
    }
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

int Nuv3DPointBuffer::effectiveSamplingRatio() const {
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    return m_ratioOfSetup;
}

size_t Nuv3DPointBuffer::heldBytes() const {
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    const size_t rows =
        std::min(m_allocatedChunks * static_cast<size_t>(m_rowsPerChunk), static_cast<size_t>(m_rows));
    return rows * static_cast<size_t>(m_columns) * sizeof(Vertex) + rows * sizeof(int) +
           m_chunks.capacity() * sizeof(Chunk) + m_lut16.capacity() * sizeof(SampleEntry) +
           m_ramp.capacity() * sizeof(uint32_t) + m_columnX.capacity() * sizeof(float);
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

void Nuv3DPointBuffer::uploadRuns(const UploadFn& upload, size_t first, size_t end, bool reallocate,
                                  size_t capacity) {
    const size_t chunkSlots = static_cast<size_t>(m_rowsPerChunk) * static_cast<size_t>(m_columns);
    bool pendingReallocate = reallocate;
    for (size_t k = chunkSlots > 0 ? first / chunkSlots : 0; k < m_allocatedChunks && first < end; ++k) {
        const size_t chunkStart = k * chunkSlots;
        const size_t runEnd = std::min(end, chunkStart + chunkSlots);
        upload(m_chunks[k].vertices.get() + (first - chunkStart), capacity, first, runEnd - first,
               pendingReallocate);
        pendingReallocate = false;
        first = runEnd;
    }
    if (pendingReallocate) {
        upload(nullptr, capacity, 0, 0, true);
    }
}

size_t Nuv3DPointBuffer::takeChanges(bool forceAll, const UploadFn& upload) {
    std::lock_guard<std::mutex> lock(m_vertexMutex);
    const size_t columns = static_cast<size_t>(m_columns);
    const size_t drawn = static_cast<size_t>(m_filledRows) * columns;
    const size_t allocated =
        std::min(m_allocatedChunks * static_cast<size_t>(m_rowsPerChunk), static_cast<size_t>(m_rows)) *
        columns;
    if (m_reallocate || forceAll || drawn > m_uploadedCapacity) {
        // A growing scan doubles the GL buffer so that it is rebuilt only a few times per scan.
        size_t capacity = std::max(allocated, m_reallocate ? size_t(0) : m_uploadedCapacity);
        if (!m_reallocate && !forceAll) {
            capacity =
                std::max(allocated, std::min(2 * m_uploadedCapacity, static_cast<size_t>(m_rows) * columns));
        }
        uploadRuns(upload, 0, drawn, true, capacity);
        m_uploadedCapacity = capacity;
    } else if (m_dirtyEnd > m_dirtyFirst) {
        uploadRuns(upload, m_dirtyFirst, std::min(m_dirtyEnd, drawn), false, m_uploadedCapacity);
    }
    m_reallocate = false;
    m_dirtyFirst = 0;
    m_dirtyEnd = 0;
    return drawn;
}
