// SPDX-License-Identifier: Apache-2.0
#include "RangeStreamer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>

#include "Nuv3DGraphics.h"
#include "NuvLUTSetting.h"
#include "TaskWorker.h"

namespace {
constexpr int kColorMap = RangeStreamer::kColorMap;

// Heights of rows of raw samples; invalid samples become Nuv3DFloatArray's invalid value.
template <typename T>
void toHeights(T* raw, size_t count, const RangeStreamer::Format& f, float minH, float maxH, float* out,
               bool overwriteInvalid) {
    for (size_t i = 0; i < count; ++i) {
        const uint32_t r = static_cast<uint32_t>(raw[i]) & f.rawMask;
        const double h = (static_cast<double>(r) - f.heightOffset) * f.heightScale;
        if (r == 0 || !(h >= minH && h <= maxH)) {
            out[i] = Nuv3DFloatArray::invalidValue();
            if (overwriteInvalid) raw[i] = static_cast<T>(static_cast<uint32_t>(raw[i]) & ~f.rawMask);
        } else {
            out[i] = static_cast<float>(h);
        }
    }
}
}  // namespace

namespace {
// Runs at the end of a worker loop, also when the loop threw (the worker logs that), so that
// nobody waits for a worker that is gone.
template <class F>
struct AtLoopEnd {
    F f;
    ~AtLoopEnd() { f(); }
};
template <class F>
AtLoopEnd(F) -> AtLoopEnd<F>;
}  // namespace

RangeStreamer::RangeStreamer(int64_t window3D)
    : m_window3D(window3D),
      m_worker1(std::make_unique<TaskWorker>(QStringLiteral("range conversion"))),
      m_worker2(std::make_unique<TaskWorker>(QStringLiteral("3D set-up"))) {
    m_worker1->post([this] {
        AtLoopEnd end{[this] {
            m_worker1Idle = true;
            idleChanged();
        }};
        worker1Loop();
    });
    m_worker2->post([this] {
        AtLoopEnd end{[this] {
            m_worker2Busy = false;
            idleChanged();
        }};
        worker2Loop();
    });
}

RangeStreamer::~RangeStreamer() {
    stop();
}

void RangeStreamer::stop() {
    m_worker1Stop = true;
    {
        std::lock_guard<std::mutex> lock(m_worker1Mutex);
        m_worker1Wake.notify_all();
    }
    m_worker1.reset();  // joins once the loop has returned
    m_worker2Stop = true;
    {
        std::lock_guard<std::mutex> lock(m_worker2Mutex);
        m_worker2Wake.notify_all();
    }
    m_worker2.reset();
    std::lock_guard<std::mutex> lock(m_holdMutex);
    m_held.clear();
}

double RangeStreamer::Format::profileHeight(int64_t raw) const {
    if ((static_cast<uint64_t>(raw) & rawMask) == 0) return std::numeric_limits<double>::quiet_NaN();
    return (static_cast<double>(raw) - profileHeightOffset) / profileScaleDivisor;
}

RangeStreamer::Format RangeStreamer::formatFor(int dataType, int scaler) {
    Format f;
    const int s = std::max(1, scaler);
    f.scaler = scaler;
    if (dataType == 0) {
        int shift = static_cast<int>(std::log2(static_cast<double>(s)));
        shift = shift >= 17 ? shift - 16 : 0;
        f.dataType = 0;
        f.shift = shift;
        f.heightOffset = 32768 >> shift;
        f.profileHeightOffset = 32768;
        f.heightScale = static_cast<double>(32 << shift) / s;
        f.profileScaleDivisor = std::max(1, s / 32);
        f.invalidValue = static_cast<double>(std::numeric_limits<float>::max());
        f.bytesPerPoint = 2;
        f.rawMask = 0xFFFF;
    } else {
        f.dataType = 1;
        f.heightOffset = 0x40000;
        f.profileHeightOffset = 0x100000;
        f.heightScale = 1.0 / std::max(1, s / 4);
        f.profileScaleDivisor = s;
        f.invalidValue = std::numeric_limits<double>::lowest();
        f.bytesPerPoint = 4;
        f.rawMask = 0x1FFFFF;
    }
    return f;
}

