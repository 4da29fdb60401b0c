#pragma once
// CPU-side vertex store of one 3D window. Range lines arrive from several threads and are turned
// into coloured vertices here; the GUI thread copies the changed part into its vertex buffer
// object when it paints. One vertex slot per kept grid point, so a line that arrives again
// replaces its vertices and memory is allocated once per set-up.
#include <QVector3D>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
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

    // Hands the GUI thread what changed since its last upload: the vertex array, its slot count,
    // the first changed slot and the number of changed slots; `reallocate` asks for a new buffer
    // object of `capacity` slots (new set-up, or the GL resources were recreated).
    using UploadFn = std::function<void(const Vertex* vertices, size_t capacity, size_t first, size_t count,
                                        bool reallocate)>;

    struct Bounds {
        bool valid = false;
        QVector3D min;
        QVector3D max;
    };

    static constexpr int kMaxSamplingRatio = 1024;
    // 64 Mi slots (1 GiB of vertices): beyond that a set-up is refused rather than thrashing.
    static constexpr size_t kMaxSlots = size_t(1) << 26;

    Nuv3DPointBuffer() = default;
    Nuv3DPointBuffer(const Nuv3DPointBuffer&) = delete;
    Nuv3DPointBuffer& operator=(const Nuv3DPointBuffer&) = delete;

    // Nuv3DResult codes; setup returns the new data-stream id.
    int setSamplingRatio(int ratio);
    int samplingRatio() const;
    int setup(const Nuv3DRangeSetup& setup);
    int append(int streamId, const void* rangeData, const void* colourOrGrey, int bytesPerPoint, int firstRow,
               int lastRow);
    void clear();

    int64_t pointCount() const;
    // Slots to draw: every slot up to the last line that arrived.
    size_t drawCount() const;
    // Bounds of the valid points, or of the set-up extent while none arrived.
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
    void resetLocked();

    // Guards every member below: the set-up, the vertex array, counters, bounds and dirty range.
    mutable std::mutex m_vertexMutex;
    Nuv3DRangeSetup m_setup;
    int m_ratio = 1;
    int m_ratioOfSetup = 1;
    int m_streamId = 0;      // 0: no set-up
    int m_lastStreamId = 0;  // ids grow across set-ups so an old id never matches again
    int m_columns = 0;
    int m_rows = 0;
    std::vector<Vertex> m_vertices;
    int64_t m_validCount = 0;
    int m_filledRows = 0;
    Bounds m_bounds;
    size_t m_dirtyFirst = 0;
    size_t m_dirtyEnd = 0;
    bool m_reallocate = true;
    std::pair<int, int> m_lastRows{-1, -1};

    std::atomic<bool> m_repaintPending{false};
};
