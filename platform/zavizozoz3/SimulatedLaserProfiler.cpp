// SPDX-License-Identifier: Apache-2.0
#include "SimulatedLaserProfiler.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace ZavizoZoz3 {

SimulatedLaserProfiler::SimulatedLaserProfiler(const std::string& key, const std::string& serial,
                                               FrameSink& sink)
    : SimulatedCamera(key, true, sink), m_scene(kPoints, 0.01, 0.05), m_geometry(kPoints, 0.01, 0.05) {
    NodeMap& map = nodes();
    addCommonNodes(200.0, kMaxLineRate);
    map.addInteger("WidthMax", kPoints, kPoints, kPoints, 1, GenApi::RO);
    map.addInteger("HeightMax", kSensorRows, kSensorRows, kSensorRows, 1, GenApi::RO);
    auto& width = map.addInteger("Width", kPoints, 64, kPoints, 32);
    auto& height = map.addInteger("Height", kSensorRows, 16, kSensorRows, 2);
    auto& offsetX = map.addInteger("OffsetX", 0, 0, kPoints - 64, 32);
    auto& offsetY = map.addInteger("OffsetY", 0, 0, kSensorRows - 16, 2);
    width.setMaxFunction([&offsetX] { return kPoints - offsetX.valueLocked(); });
    // Height reports the whole sensor as its maximum; the band counts from the bottom, so a
    // write must still fit above the offset.
    height.setWriteLimitFunction([&offsetY] { return kSensorRows - offsetY.valueLocked(); });
    offsetX.setMaxFunction([&width] { return kPoints - width.valueLocked(); });
    offsetY.setMaxFunction([&height] { return kSensorRows - height.valueLocked(); });
    map.addInteger("PointsNum", kPoints, 1, kPoints, 1, GenApi::RO);
    map.addInteger("AcquisitionLineCount", 1000, 1, 50000, 1);
    map.addInteger("BatchNumber", 100, 1, 5000, 1);
    map.addFloat("XInterval", 10.0, 10.0, 10.0, GenApi::RO);
    // Raw 16-bit height = 32768 + height in mm * Scaler / 32: 1 count = 1 um.
    map.addFloat("Scaler", 32000.0, 32000.0, 32000.0, GenApi::RO);
    map.addFloat("ZUpSizeInfo", 20.0, 20.0, 20.0, GenApi::RO);
    map.addFloat("ZDownSizeInfo", -20.0, -20.0, -20.0, GenApi::RO);
    map.addFloat("XSizeInfo", 32.0, 32.0, 32.0, GenApi::RO);
    auto& masker =
        map.addEnumeration("ImageMaskerSelector", {"ImageMasker0", "ImageMasker1", "ImageMasker2"});
    map.addBoolean("ImageMask", false, GenApi::RW, &masker);
    for (const char* name : {"Xleft", "Xright", "Xup", "Xdown"})
        map.addInteger(name, 0, 0, kPoints - 1, 1, GenApi::RW, &masker);
    for (const char* name : {"Yleft", "Yright", "Yup", "Ydown"})
        map.addInteger(name, 0, 0, kSensorRows - 1, 1, GenApi::RW, &masker);
    // Default masks: 300 x 400 rectangles side by side (up top left, down bottom right).
    for (int m = 0; m < 3; ++m) {
        masker.SetSymbolic("ImageMasker" + std::to_string(m));
        const int64_t x0 = 400 + 1000 * m, x1 = x0 + 300, y0 = 300, y1 = 700;
        const std::pair<const char*, int64_t> corners[] = {{"Xup", x0},    {"Yup", y0},   {"Xdown", x1},
                                                           {"Ydown", y1},  {"Xleft", x0}, {"Yleft", y1},
                                                           {"Xright", x1}, {"Yright", y0}};
        for (const auto& corner : corners)
            dynamic_cast<IntegerNode*>(map.GetNode(corner.first))->SetValue(corner.second);
    }
    masker.SetSymbolic("ImageMasker0");
    addIdentity("SIM-LP3200", kDeviceKindProfiler, serial, "3200 * 1024");
}

SimulatedLaserProfiler::~SimulatedLaserProfiler() {
    shutdown();
}

