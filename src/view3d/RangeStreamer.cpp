#include "RangeStreamer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>

#include "Nuv3DGraphics.h"
#include "NuvLUTSetting.h"

namespace {
constexpr int kColorMap = RangeStreamer::kColorMap;
constexpr int kLastBatchLineCap = 5000;

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

RangeStreamer::RangeStreamer(int64_t window3D) : m_window3D(window3D) {
    m_worker1 = std::thread([this] { worker1Loop(); });
    m_worker2 = std::thread([this] { worker2Loop(); });
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
    if (m_worker1.joinable()) m_worker1.join();
    m_worker2Stop = true;
    {
        std::lock_guard<std::mutex> lock(m_worker2Mutex);
        m_worker2Wake.notify_all();
    }
    if (m_worker2.joinable()) m_worker2.join();
    std::lock_guard<std::mutex> lock(m_holdMutex);
    m_held.clear();
}

RangeStreamer::Format RangeStreamer::formatFor(int dataType, int scaler) {
    Format f;
    const int s = std::max(1, scaler);
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

void RangeStreamer::prepare(int totalLines, int linesPerBatch, int pointsPerLine, const Format& format,
                            double xInterval, int displayMode) {
    clear();
    const int total = std::max(0, totalLines);
    const int perBatch = std::max(1, linesPerBatch);
    const int points = pointsPerLine > 0 ? pointsPerLine : 3200;
    std::lock_guard<std::mutex> lock(m_imageMutex);
    m_format = format;
    m_settings.xInterval = xInterval;
    m_settings.displayMode = displayMode;
    m_totalLines = total;
    m_linesPerBatch = perBatch;
    m_pointsPerLine = points;
    if (total > 0) {
        m_range = std::make_unique<NuvRangeImage>(points, total, format.bytesPerPoint);
        m_grey.assign(static_cast<size_t>(points) * static_cast<size_t>(total), 0);
    }
    if (m_range && m_range->isEmpty()) {
        m_range.reset();
        m_grey.clear();
    }
}

bool RangeStreamer::writeBatch(int batch, const BatchWriter& write) {
    std::lock_guard<std::mutex> lock(m_imageMutex);
    const int lines = linesOfBatch(batch, m_totalLines, m_linesPerBatch);
    if (!m_range || lines == 0) return false;
    const size_t firstLine = static_cast<size_t>(batch) * static_cast<size_t>(m_linesPerBatch.load());
    uint8_t* range = m_range->line(static_cast<int>(firstLine));
    uint8_t* grey = m_grey.data() + firstLine * static_cast<size_t>(m_pointsPerLine.load());
    write(range, grey, lines, m_pointsPerLine.load());
    return true;
}

uint8_t* RangeStreamer::rangePointer(int batch) {
    std::lock_guard<std::mutex> lock(m_imageMutex);
    if (!m_range || linesOfBatch(batch, m_totalLines, m_linesPerBatch) == 0) return nullptr;
    return m_range->line(batch * m_linesPerBatch);
}

uint8_t* RangeStreamer::greyPointer(int batch) {
    std::lock_guard<std::mutex> lock(m_imageMutex);
    if (!m_range || linesOfBatch(batch, m_totalLines, m_linesPerBatch) == 0) return nullptr;
    return m_grey.data() + static_cast<size_t>(batch) * static_cast<size_t>(m_linesPerBatch.load()) *
                               static_cast<size_t>(m_pointsPerLine.load());
}

NuvRangeImage* RangeStreamer::rangeImage() {
    std::lock_guard<std::mutex> lock(m_imageMutex);
    return m_range.get();
}

bool RangeStreamer::batchArrived(uint64_t imageId, int batch) {
    if (linesOfBatch(batch, m_totalLines, m_linesPerBatch) == 0 || !hasImage()) return false;
    if (batch == 0 || imageId != m_receivingImageId) {
        {
            std::lock_guard<std::mutex> lock(m_queueMutex);
            m_batchQueue.clear();
        }
        while (!m_worker1Idle)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        auto dropHeld = [this] {
            std::lock_guard<std::mutex> lock(m_holdMutex);
            m_held.clear();
            m_hold = true;
        };
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
        {
            std::unique_lock<std::mutex> wait(m_worker1Mutex);
            m_worker1Idle = true;
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
        }
        convertBatches(first, last);
    }
    m_worker1Idle = true;
}

void RangeStreamer::convertBatches(int first, int last) {
    const int perBatch = m_linesPerBatch;
    const int total = m_totalLines;
    const int points = m_pointsPerLine;
    int linesOfLast = perBatch;
    if (static_cast<int64_t>(last + 1) * perBatch > total) {
        linesOfLast = std::min(total % perBatch, kLastBatchLineCap);
    }
    const int rows = (last - first) * perBatch + linesOfLast;
    if (rows <= 0) return;
    const int firstRow = perBatch * first;
    const int lastRow = perBatch * last + linesOfLast - 1;

    uint8_t* source = nullptr;
    const uint8_t* grey = nullptr;
    int displayMode = 3;
    {
        std::lock_guard<std::mutex> lock(m_imageMutex);
        if (!m_range) return;
        source = m_range->line(firstRow);
        grey = m_grey.data() + static_cast<size_t>(firstRow) * static_cast<size_t>(points);
        displayMode = m_settings.displayMode;
    }
    if (source == nullptr) return;

    HeldBatch entry{source, nullptr, nullptr, firstRow, lastRow, first};
    if (displayMode == 3) {
        entry.colors = colour(source, rows, true, &m_lut);
    } else {
        entry.grey = grey;
    }
    {
        std::lock_guard<std::mutex> lock(m_holdMutex);
        if (m_hold) {
            m_held.push_back(entry);
            return;
        }
    }
    display(entry);
}

std::shared_ptr<NuvColorArray> RangeStreamer::colour(uint8_t* source, int rows, bool overwriteInvalid,
                                                     NuvRangeLUT16* lut) {
    Format f;
    DisplaySettings s;
    {
        std::lock_guard<std::mutex> lock(m_imageMutex);
        f = m_format;
        s = m_settings;
    }
    auto colors = std::make_shared<NuvColorArray>();
    Nuv3DFloatArray heights;
    convertRows(source, rows, m_pointsPerLine, f, s, overwriteInvalid, lut, &heights, colors.get());
    return colors;
}

void RangeStreamer::convertRows(uint8_t* source, int rows, int points, const Format& f,
                                const DisplaySettings& s, bool overwriteInvalid, NuvRangeLUT16* lut,
                                Nuv3DFloatArray* heights, NuvColorArray* colors) {
    if (source == nullptr || rows <= 0 || points <= 0 || heights == nullptr || colors == nullptr) return;
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
        heights->resize(rows, points);
        toHeights(reinterpret_cast<int32_t*>(source), heights->size(), f, s.heightMin, s.heightMax,
                  heights->data(), overwriteInvalid);
        NuvLUTSetting::LinearSetColorLUT(*heights, s.heightMin, s.heightMax, kColorMap, colors);
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
        for (const HeldBatch& held : m_held)
            append(held);
        m_held.clear();
    }
    if (batch.range != nullptr) append(batch);
}

void RangeStreamer::append(const HeldBatch& batch) {
    const void* colourOrGrey =
        batch.colors ? static_cast<const void*>(batch.colors->data()) : static_cast<const void*>(batch.grey);
    NuvAppendDataStream(m_window3D, m_dataStreamId, batch.range, colourOrGrey, format().bytesPerPoint,
                        batch.firstRow, batch.lastRow);
    m_lastRowAppended = batch.lastRow;
    std::lock_guard<std::mutex> lock(m_observerMutex);
    if (m_observer) m_observer(batch.firstRow, batch.lastRow);
}

void RangeStreamer::worker2Loop() {
    std::unique_lock<std::mutex> wait(m_worker2Mutex);
    while (!m_worker2Stop) {
        m_worker2Wake.wait(wait, [this] { return m_worker2Stop || m_worker2Pending; });
        if (m_worker2Stop) break;
        m_worker2Pending = false;
        m_worker2Busy = true;
        m_hold = true;
        initialise3D();
        {
            std::lock_guard<std::mutex> lock(m_holdMutex);
            m_hold = false;
            if (!m_worker2Stop) {
                for (const HeldBatch& held : m_held)
                    append(held);
            }
            m_held.clear();
        }
        m_worker2Busy = false;
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
    while (!m_worker1Idle)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    // Worker 2 may be setting up the window; let it finish before the buffers go.
    std::lock_guard<std::mutex> setUp(m_worker2Mutex);
    m_worker2Pending = false;
    {
        std::lock_guard<std::mutex> lock(m_holdMutex);
        m_held.clear();
    }
    NuvClearAllRangeImage(m_window3D);
    std::lock_guard<std::mutex> lock(m_imageMutex);
    m_range.reset();
    m_grey.clear();
    m_grey.shrink_to_fit();
    m_lastRowAppended = -1;
    m_lastBatch = -1;
    m_receivingImageId = 0;
}

void RangeStreamer::replaceRangeImage(std::unique_ptr<NuvRangeImage> image) {
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_batchQueue.clear();
    }
    while (!m_worker1Idle)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::lock_guard<std::mutex> setUp(m_worker2Mutex);
    {
        std::lock_guard<std::mutex> lock(m_holdMutex);
        m_held.clear();
    }
    const bool has = image && !image->isEmpty();
    {
        std::lock_guard<std::mutex> lock(m_imageMutex);
        m_range = std::move(image);
        if (has) {
            m_totalLines = m_range->height();
            m_pointsPerLine = m_range->width();
            m_format.bytesPerPoint = m_range->bytesPerPoint();
        }
    }
    NuvClearAllRangeImage(m_window3D);
    if (has) {
        m_worker2Pending = true;
        m_worker2Wake.notify_one();
    }
}

void RangeStreamer::refresh(const DisplaySettings& settings) {
    setDisplaySettings(settings);
    if (!hasImage()) return;
    waitUntilIdle();
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
    uint8_t* source = m_range->line(0);
    const DisplaySettings s = m_settings;
    HeldBatch all{source, nullptr, nullptr, 0, last, 0};
    if (s.displayMode == 3) {
        if (rendering) {
            auto colors = std::make_shared<NuvColorArray>();
            // The camera's height range, so that a height keeps its colour from scan to scan.
            NuvLinearColorParams params;
            params.minHeight = s.heightMin;
            params.maxHeight = s.heightMax;
            NuvLUTSetting::LinearColorMapLUT(*m_range, colors.get(), params, NuvColor(0, 0, 255, 255),
                                             NuvColor(255, 0, 0, 255), kColorMap, true);
            all.colors = colors;
            lock.unlock();
        } else {
            lock.unlock();
            NuvRangeLUT16 lut;
            all.colors = colour(source, last + 1, !keepSamples, &lut);
        }
    } else {
        all.grey = m_grey.data();
        lock.unlock();
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
        bytes += m_grey.capacity();
    }
    std::lock_guard<std::mutex> lock(m_holdMutex);
    for (const HeldBatch& held : m_held) {
        if (held.colors) bytes += held.colors->size() * sizeof(NuvColor);
    }
    return bytes;
}

bool RangeStreamer::copyRangeImage(NuvRangeImage* out) const {
    std::lock_guard<std::mutex> lock(m_imageMutex);
    if (!m_range || out == nullptr) return false;
    *out = m_range->clone();
    return true;
}

bool RangeStreamer::copyGreyImage(std::vector<uint8_t>* grey, int* width, int* height) const {
    std::lock_guard<std::mutex> lock(m_imageMutex);
    if (!m_range || grey == nullptr) return false;
    *grey = m_grey;
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

void RangeStreamer::waitUntilIdle() const {
    for (;;) {
        bool queued = false;
        {
            std::lock_guard<std::mutex> lock(m_queueMutex);
            queued = !m_batchQueue.empty();
        }
        bool pending = false;
        {
            std::lock_guard<std::mutex> lock(m_worker2Mutex);
            pending = m_worker2Pending;
        }
        if (!queued && !pending && m_worker1Idle && !m_worker2Busy) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}