int RangeStreamer::linesOfBatch(int batch, int totalLines, int linesPerBatch) {
    if (batch < 0 || totalLines <= 0 || linesPerBatch <= 0) return 0;
    const int64_t start = static_cast<int64_t>(batch) * linesPerBatch;
    if (start >= totalLines) return 0;
    return static_cast<int>(std::min<int64_t>(linesPerBatch, totalLines - start));
}

bool RangeStreamer::prepare(int totalLines, int linesPerBatch, int pointsPerLine, const Format& format,
                            double xInterval, int displayMode) {
    clear();
    const int total = std::max(0, totalLines);
    const int perBatch = std::max(1, linesPerBatch);
    const int points = pointsPerLine > 0 ? pointsPerLine : 3200;
    const uint64_t bytes = static_cast<uint64_t>(points) * static_cast<uint64_t>(total) *
                           static_cast<uint64_t>(format.bytesPerPoint + 1);
    const bool fits = points <= kMaxPointsPerLine && bytes <= kMaxScanBytes;
    std::lock_guard<std::mutex> lock(m_imageMutex);
    m_format = format;
    m_settings.xInterval = xInterval;
    m_settings.displayMode = displayMode;
    m_totalLines = fits ? total : 0;
    m_linesPerBatch = perBatch;
    m_pointsPerLine = points;
    if (!fits || total == 0) return fits;
    try {
        m_range = std::make_unique<NuvRangeImage>(points, total, format.bytesPerPoint);
        m_grey.assign(static_cast<size_t>(points) * static_cast<size_t>(total), 0);
        m_batchWritten.assign(static_cast<size_t>((total - 1) / perBatch) + 1, 0);
    } catch (const std::exception&) {
        m_range.reset();
    }
    if (!m_range || m_range->isEmpty()) {
        m_range.reset();
        std::vector<uint8_t>().swap(m_grey);
        m_batchWritten.clear();
        m_totalLines = 0;
        return false;
    }
    return true;
}

bool RangeStreamer::writeBatch(uint64_t imageId, int batch, const BatchShape& shape,
                               const BatchWriter& write) {
    std::lock_guard<std::mutex> lock(m_imageMutex);
    const int lines = linesOfBatch(batch, m_totalLines, m_linesPerBatch);
    if (!m_range || lines == 0 || static_cast<size_t>(batch) >= m_batchWritten.size()) return false;
    const int points = m_pointsPerLine;
    const int bpp = m_range->bytesPerPoint();
    // Lines of another length, another sample width, or a batch size changed since the scan was
    // prepared (the last batch included) would land with the wrong stride or be cut.
    if (shape.lines != lines || shape.points != points || shape.bytesPerPoint != bpp) return false;
    const size_t samples = static_cast<size_t>(lines) * static_cast<size_t>(points);
    const bool shownImage = m_bufferOwner == BufferOwner::None ||
                            (m_bufferOwner == BufferOwner::Camera && m_bufferImageId == imageId);
    if (shownImage) {
        const size_t firstLine = static_cast<size_t>(batch) * static_cast<size_t>(m_linesPerBatch.load());
        const size_t greyStart = firstLine * static_cast<size_t>(points);
        if (greyStart + samples > m_grey.size()) return false;
        if (!write(BatchBuffers{m_range->line(static_cast<int>(firstLine)),
                                samples * static_cast<size_t>(bpp), m_grey.data() + greyStart, samples, lines,
                                points, bpp}))
            return false;
        m_bufferOwner = BufferOwner::Camera;
        m_bufferImageId = imageId;
        m_batchWritten[static_cast<size_t>(batch)] = 1;
        return true;
    }
    // A next image while the GUI thread still shows (or has yet to copy) this one: aside.
    const size_t bytes = samples * static_cast<size_t>(bpp + 1);
    const size_t scanBytes = m_range->byteSize() + m_grey.size();
    if (m_waitingBytes + bytes > std::max(scanBytes, std::min(2 * scanBytes, kMaxScanBytes))) return false;
    WaitingBatch waiting;
    waiting.imageId = imageId;
    waiting.batch = batch;
    try {
        waiting.range.resize(samples * static_cast<size_t>(bpp));
        waiting.grey.resize(samples);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!write(BatchBuffers{waiting.range.data(), waiting.range.size(), waiting.grey.data(), samples, lines,
                            points, bpp}))
        return false;
    m_waitingBytes += bytes;
    m_waiting.push_back(std::move(waiting));
    return true;
}