void SimulatedLaserProfiler::setSceneGeometry(double tiltDegrees, double blockStepMm, double holdPositionMm) {
    std::lock_guard<std::mutex> lock(m_geometryMutex);
    // The scene keeps its previous tilt when the new one is out of range.
    if (std::isfinite(tiltDegrees) && std::fabs(tiltDegrees) < kMaxTiltDegrees) m_sceneTilt = tiltDegrees;
    m_geometry.setTiltDegrees(m_sceneTilt - m_tiltCorrection);
    m_geometry.setBlockStepMm(blockStepMm);
    m_geometry.setHoldPositionMm(holdPositionMm);
}

void SimulatedLaserProfiler::setTiltCorrection(double degrees) {
    if (!std::isfinite(degrees) || std::fabs(degrees) >= kMaxTiltDegrees) return;
    std::lock_guard<std::mutex> lock(m_geometryMutex);
    m_tiltCorrection = degrees;
    // The sensor measures the scene as rolled by what its correction leaves over.
    m_geometry.setTiltDegrees(m_sceneTilt - m_tiltCorrection);
}

double SimulatedLaserProfiler::framePeriod() {
    const double rate = nodes().floatValue("AcquisitionFrameRate", 200.0);
    switch (imageMode()) {
        case 0:
            return 1.0 / std::min(rate, kMaxPictureRate);
        case 1:
            return 1.0 / std::min(rate, kMaxProfileRate);
        default: {
            const int64_t lines =
                m_batchIndex == 0 ? nodes().integerValue("BatchNumber", 100) : m_scanLinesPerBatch;
            return static_cast<double>(std::max<int64_t>(lines, 1)) / rate;
        }
    }
}

void SimulatedLaserProfiler::beginAcquisition() {
    m_batchIndex = 0;
    m_lastMode = -1;
}

void SimulatedLaserProfiler::fillGeometry(SimulatedFrame& frame) {
    frame.cameraKey = key();
    frame.laserProfiler = true;
    frame.pointsPerLine = kPoints;
    frame.sampleBits = info(CAM_INFO_RANGE_BITS) == "32" ? 32 : 16;
    frame.scaler = nodes().floatValue("Scaler");
    frame.xIntervalUm = nodes().floatValue("XInterval");
    frame.zMaxMm = nodes().floatValue("ZUpSizeInfo");
    frame.zMinMm = nodes().floatValue("ZDownSizeInfo");
}

void SimulatedLaserProfiler::setConnected(bool connected) {
    SimulatedCamera::setConnected(connected);
    // Off the acquisition thread the grab has ended and the thread is joined: the cycle is free.
    if (connected || isAcquisitionThread()) return;
    m_cycle = RowCycle();
    m_cycleValid = false;
}

void SimulatedLaserProfiler::takeSceneSettings(const SensorRegions& regions) {
    {
        std::lock_guard<std::mutex> lock(m_geometryMutex);
        m_scene.setTiltDegrees(m_geometry.tiltDegrees());
        m_scene.setBlockStepMm(m_geometry.blockStepMm());
        m_scene.setHoldPositionMm(m_geometry.holdPositionMm());
    }
    const int first = std::clamp(std::atoi(info(CAM_INFO_COLUMN_FIRST).c_str()), 0, kPoints - 1);
    const int last = std::clamp(std::atoi(info(CAM_INFO_COLUMN_LAST).c_str()), first, kPoints - 1);
    const double zMax = nodes().floatValue("ZUpSizeInfo"), zMin = nodes().floatValue("ZDownSizeInfo");
    RowCycle& c = m_cycle;
    if (m_cycleValid && c.scene.sameGeometry(m_scene) && c.regions == regions && c.columnFirst == first &&
        c.columnLast == last && c.zMax == zMax && c.zMin == zMin)
        return;
    c.scene = m_scene;
    c.regions = regions;
    c.columnFirst = first;
    c.columnLast = last;
    c.zMax = zMax;
    c.zMin = zMin;
    const int rows = m_scene.periodProfiles();
    if (rows != c.rows || !c.heights) {
        // Left untouched until rendered: memory is taken row by row as the cycle fills.
        c.heights.reset(new float[static_cast<size_t>(rows) * kPoints]);
        c.brightness.reset(new uint8_t[static_cast<size_t>(rows) * kPoints]);
        c.rows = rows;
    }
    c.rendered.assign(static_cast<size_t>(rows), 0);
    c.samples.reset();
    c.encoded.clear();
    m_cycleValid = true;
}

