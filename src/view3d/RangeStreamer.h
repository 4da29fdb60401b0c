// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "NuvArrays.h"
#include "NuvRangeImage.h"
#include "NuvRangeLUT16.h"

class TaskWorker;

// Streams the range and grey images of a line-profile scan into the 3D window while the scan runs.
// The business layer writes each batch of lines straight into the buffers held here (writeBatch);
// the GUI thread only queues batch numbers (batchArrived); worker 1 converts and colours the new
// lines and appends them to the 3D window; worker 2 re-initialises the 3D window for a new image,
// during which converted batches are held and replayed afterwards in arrival order.
// The buffers hold one image at a time, the one the GUI thread is showing: batches of the next
// image wait aside until the GUI thread reaches that image (and has copied the finished one), so a
// shown, copied or saved scan never mixes lines of two images.
class RangeStreamer {
public:
    // Sample format of one scan.
    struct Format {
        int dataType = 0;  // 0 16-bit, 1 32-bit
        int shift = 0;
        int heightOffset = 32768;
        int profileHeightOffset = 32768;
        double heightScale = 1.0;
        double profileScaleDivisor = 1.0;
        double invalidValue = 3.4028234663852886e38;
        int bytesPerPoint = 2;
        uint32_t rawMask = 0xFFFF;
        int scaler = 0;
        // Height in mm of one raw single-profile sample; NaN for a point without measurement.
        // Every reader of single profiles (contour page, savers) converts through this.
        double profileHeight(int64_t raw) const;
    };
    // What worker 2 and the refresh read from the camera.
    struct DisplaySettings {
        double xInterval = 0.009;
        double yInterval = 0.002;
        float heightMax = 45.0f;
        float heightMin = -45.0f;
        int displayMode = 3;  // 3 coloured by height, 1 brightness
        int samplingRatio = 1;
    };
    // Rows appended to the 3D window (first row, last row), for observers such as tests.
    using AppendObserver = std::function<void(int firstRow, int lastRow)>;
    // Reads the display settings of the camera (worker 2 calls it for every new image); returns
    // false to keep the current settings.
    using SettingsProvider = std::function<bool(DisplaySettings*)>;

    // Colour map (NuvColorMap) of the heights sent to the 3D window.
    static constexpr int kColorMap = 5;
    // Line thinning of the 3D window when conversion falls behind: batches that reach the window
    // later than kBehindLatency after their announcement double it (up to kMaxThinning); kCalmTakes
    // takes in a row within kCalmLatency halve it.
    static constexpr std::chrono::milliseconds kBehindLatency{150};
    static constexpr std::chrono::milliseconds kCalmLatency{30};
    static constexpr int kCalmTakes = 20;
    static constexpr int kMaxThinning = 16;
    // The 3D window's line thinning now (1: every line).
    int lineThinning() const { return m_lineThinning.load(); }

    explicit RangeStreamer(int64_t window3D);
    ~RangeStreamer();
    // Stops both workers (idempotent); buffers stay valid for writers that still hold us.
    void stop();
    RangeStreamer(const RangeStreamer&) = delete;
    RangeStreamer& operator=(const RangeStreamer&) = delete;

    static Format formatFor(int dataType, int scaler);

    // Range and grey buffers of one scan together: a camera may report any line count, but a
    // scan beyond this is refused rather than exhausting the host's memory.
    static constexpr size_t kMaxScanBytes = size_t(1) << 30;
    static constexpr int kMaxPointsPerLine = 65536;
    // GUI thread. Allocates the buffers of a scan of totalLines x pointsPerLine; false (and no
    // scan) when the geometry is out of bounds or the memory cannot be had. Never throws.
    bool prepare(int totalLines, int linesPerBatch, int pointsPerLine, const Format& format, double xInterval,
                 int displayMode);
    // Where one batch goes: its lines in the range buffer (bytesPerPoint bytes per sample) and
    // the grey buffer (one byte per sample), with the bytes each may take.
    struct BatchBuffers {
        uint8_t* range;
        size_t rangeBytes;
        uint8_t* grey;
        size_t greyBytes;
        int lines;
        int points;
        int bytesPerPoint;
    };
    // The geometry a batch says it carries.
    struct BatchShape {
        int lines = 0;
        int points = 0;
        int bytesPerPoint = 0;
    };
    // Fills the buffers; returns whether the batch was written (false leaves it unwritten).
    using BatchWriter = std::function<bool(const BatchBuffers& buffers)>;
    // Business-layer thread: runs `write` on batch `batch` of image `imageId` while the buffers
    // cannot go away. Returns false (write not called) when no scan is prepared, the batch lies
    // outside the scan, its shape is not the one of that batch of the prepared scan (lines, points
    // per line, sample width), or it belongs to a next image and cannot be kept aside (batches of
    // next images may take two scans' bytes, within the scan budget); false also when `write`
    // fails. A refused batch is never copied, in part or with another stride.
    bool writeBatch(uint64_t imageId, int batch, const BatchShape& shape, const BatchWriter& write);
    // GUI thread: a batch was written. Returns false for a batch outside the scan.
    bool batchArrived(uint64_t imageId, int batch);
    // GUI thread: drops queued work and the buffers.
    void clear();
    // Re-reads the camera's display settings (the owner passes them) and redraws what arrived.
    void refresh(const DisplaySettings& settings);
    // GUI thread. The owner hands over a finished range image (multi-image frames): it replaces
    // the scan (a null image clears it) and is drawn whole once the 3D window is set up.
    void replaceRangeImage(std::unique_ptr<NuvRangeImage> image);
    void setDisplaySettings(const DisplaySettings& settings);
    DisplaySettings displaySettings() const;