void RangeStreamer::takeImageLocked(uint64_t imageId) {
    if (m_bufferOwner == BufferOwner::None || m_bufferImageId != imageId) {
        std::fill(m_batchWritten.begin(), m_batchWritten.end(), 0);
        m_bufferOwner = BufferOwner::Camera;
        m_bufferImageId = imageId;
    }
    // Batches kept aside arrive in order: those before this image's last one belong to it or to
    // images the GUI thread has passed; those after it belong to later images and stay.
    size_t end = 0;
    for (size_t i = 0; i < m_waiting.size(); ++i) {
        if (m_waiting[i].imageId == imageId) end = i + 1;
    }
    const size_t points = static_cast<size_t>(m_pointsPerLine.load());
    const size_t perBatch = static_cast<size_t>(m_linesPerBatch.load());
    for (size_t i = 0; i < end; ++i) {
        WaitingBatch& w = m_waiting.front();
        const size_t firstLine = static_cast<size_t>(w.batch) * perBatch;
        uint8_t* range = m_range ? m_range->line(static_cast<int>(firstLine)) : nullptr;
        const size_t greyStart = firstLine * points;
        if (w.imageId == imageId && range != nullptr && greyStart + w.grey.size() <= m_grey.size() &&
            range + w.range.size() <= m_range->data() + m_range->byteSize()) {
            std::memcpy(range, w.range.data(), w.range.size());
            std::memcpy(m_grey.data() + greyStart, w.grey.data(), w.grey.size());
            m_batchWritten[static_cast<size_t>(w.batch)] = 1;
        }
        m_waitingBytes -= w.range.size() + w.grey.size();
        m_waiting.pop_front();
    }
}

void RangeStreamer::clearUnwrittenLocked(int firstBatch, int lastBatch) {
    if (!m_range || m_batchWritten.empty()) return;
    const int last = std::min(lastBatch, static_cast<int>(m_batchWritten.size()) - 1);
    const size_t points = static_cast<size_t>(m_pointsPerLine.load());
    const size_t bpp = static_cast<size_t>(m_range->bytesPerPoint());
    for (int b = std::max(0, firstBatch); b <= last; ++b) {
        if (m_batchWritten[static_cast<size_t>(b)]) continue;
        const int lines = linesOfBatch(b, m_totalLines, m_linesPerBatch);
        const size_t firstLine = static_cast<size_t>(b) * static_cast<size_t>(m_linesPerBatch.load());
        const size_t samples = static_cast<size_t>(lines) * points;
        uint8_t* range = m_range->line(static_cast<int>(firstLine));
        if (range == nullptr || firstLine * points + samples > m_grey.size()) continue;
        std::memset(range, 0, samples * bpp);
        std::memset(m_grey.data() + firstLine * points, 0, samples);
    }
}

void RangeStreamer::dropWaitingLocked() {
    m_waiting.clear();
    m_waitingBytes = 0;
}