void SimulatedLaserProfiler::cycledProfile(uint64_t n, const float** heights, const uint8_t** brightness) {
    RowCycle& c = m_cycle;
    const size_t row = static_cast<size_t>(n % static_cast<uint64_t>(c.rows));
    float* h = c.heights.get() + row * kPoints;
    uint8_t* b = c.brightness.get() + row * kPoints;
    if (!c.rendered[row]) {
        // Row r stands for every profile r + k * period: the same place of the scene.
        renderProfile(row, h, b);
        c.rendered[row] = 1;
    }
    *heights = h;
    *brightness = b;
}

void SimulatedLaserProfiler::encodedLines(uint64_t first, int lines, const SimulatedFrame& frame,
                                          std::vector<LaserPayloadEncoder::LineSpan>& spans) {
    RowCycle& c = m_cycle;
    const int bits = frame.sampleBits == 32 ? 32 : 16;
    const size_t lineBytes = static_cast<size_t>(kPoints) * static_cast<size_t>(bits / 8);
    if (!c.samples || c.sampleBits != bits || c.scaler != frame.scaler) {
        c.samples.reset(new uint8_t[static_cast<size_t>(c.rows) * lineBytes]);
        c.encoded.assign(static_cast<size_t>(c.rows), 0);
        c.sampleBits = bits;
        c.scaler = frame.scaler;
    }
    spans.clear();
    auto row = static_cast<int>(first % static_cast<uint64_t>(c.rows));
    while (lines > 0) {
        const int count = std::min(lines, c.rows - row);
        for (int r = row; r < row + count; ++r) {
            if (c.encoded[static_cast<size_t>(r)]) continue;
            const auto at = static_cast<size_t>(r) * kPoints;
            const float* heights = c.heights.get() + at;
            if (!c.rendered[static_cast<size_t>(r)]) {
                // Heights only pass through on their way to samples: the cycle's heights stay
                // untouched (no memory taken) unless pictures or profiles need them.
                m_rowHeights.resize(kPoints);
                renderProfile(static_cast<uint64_t>(r), m_rowHeights.data(), c.brightness.get() + at);
                heights = m_rowHeights.data();
            }
            LaserPayloadEncoder::rangeSamples(heights, kPoints, bits, frame.scaler,
                                              c.samples.get() + static_cast<size_t>(r) * lineBytes);
            c.encoded[static_cast<size_t>(r)] = 1;
        }
        spans.push_back({c.samples.get() + static_cast<size_t>(row) * lineBytes,
                         c.brightness.get() + static_cast<size_t>(row) * kPoints, count});
        lines -= count;
        row = 0;
    }
}

void SimulatedLaserProfiler::renderProfile(uint64_t n, float* heights, uint8_t* brightness) {
    const RowCycle& c = m_cycle;
    m_scene.profile(n, m_heightsScratch, m_brightnessScratch);
    for (int i = 0; i < kPoints; ++i) {
        // A point is measured where the sensor reads its laser spot: inside the column window,
        // on a row of the camera ROI and outside every mask.
        const int row =
            LaserScene::sensorRowOf(m_heightsScratch[static_cast<size_t>(i)], kSensorRows, c.zMax, c.zMin);
        const bool inside = i >= c.columnFirst && i <= c.columnLast && row >= 0 &&
                            c.regions.rowInWindow(row) &&
                            !c.regions.masked(i - c.regions.offsetX() + 0.5, row + 0.5);
        heights[i] =
            inside ? m_heightsScratch[static_cast<size_t>(i)] : std::numeric_limits<float>::quiet_NaN();
        brightness[i] = inside ? m_brightnessScratch[static_cast<size_t>(i)] : 0;
    }
}