    // Runs `read` with rows firstRow to lastRow of the range and grey buffers under the image lock;
    // false (read not called) outside the scan. Rows up to lastRowAppended() are converted and stay
    // put until the next image.
    using RowReader = std::function<void(const uint8_t* range, const uint8_t* grey, int rows, int points,
                                         const Format& format, const DisplaySettings& settings)>;
    bool readRows(int firstRow, int lastRow, const RowReader& read) const;
    // Bytes held by the scan buffers and held batches (0 after clear()).
    size_t heldBytes();

    // GUI thread. Copies under the image lock, for the end-of-scan pages and saving, once worker
    // 1 has finished with what was queued (it clears invalid samples in place). The copy holds the
    // image being shown only: lines of batches it never received are invalid (zero).
    bool copyRangeImage(NuvRangeImage* out);
    bool copyGreyImage(std::vector<uint8_t>* grey, int* width, int* height);
    bool hasImage() const;

    int totalLines() const { return m_totalLines.load(); }
    int linesPerBatch() const { return m_linesPerBatch.load(); }
    int pointsPerLine() const { return m_pointsPerLine.load(); }
    Format format() const;
    int lastRowAppended() const { return m_lastRowAppended.load(); }
    // Counts the 3D set-ups (new image, refresh, redisplay): each starts the rows over.
    uint64_t setUpCount() const { return m_setUpCount.load(); }
    bool isWorker1Idle() const { return m_worker1Idle.load(); }
    // Nothing queued, worker 1 idle and no 3D set-up running: every batch announced so far is
    // converted and in the 3D window (never waits).
    bool isConverted() const;
    // GUI thread: the image the last announced batch belonged to.
    uint64_t receivingImageId() const { return m_receivingImageId; }
    void setAppendObserver(AppendObserver observer);
    void setSettingsProvider(SettingsProvider provider);
    // Redraws the 3D window from rows 0 to the last row appended; with `rendering` the whole
    // image is coloured over its own height span.
    void redisplay(bool rendering);
    // Blocks until worker 1 has converted everything queued and worker 2 is not setting up.
    void waitUntilIdle() const;

    // The span worker 1 converts from the queued batch numbers: first to last, where a queue that
    // wrapped (first > last) starts at the first number not above the last. False when empty.
    static bool batchSpan(const std::deque<int>& queue, int* first, int* last);
    // Heights (unless `heights` is null) and colours of rows x points raw samples; invalid samples
    // (zero, or a height outside the settings' range) get the invalid height and colour and, with
    // overwriteInvalid, have their sample bits cleared in place.
    static void convertRows(uint8_t* source, int rows, int points, const Format& format,
                            const DisplaySettings& settings, bool overwriteInvalid, NuvRangeLUT16* lut,
                            Nuv3DFloatArray* heights, NuvColorArray* colors);
    // Lines carried by batch `batch` for a scan of the given geometry (0 outside the scan).
    static int linesOfBatch(int batch, int totalLines, int linesPerBatch);

private:
    // Converted rows as they go to the 3D window. A batch keeps the display mode and sample size
    // it was converted with, and the bytes its buffers hold, so it never reaches a window set up
    // for another format.
    struct HeldBatch {
        const uint8_t* range = nullptr;
        size_t rangeBytes = 0;
        std::shared_ptr<NuvColorArray> colors;
        const uint8_t* grey = nullptr;
        size_t greyBytes = 0;
        int firstRow = 0;
        int lastRow = -1;
        int batch = 0;
        int displayMode = 3;
        int bytesPerPoint = 2;
    };