bool RangeStreamer::batchArrived(uint64_t imageId, int batch) {
    if (linesOfBatch(batch, m_totalLines, m_linesPerBatch) == 0 || !hasImage()) return false;
    if (batch == 0 || imageId != m_receivingImageId) {
        {
            std::lock_guard<std::mutex> lock(m_queueMutex);
            m_batchQueue.clear();
        }
        waitForIdle([this] { return m_worker1Idle.load(); });
        auto dropHeld = [this] {
            std::lock_guard<std::mutex> lock(m_holdMutex);
            m_held.clear();
            m_hold = true;
        };
        {
            // Worker 1 is done with the image shown so far: the buffers pass to this one.
            std::lock_guard<std::mutex> lock(m_imageMutex);
            takeImageLocked(imageId);
        }
        // Batches of the previous image must not be replayed by a set-up still running...
        dropHeld();
        std::lock_guard<std::mutex> setUp(m_worker2Mutex);
        // ...and that set-up cleared the hold when it finished: hold again for the new one.
        dropHeld();
        m_receivingImageId = imageId;
        m_worker2Pending = true;
        m_worker2Wake.notify_one();
    }
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        if (m_batchQueue.empty()) m_queuedSince = std::chrono::steady_clock::now();
        m_batchQueue.push_back(batch);
        m_lastBatch = batch;
    }
    std::lock_guard<std::mutex> lock(m_worker1Mutex);
    m_worker1Wake.notify_one();
    return true;
}

void RangeStreamer::worker1Loop() {
    while (!m_worker1Stop) {
        int first = 0;
        int last = 0;
        std::chrono::steady_clock::time_point queuedAt;
        {
            std::unique_lock<std::mutex> wait(m_worker1Mutex);
            m_worker1Idle = true;
            idleChanged();
            m_worker1Wake.wait(wait, [this] {
                if (m_worker1Stop) return true;
                std::lock_guard<std::mutex> lock(m_queueMutex);
                return !m_batchQueue.empty();
            });
            if (m_worker1Stop) break;
            std::lock_guard<std::mutex> lock(m_queueMutex);
            if (!batchSpan(m_batchQueue, &first, &last)) continue;
            m_worker1Idle = false;
            m_batchQueue.clear();
            queuedAt = m_queuedSince;
        }
        convertBatches(first, last);
        // From announcement to the window: how far the 3D page lags behind the scan.
        adaptThinning(std::chrono::steady_clock::now() - queuedAt);
    }
}

void RangeStreamer::adaptThinning(std::chrono::steady_clock::duration waited) {
    const int current = m_lineThinning;
    int next = current;
    if (waited > kBehindLatency) {
        next = std::min(kMaxThinning, current * 2);
        m_calmTakes = 0;
    } else if (waited < kCalmLatency && current > 1) {
        if (++m_calmTakes >= kCalmTakes) {
            next = current / 2;
            m_calmTakes = 0;
        }
    } else {
        m_calmTakes = 0;
    }
    if (next == current) return;
    m_lineThinning = next;
    NuvSetLineThinning(m_window3D, next);
}

void RangeStreamer::convertBatches(int first, int last) {
    const int perBatch = m_linesPerBatch;
    const int linesOfLast = linesOfBatch(last, m_totalLines, perBatch);
    const int rows = (last - first) * perBatch + linesOfLast;
    if (linesOfLast == 0 || rows <= 0) return;
    const int firstRow = perBatch * first;
    const int lastRow = perBatch * last + linesOfLast - 1;

    HeldBatch entry;
    if (!makeBatch(firstRow, lastRow, first, true, &m_lut, &entry)) return;
    {
        std::lock_guard<std::mutex> lock(m_holdMutex);
        if (m_hold) {
            m_held.push_back(entry);
            return;
        }
    }
    display(entry);
}

