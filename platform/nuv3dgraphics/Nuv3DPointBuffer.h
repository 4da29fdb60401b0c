// SPDX-License-Identifier: Apache-2.0
#pragma once
// CPU-side vertex store of one 3D window. Range lines arrive from several threads and are turned
// into coloured vertices here; the GUI thread copies the changed part into its vertex buffer
// object when it paints. One vertex slot per kept grid point, so a line that arrives again
// replaces its vertices.
//
// Memory: slots are allocated in chunks of whole lines as the scan reaches them, so a view holds
// only what arrived, and clear() gives everything back. A set-up never takes more than kMaxSlots
// slots (512 MiB here plus as much in the GL buffer, 1 GiB for the view): a range image that would
// need more is thinned with the smallest larger sampling ratio that fits.
#include <QVector3D>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "Nuv3DExport.h"

struct Nuv3DRangeSetup {
    int bytesPerPoint = 2;
    int pointsPerLine = 0;
    int totalLines = 0;
    double xInterval = 1.0;
    double xOffset = 0.0;
    double yInterval = 1.0;
    double yOffset = 0.0;
    double heightScale = 1.0;
    double heightOffset = 0.0;
    float heightMin = 0.0f;
    float heightMax = 0.0f;
    int displayMode = 3;
};

class NUV3D_API Nuv3DPointBuffer {
public:
    // 16 bytes: position and RGBA. Alpha 0 marks an empty or invalid slot, which the vertex
    // shader moves out of the clip volume.
    struct Vertex {
        float x;
        float y;
        float z;
        uint8_t rgba[4];
    };
    static_assert(sizeof(Vertex) == 16, "vertex layout is uploaded as is");

    // Hands the GUI thread what changed since its last upload, one contiguous run at a time:
    // `vertices` are the `count` slots from slot `first`; `reallocate` (first run only) asks for a
    // new buffer object of `capacity` slots (it grew, a new set-up, or the GL resources were
    // recreated), after which every slot to draw is handed over again.
    using UploadFn = std::function<void(const Vertex* vertices, size_t capacity, size_t first, size_t count,
                                        bool reallocate)>;

    struct Bounds {
        bool valid = false;
        QVector3D min;
        QVector3D max;
    };

    static constexpr int kMaxSamplingRatio = 1024;
    // Memory budget of one view: 32 Mi slots of 16 bytes.
    static constexpr size_t kMaxSlots = size_t(1) << 25;
    // Slots per allocation step (4 MiB), rounded to whole lines.
    static constexpr size_t kChunkSlots = size_t(1) << 18;

    Nuv3DPointBuffer() = default;
    Nuv3DPointBuffer(const Nuv3DPointBuffer&) = delete;
    Nuv3DPointBuffer& operator=(const Nuv3DPointBuffer&) = delete;

    // Nuv3DResult codes; setup returns the new data-stream id.
    int setSamplingRatio(int ratio);
    int samplingRatio() const;
    int setup(const Nuv3DRangeSetup& setup);
    // rangeBytes and colourBytes: what the two buffers hold from their pointers on; lines that would
    // read beyond either are refused. kUnsized trusts the caller (the plain C entry point).
    static constexpr size_t kUnsized = ~size_t(0);
    int append(int streamId, const void* rangeData, const void* colourOrGrey, int bytesPerPoint, int firstRow,
               int lastRow, size_t rangeBytes = kUnsized, size_t colourBytes = kUnsized);
    void clear();

    // Keeps only every k-th kept line of the lines that arrive from now on (1 keeps them all), for a
    // caller that falls behind the scan; the first and the last line of the range image are kept
    // whatever k is, so a thinned scan still covers its whole length with no gap above k lines
    // (times the sampling ratio). Lines shown already stay. k from 1 to kMaxSamplingRatio.
    int setLineThinning(int k);
    int lineThinning() const { return m_lineThinning.load(); }

    int64_t pointCount() const;
    // Ratio the current set-up keeps (the one asked for, or larger to stay within the budget).
    int effectiveSamplingRatio() const;
    // Bytes of vertex memory held now (0 after clear()).
    size_t heldBytes() const;
    // Slots to draw: every slot up to the last line that arrived.
    size_t drawCount() const;
    // Bounds of the valid points (x over the kept columns), or of the set-up extent while none
    // arrived.
    Bounds bounds() const;
    float heightMin() const;
    float heightMax() const;
    int displayMode() const;
    int currentStream() const;
    // Rows of the latest accepted append (first, last); (-1, -1) before any.
    std::pair<int, int> lastAppendedRows() const;

    // GUI thread: calls `upload` once under the buffer lock when something changed, or when
    // `forceAll` (GL resources recreated). Returns the slots to draw.
    size_t takeChanges(bool forceAll, const UploadFn& upload);

    // Repaint coalescing: true for the first caller after the last acknowledge.
    bool requestRepaint() { return !m_repaintPending.exchange(true); }
    void acknowledgeRepaint() { m_repaintPending.store(false); }

    // Height colour ramp (blue, cyan, green, yellow, red) of t in [0, 1].
    static void rampColour(float t, uint8_t* rgb);

private:
    // Height, colour (alpha 0: invalid) and, for the bounds, the height and its negation (+infinity
    // both when invalid), so that one min over both tracks the lowest and the highest height
    // without a branch.
    struct SampleEntry {
        float z;
        uint32_t rgba;
        float zLow;
        float zHighNegated;
    };
    struct Chunk {
        std::unique_ptr<Vertex[], void (*)(void*)> vertices{nullptr, nullptr};
        std::unique_ptr<int[]> rowValid;  // valid points per line of the chunk
    };

    void resetLocked();
    bool ensureChunksLocked(int slotRow);
    SampleEntry entryFor(uint32_t raw) const;
    // Converts one kept line into its slots; Source picks the colour (ColourSource in the .cpp).
    template <typename Sample, int Source>
    void fillRow(const uint8_t* src, const void* colourOrGrey, size_t srcIndex, int row, Vertex* out,
                 int* valid, float* zLow, float* zHigh) const;
    void uploadRuns(const UploadFn& upload, size_t first, size_t end, bool reallocate, size_t capacity);

    // Guards every member below: the set-up, the vertex array, counters, bounds and dirty range.
    mutable std::mutex m_vertexMutex;
    Nuv3DRangeSetup m_setup;
    int m_ratio = 1;
    int m_ratioOfSetup = 1;
    int m_streamId = 0;      // 0: no set-up
    int m_lastStreamId = 0;  // ids grow across set-ups so an old id never matches again
    int m_columns = 0;
    int m_rows = 0;
    int m_rowsPerChunk = 1;
    std::vector<Chunk> m_chunks;  // allocated as a prefix: chunks [0, m_allocatedChunks)
    size_t m_allocatedChunks = 0;
    std::vector<SampleEntry> m_lut16;  // every 16-bit sample
    std::vector<uint32_t> m_ramp;      // height colours of the ramp, for 32-bit samples
    std::vector<float> m_columnX;
    size_t m_uploadedCapacity = 0;
    int64_t m_validCount = 0;
    int m_filledRows = 0;
    Bounds m_bounds;
    size_t m_dirtyFirst = 0;
    size_t m_dirtyEnd = 0;
    bool m_reallocate = true;
    std::pair<int, int> m_lastRows{-1, -1};

    std::atomic<bool> m_repaintPending{false};
    std::atomic<int> m_lineThinning{1};
};