void SimulatedLaserProfiler::produceFrame(uint64_t frameIndex) {
    const int mode = imageMode();
    if (mode != m_lastMode) m_batchIndex = 0;
    m_lastMode = mode;
    const double rate = nodes().floatValue("AcquisitionFrameRate", 200.0);

    SimulatedFrame frame;
    frame.frameIndex = frameIndex;
    frame.timestampNs = exposureClockNs();
    frame.imageMode = mode;
    const SensorRegions regions = SensorRegions::read(nodes(), kPoints, kSensorRows);
    takeSceneSettings(regions);
    if (mode == 0 || mode == 1) {
        const double tickRate = std::min(rate, mode == 0 ? kMaxPictureRate : kMaxProfileRate);
        m_profileIndex += static_cast<uint64_t>(std::max(1.0, std::round(rate / tickRate)));
        if (mode == 1 && !hasFrameEncoder()) return;
        fillGeometry(frame);
        frame.lineCount = 1;
        const float* heights = nullptr;
        const uint8_t* brightness = nullptr;
        cycledProfile(m_profileIndex, &heights, &brightness);
        frame.heights.assign(heights, heights + kPoints);
        frame.brightness.assign(brightness, brightness + kPoints);
        if (mode == 0) {
            const auto begin = frame.heights.begin() + regions.offsetX();
            const std::vector<float> window(begin, begin + regions.width());
            frame.pictureWidth = regions.width();
            frame.pictureHeight = regions.height();
            frame.windowRowOffset = regions.offsetY();
            LaserScene::renderSensorPicture(window, frame.pictureWidth, kSensorRows, frame.windowRowOffset,
                                            frame.pictureHeight, frame.zMaxMm, frame.zMinMm, frameIndex,
                                            frame.picture);
            regions.darken(frame.picture, frame.pictureWidth);
        }
        sendFrame(std::move(frame));
        return;
    }

    // Range batches: the scan geometry is fixed when a scan begins.
    if (m_batchIndex == 0) {
        m_scanLines = static_cast<int>(nodes().integerValue("AcquisitionLineCount", 1000));
        m_scanLinesPerBatch = static_cast<int>(nodes().integerValue("BatchNumber", 100));
        ++m_imageId;
    }
    const int lines = std::min(m_scanLinesPerBatch, m_scanLines - m_batchIndex * m_scanLinesPerBatch);
    const bool isEnd = (m_batchIndex + 1) * m_scanLinesPerBatch >= m_scanLines;
    const int batch = m_batchIndex;
    m_batchIndex = isEnd ? 0 : m_batchIndex + 1;
    const uint64_t firstProfile = m_profileIndex;
    m_profileIndex += static_cast<uint64_t>(lines);
    const std::shared_ptr<const FrameEncoder> encoder = frameEncoder();
    if (!encoder) return;
    fillGeometry(frame);
    frame.lineCount = lines;
    frame.imageId = m_imageId;
    frame.batchIndex = batch;
    frame.linesPerBatch = m_scanLinesPerBatch;
    frame.totalLines = m_scanLines;
    frame.isEnd = isEnd;
    if (LaserPayloadEncoder::isPayloadEncoder(*encoder)) {
        // The built-in encoding: the cycle's rows are kept encoded, so the batch is copied from
        // them without passing through heights.
        sendPayload([&](EncodedFrame& out) {
            encodedLines(firstProfile, lines, frame, m_batchSpans);
            return LaserPayloadEncoder::encodeRangeLines(frame, m_batchSpans, out);
        });
        return;
    }
    // The batch's storage is kept from batch to batch: a fresh megabyte per batch costs more in
    // page faults than the copy itself.
    frame.heights.swap(m_batchHeights);
    frame.brightness.swap(m_batchBrightness);
    frame.heights.resize(static_cast<size_t>(lines) * kPoints);
    frame.brightness.resize(static_cast<size_t>(lines) * kPoints);
    for (int line = 0; line < lines; ++line) {
        const float* heights = nullptr;
        const uint8_t* brightness = nullptr;
        cycledProfile(firstProfile + static_cast<uint64_t>(line), &heights, &brightness);
        std::copy(heights, heights + kPoints, frame.heights.data() + static_cast<size_t>(line) * kPoints);
        std::copy(brightness, brightness + kPoints,
                  frame.brightness.data() + static_cast<size_t>(line) * kPoints);
    }
    // sendFrame only reads a profile frame: its storage comes back for the next batch.
    sendFrame(std::move(frame));
    m_batchHeights.swap(frame.heights);
    m_batchBrightness.swap(frame.brightness);
}

}  // namespace ZavizoZoz3