bool RangeStreamer::makeBatch(int firstRow, int lastRow, int batch, bool overwriteInvalid, NuvRangeLUT16* lut,
                              HeldBatch* out) {
    Format f;
    DisplaySettings s;
    const int points = m_pointsPerLine;
    const int rows = lastRow - firstRow + 1;
    HeldBatch entry;
    // The samples are read (and invalid ones cleared) under the image lock: the business layer
    // writes other batches of this image meanwhile. Batches it never wrote read as invalid.
    std::lock_guard<std::mutex> lock(m_imageMutex);
    if (!m_range || rows <= 0 || firstRow < 0 || m_range->line(lastRow) == nullptr) return false;
    const int perBatch = std::max(1, m_linesPerBatch.load());
    clearUnwrittenLocked(firstRow / perBatch, lastRow / perBatch);
    f = m_format;
    s = m_settings;
    const size_t start = static_cast<size_t>(firstRow) * static_cast<size_t>(points);
    entry.range = m_range->line(firstRow);
    entry.rangeBytes = m_range->byteSize() - start * static_cast<size_t>(m_range->bytesPerPoint());
    entry.bytesPerPoint = m_range->bytesPerPoint();
    if (start < m_grey.size()) {
        entry.grey = m_grey.data() + start;
        entry.greyBytes = m_grey.size() - start;
    }
    entry.firstRow = firstRow;
    entry.lastRow = lastRow;
    entry.batch = batch;
    entry.displayMode = s.displayMode;
    if (s.displayMode == 3) {
        f.bytesPerPoint = entry.bytesPerPoint;
        // Worker 1's colour array comes back once the window has its rows: a fresh one per batch
        // would cost more in page faults than the colouring itself.
        entry.colors = lut == &m_lut && m_colourScratch.use_count() == 1 ? m_colourScratch
                                                                         : std::make_shared<NuvColorArray>();
        if (lut == &m_lut) m_colourScratch = entry.colors;
        NuvRangeLUT16 local;
        // The window places points by their samples: only colours are needed here.
        convertRows(const_cast<uint8_t*>(entry.range), rows, points, f, s, overwriteInvalid,
                    lut ? lut : &local, nullptr, entry.colors.get());
        entry.grey = nullptr;
        entry.greyBytes = 0;
    }
    *out = std::move(entry);
    return true;
}

void RangeStreamer::convertRows(uint8_t* source, int rows, int points, const Format& f,
                                const DisplaySettings& s, bool overwriteInvalid, NuvRangeLUT16* lut,
                                Nuv3DFloatArray* heights, NuvColorArray* colors) {
    if (source == nullptr || rows <= 0 || points <= 0 || colors == nullptr) return;
    if (f.bytesPerPoint == 2) {
        NuvRangeConversion conversion;
        conversion.scale = f.heightScale;
        conversion.offset = -static_cast<double>(f.heightOffset) * f.heightScale;
        conversion.minHeight = s.heightMin;
        conversion.maxHeight = s.heightMax;
        conversion.colorMap = kColorMap;
        NuvRangeLUT16 local;
        NuvLUTSetting::RangeToHeightsAndColors16(reinterpret_cast<uint16_t*>(source), points, rows,
                                                 conversion, heights, colors, overwriteInvalid,
                                                 lut ? lut : &local);
    } else {
        Nuv3DFloatArray local;
        Nuv3DFloatArray* out = heights ? heights : &local;
        out->resize(rows, points);
        toHeights(reinterpret_cast<int32_t*>(source), out->size(), f, s.heightMin, s.heightMax, out->data(),
                  overwriteInvalid);
        NuvLUTSetting::LinearSetColorLUT(*out, s.heightMin, s.heightMax, kColorMap, colors);
    }
}

bool RangeStreamer::batchSpan(const std::deque<int>& queue, int* first, int* last) {
    if (queue.empty()) return false;
    *first = queue.front();
    *last = queue.back();
    if (*first > *last) {
        // The scan wrapped: the batches before the wrap belong to the previous image.
        for (int b : queue) {
            if (b <= *last) {
                *first = b;
                break;
            }
        }
    }
    return true;
}

void RangeStreamer::display(const HeldBatch& batch) {
    if (m_hold) return;
    {
        std::lock_guard<std::mutex> lock(m_holdMutex);
        replayHeldLocked();
    }
    if (batch.range != nullptr) append(batch);
}

void RangeStreamer::replayHeldLocked() {
    for (const HeldBatch& held : m_held)
        append(held);
    m_held.clear();
}