    void worker1Loop();
    // Worker 1: thins the 3D window's lines while batches take longer than kBehindLatency from
    // their announcement to the window, and shows them all again once it has kept up for a while.
    void adaptThinning(std::chrono::steady_clock::duration waited);
    void worker2Loop();
    void convertBatches(int first, int last);
    void initialise3D();
    void display(const HeldBatch& batch);
    void replayHeldLocked();
    void append(const HeldBatch& batch);
    // Converts rows firstRow..lastRow with the current format and settings (colours in mode 3).
    bool makeBatch(int firstRow, int lastRow, int batch, bool overwriteInvalid, NuvRangeLUT16* lut,
                   HeldBatch* out);
    void waitForWorker1() const;
    // Blocks until `idle` holds; it is looked at again whenever a worker reports idleChanged().
    void waitForIdle(const std::function<bool()>& idle) const;
    // A worker became idle, or a set-up request went: wakes waitForIdle.
    void idleChanged() const;
    // Image lock held. The GUI thread shows image `imageId` from now on: the buffers become its,
    // with the batches of it that waited aside; what waited for earlier images is dropped.
    void takeImageLocked(uint64_t imageId);
    // Image lock held. Clears the lines of batches first..last that the image shown never
    // received, so no line of an earlier image stays in its place.
    void clearUnwrittenLocked(int firstBatch, int lastBatch);
    void dropWaitingLocked();
    void reinitialise3D(const DisplaySettings& settings, const Format& format);
    void redisplayRows(int lastRow, bool rendering, bool keepSamples);

    const int64_t m_window3D;

    std::atomic<int> m_totalLines{0};
    std::atomic<int> m_linesPerBatch{0};
    std::atomic<int> m_pointsPerLine{3200};
    std::atomic<int> m_dataStreamId{0};
    // Format of the current 3D set-up; batches of another format are converted again.
    std::atomic<int> m_setupDisplayMode{0};
    std::atomic<int> m_setupBytesPerPoint{0};
    std::atomic<int> m_lastRowAppended{-1};
    std::atomic<uint64_t> m_setUpCount{0};
    uint64_t m_receivingImageId = 0;  // GUI thread only
    int m_lastBatch = -1;             // GUI thread only

    // A batch of a next image, kept aside until the GUI thread reaches its image.
    struct WaitingBatch {
        uint64_t imageId = 0;
        int batch = 0;
        std::vector<uint8_t> range;
        std::vector<uint8_t> grey;
    };

    // Guards m_range, m_grey, m_format, m_settings, the image the buffers hold (m_bufferOwner,
    // m_bufferImageId, m_batchWritten) and the batches waiting aside (m_waiting, m_waitingBytes).
    mutable std::mutex m_imageMutex;
    std::unique_ptr<NuvRangeImage> m_range;
    std::vector<uint8_t> m_grey;
    Format m_format;
    DisplaySettings m_settings;
    // Whose lines the buffers hold: nobody's yet (the first batch of any image takes them), a
    // camera image the GUI thread shows, or an image the owner handed over (replaceRangeImage).
    enum class BufferOwner { None, Camera, Owner };
    BufferOwner m_bufferOwner = BufferOwner::None;
    uint64_t m_bufferImageId = 0;
    std::vector<uint8_t> m_batchWritten;  // one flag per batch of the image held
    std::deque<WaitingBatch> m_waiting;
    size_t m_waitingBytes = 0;

    // Guards m_batchQueue and m_queuedSince.
    mutable std::mutex m_queueMutex;
    std::deque<int> m_batchQueue;
    std::chrono::steady_clock::time_point m_queuedSince;  // when the queue last stopped being empty

    // Guards m_held; hold is changed under it too, so a batch is either held or appended.
    std::mutex m_holdMutex;
    std::vector<HeldBatch> m_held;

    // Worker 1 waits on this for queued batches.
    mutable std::mutex m_worker1Mutex;
    std::condition_variable m_worker1Wake;
    // Worker 2 waits on this for a new image; held during the whole 3D set-up.
    mutable std::mutex m_worker2Mutex;
    std::condition_variable m_worker2Wake;
    // Written under m_worker2Mutex; atomic so that idle waits read it without that lock, which
    // worker 2 holds through a whole set-up.
    std::atomic<bool> m_worker2Pending{false};
    // Waits for idle workers sleep on this; it guards nothing else (the states are atomics,
    // changed before idleChanged() takes it, so no wake-up is lost).
    mutable std::mutex m_idleMutex;
    mutable std::condition_variable m_idleChanged;

    // Guards m_observer and m_settingsProvider.
    mutable std::mutex m_observerMutex;
    AppendObserver m_observer;
    SettingsProvider m_settingsProvider;
    NuvRangeLUT16 m_lut;  // used by worker 1 only
    // Worker 1 only: its last colour array, taken again when nobody else holds it.
    std::shared_ptr<NuvColorArray> m_colourScratch;

    std::atomic<int> m_lineThinning{1};
    int m_calmTakes = 0;  // worker 1 only
    std::atomic<bool> m_hold{false};
    std::atomic<bool> m_worker1Stop{false};
    std::atomic<bool> m_worker1Idle{true};
    std::atomic<bool> m_worker2Stop{false};
    std::atomic<bool> m_worker2Busy{false};
    // Worker 1 converts announced batches, worker 2 sets the 3D window up; each runs its loop
    // as the one task of its TaskWorker. Last, so they are joined before anything else goes.
    std::unique_ptr<TaskWorker> m_worker1;
    std::unique_ptr<TaskWorker> m_worker2;
};