void RangeStreamer::append(const HeldBatch& given) {
    HeldBatch batch = given;
    if (batch.displayMode != m_setupDisplayMode || batch.bytesPerPoint != m_setupBytesPerPoint) {
        // Converted before the 3D window was set up for another mode: convert those rows again,
        // reading the samples only.
        HeldBatch fresh;
        if (!makeBatch(batch.firstRow, batch.lastRow, batch.batch, false, nullptr, &fresh)) return;
        if (fresh.displayMode != m_setupDisplayMode || fresh.bytesPerPoint != m_setupBytesPerPoint) return;
        batch = std::move(fresh);
    }
    const bool colours = batch.colors != nullptr;
    const void* colourOrGrey =
        colours ? static_cast<const void*>(batch.colors->data()) : static_cast<const void*>(batch.grey);
    const size_t colourBytes = colours ? batch.colors->size() * sizeof(NuvColor) : batch.greyBytes;
    {
        // The window reads the samples: under the image lock, and only rows of the current image.
        std::lock_guard<std::mutex> lock(m_imageMutex);
        if (!m_range || m_range->line(batch.firstRow) != batch.range ||
            NuvAppendDataStreamChecked(m_window3D, m_dataStreamId, batch.range, batch.rangeBytes,
                                       colourOrGrey, colourBytes, batch.bytesPerPoint, batch.firstRow,
                                       batch.lastRow) != NUV3D_OK)
            return;
    }
    m_lastRowAppended = batch.lastRow;
    std::lock_guard<std::mutex> lock(m_observerMutex);
    if (m_observer) m_observer(batch.firstRow, batch.lastRow);
}

void RangeStreamer::worker2Loop() {
    std::unique_lock<std::mutex> wait(m_worker2Mutex);
    while (!m_worker2Stop) {
        m_worker2Wake.wait(wait, [this] { return m_worker2Stop || m_worker2Pending; });
        if (m_worker2Stop) break;
        // Busy before no longer pending: an idle wait never sees neither while a set-up is due.
        m_worker2Busy = true;
        m_worker2Pending = false;
        m_hold = true;
        initialise3D();
        {
            // Hold ends once what waited is in the window, so a caller that sees no hold sees it.
            std::lock_guard<std::mutex> lock(m_holdMutex);
            if (!m_worker2Stop) replayHeldLocked();
            m_held.clear();
            m_hold = false;
        }
        m_worker2Busy = false;
        idleChanged();
    }
}

void RangeStreamer::initialise3D() {
    SettingsProvider provider;
    {
        std::lock_guard<std::mutex> lock(m_observerMutex);
        provider = m_settingsProvider;
    }
    DisplaySettings settings = displaySettings();
    if (provider && provider(&settings)) setDisplaySettings(settings);
    reinitialise3D(settings, format());
}

void RangeStreamer::reinitialise3D(const DisplaySettings& s, const Format& f) {
    NuvClearAllRangeImage(m_window3D);
    NuvSetSamplingRatio(m_window3D, std::max(1, s.samplingRatio));
    const int id = NuvInitialRangeImage(m_window3D, f.bytesPerPoint, m_pointsPerLine, m_totalLines,
                                        s.xInterval, 0.0, s.yInterval, 0.0, f.heightScale, f.heightOffset,
                                        s.heightMin, s.heightMax, s.displayMode);
    m_dataStreamId = id;
    m_setupDisplayMode = s.displayMode;
    m_setupBytesPerPoint = f.bytesPerPoint;
    m_lastRowAppended = -1;
    ++m_setUpCount;
    Nuv3DZoomFitWnd(m_window3D);
    NuvSetPerspective(m_window3D, 0);
}

void RangeStreamer::clear() {
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_batchQueue.clear();
    }
    waitForIdle([this] { return m_worker1Idle.load(); });
    // The next scan starts with every line shown.
    m_lineThinning = 1;
    NuvSetLineThinning(m_window3D, 1);
    // Worker 2 may be setting up the window; let it finish before the buffers go.
    std::lock_guard<std::mutex> setUp(m_worker2Mutex);
    m_worker2Pending = false;
    idleChanged();
    {
        // A set-up that was asked for and never ran holds nothing back any more.
        std::lock_guard<std::mutex> lock(m_holdMutex);
        m_held.clear();
        m_hold = false;
    }
    NuvClearAllRangeImage(m_window3D);
    std::lock_guard<std::mutex> lock(m_imageMutex);
    m_range.reset();
    m_grey.clear();
    m_grey.shrink_to_fit();
    m_batchWritten.clear();
    m_bufferOwner = BufferOwner::None;
    m_bufferImageId = 0;
    dropWaitingLocked();
    m_lastRowAppended = -1;
    m_lastBatch = -1;
    m_receivingImageId = 0;
}

void RangeStreamer::replaceRangeImage(std::unique_ptr<NuvRangeImage> image) {
    if (!image || image->isEmpty() || image->width() > kMaxPointsPerLine) {
        clear();
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_batchQueue.clear();
    }
    waitForWorker1();
    {
        std::lock_guard<std::mutex> setUp(m_worker2Mutex);
        {
            std::lock_guard<std::mutex> lock(m_holdMutex);
            m_held.clear();
        }
        std::lock_guard<std::mutex> lock(m_imageMutex);
        // The grey buffer follows the new geometry so no reader runs past it.
        const size_t samples = static_cast<size_t>(image->width()) * static_cast<size_t>(image->height());
        try {
            m_grey.assign(samples, 0);
        } catch (const std::bad_alloc&) {
            std::vector<uint8_t>().swap(m_grey);
        }
        if (image->bytesPerPoint() != m_format.bytesPerPoint)
            m_format = formatFor(image->bytesPerPoint() == 4 ? 1 : 0, m_format.scaler);
        m_range = std::move(image);
        m_totalLines = m_range->height();
        m_linesPerBatch = m_range->height();
        m_pointsPerLine = m_range->width();
        m_lastBatch = -1;
        // The owner's image is whole; camera batches wait aside until the GUI thread gets to them.
        m_batchWritten.assign(1, 1);
        m_bufferOwner = BufferOwner::Owner;
        m_bufferImageId = m_receivingImageId + 1;
        dropWaitingLocked();
    }
    NuvClearAllRangeImage(m_window3D);
    // One batch of every line: the 3D window is set up for it and it is drawn whole.
    batchArrived(++m_receivingImageId, 0);
}

void RangeStreamer::refresh(const DisplaySettings& settings) {
    // A batch in conversion keeps the settings it started with: let it finish first.
    waitUntilIdle();
    setDisplaySettings(settings);
    if (!hasImage()) return;
    const int last = m_lastRowAppended;
    reinitialise3D(settings, format());
    redisplayRows(last, false, false);
}

void RangeStreamer::redisplay(bool rendering) {
    if (!hasImage()) return;
    waitUntilIdle();
    const int last = m_lastRowAppended;
    reinitialise3D(displaySettings(), format());
    redisplayRows(last, rendering, true);
}

void RangeStreamer::redisplayRows(int last, bool rendering, bool keepSamples) {
    if (last < 0) return;
    std::unique_lock<std::mutex> lock(m_imageMutex);
    if (!m_range) return;
    HeldBatch all;
    if (m_settings.displayMode == 3 && rendering) {
        all.range = m_range->line(0);
        all.rangeBytes = m_range->byteSize();
        all.bytesPerPoint = m_range->bytesPerPoint();
        all.lastRow = last;
        all.displayMode = 3;
        all.colors = std::make_shared<NuvColorArray>();
        // The camera's height range, so that a height keeps its colour from scan to scan.
        NuvLinearColorParams params;
        params.minHeight = m_settings.heightMin;
        params.maxHeight = m_settings.heightMax;
        NuvLUTSetting::LinearColorMapLUT(*m_range, all.colors.get(), params, NuvColor(0, 0, 255, 255),
                                         NuvColor(255, 0, 0, 255), kColorMap, true);
        lock.unlock();
    } else {
        lock.unlock();
        if (!makeBatch(0, last, 0, !keepSamples, nullptr, &all)) return;
    }
    append(all);
}

void RangeStreamer::setDisplaySettings(const DisplaySettings& settings) {
    std::lock_guard<std::mutex> lock(m_imageMutex);
    m_settings = settings;
}

RangeStreamer::DisplaySettings RangeStreamer::displaySettings() const {
    std::lock_guard<std::mutex> lock(m_imageMutex);
    return m_settings;
}

RangeStreamer::Format RangeStreamer::format() const {
    std::lock_guard<std::mutex> lock(m_imageMutex);
    return m_format;
}

bool RangeStreamer::hasImage() const {
    std::lock_guard<std::mutex> lock(m_imageMutex);
    return m_range != nullptr;
}

bool RangeStreamer::readRows(int firstRow, int lastRow, const RowReader& read) const {
    std::lock_guard<std::mutex> lock(m_imageMutex);
    if (!m_range || firstRow < 0 || lastRow < firstRow || lastRow >= m_range->height()) return false;
    const size_t points = static_cast<size_t>(m_range->width());
    const size_t greyEnd = (static_cast<size_t>(lastRow) + 1) * points;
    const uint8_t* grey =
        greyEnd <= m_grey.size() ? m_grey.data() + static_cast<size_t>(firstRow) * points : nullptr;
    read(m_range->line(firstRow), grey, lastRow - firstRow + 1, m_range->width(), m_format, m_settings);
    return true;
}

size_t RangeStreamer::heldBytes() {
    size_t bytes = 0;
    {
        std::lock_guard<std::mutex> lock(m_imageMutex);
        if (m_range) bytes += m_range->byteSize();
        bytes += m_grey.capacity() + m_waitingBytes;
    }
    std::lock_guard<std::mutex> lock(m_holdMutex);
    for (const HeldBatch& held : m_held) {
        if (held.colors) bytes += held.colors->size() * sizeof(NuvColor);
    }
    return bytes;
}

bool RangeStreamer::copyRangeImage(NuvRangeImage* out) {
    waitForWorker1();
    std::lock_guard<std::mutex> lock(m_imageMutex);
    if (!m_range || out == nullptr) return false;
    clearUnwrittenLocked(0, static_cast<int>(m_batchWritten.size()) - 1);
    // A copy of a large scan may not fit: the caller goes without (this runs in GUI slots).
    try {
        *out = m_range->clone();
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

bool RangeStreamer::copyGreyImage(std::vector<uint8_t>* grey, int* width, int* height) {
    waitForWorker1();
    std::lock_guard<std::mutex> lock(m_imageMutex);
    if (!m_range || grey == nullptr) return false;
    clearUnwrittenLocked(0, static_cast<int>(m_batchWritten.size()) - 1);
    try {
        *grey = m_grey;
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (width) *width = m_pointsPerLine;
    if (height) *height = m_totalLines;
    return true;
}

void RangeStreamer::setAppendObserver(AppendObserver observer) {
    std::lock_guard<std::mutex> lock(m_observerMutex);
    m_observer = std::move(observer);
}

void RangeStreamer::setSettingsProvider(SettingsProvider provider) {
    std::lock_guard<std::mutex> lock(m_observerMutex);
    m_settingsProvider = std::move(provider);
}

bool RangeStreamer::isConverted() const {
    // Hold is set for a new image until worker 2 has set the window up and replayed what waited.
    std::lock_guard<std::mutex> lock(m_queueMutex);
    return m_batchQueue.empty() && m_worker1Idle && !m_hold;
}

void RangeStreamer::idleChanged() const {
    // Taken once, so a waiter between its look at the states and its sleep cannot miss this.
    { std::lock_guard<std::mutex> lock(m_idleMutex); }
    m_idleChanged.notify_all();
}

void RangeStreamer::waitForIdle(const std::function<bool()>& idle) const {
    std::unique_lock<std::mutex> lock(m_idleMutex);
    m_idleChanged.wait(lock, idle);
}

void RangeStreamer::waitForWorker1() const {
    waitForIdle([this] {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        return m_batchQueue.empty() && m_worker1Idle;
    });
}

void RangeStreamer::waitUntilIdle() const {
    waitForIdle([this] {
        {
            std::lock_guard<std::mutex> lock(m_queueMutex);
            if (!m_batchQueue.empty() || !m_worker1Idle) return false;
        }
        // Pending before busy: worker 2 sets busy first and then clears pending.
        return !m_worker2Pending && !m_worker2Busy;
    });
}
