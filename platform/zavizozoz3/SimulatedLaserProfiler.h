// SPDX-License-Identifier: Apache-2.0
#pragma once
// Simulated laser line-profile sensor: 3200 points per profile, 200 profiles per second by
// default and up to 64,000, scanning LaserScene. The scene's profiles are rendered once per change
// of the scene or of what the sensor reads (window, masks, column window) and then cycled, one
// period of the scene, so that the sensor itself costs little at any line rate. Image mode 0 sends the sensor
// window picture, mode 1 single profiles and mode 2 range batches of "BatchNumber" lines per
// "AcquisitionLineCount" scan; modes 1 and 2 need a frame encoder to become payloads. CAM_INFO 50 "32"
// switches profiles and range batches from 16-bit to 32-bit samples.
#include <memory>
#include <mutex>
#include <string>

#include "LaserPayloadEncoder.h"
#include "LaserScene.h"
#include "SensorRegions.h"
#include "SimulatedCamera.h"

namespace ZavizoZoz3 {

class SimulatedLaserProfiler final : public SimulatedCamera {
public:
    static constexpr int kPoints = 3200;
    static constexpr int kSensorRows = 1024;
    // Pictures and single profiles are sent at most this often; range lines at the full rate.
    static constexpr double kMaxPictureRate = 25.0;
    static constexpr double kMaxProfileRate = 50.0;
    // Scene tilts and corrections are below this many degrees.
    static constexpr double kMaxTiltDegrees = 89.0;
    // Highest "AcquisitionFrameRate" (profiles per second).
    static constexpr double kMaxLineRate = 64000.0;

    SimulatedLaserProfiler(const std::string& key, const std::string& serial, FrameSink& sink);
    ~SimulatedLaserProfiler() override;

    // Any thread: the scene geometry, taken up from the next profile on.
    void setSceneGeometry(double tiltDegrees, double blockStepMm, double holdPositionMm);
    // Any thread: the roll the sensor takes off its profiles (the host's confirmed tilt
    // correction), from the next profile on.
    void setTiltCorrection(double degrees);
    // Disconnecting also gives back the rendered profiles.
    void setConnected(bool connected) override;

private:
    double framePeriod() override;
    void beginAcquisition() override;
    // In 3D mode a single grab is the whole scan: done once the last batch went out.
    bool singleGrabComplete() const override { return m_lastMode != 2 || m_batchIndex == 0; }
    void produceFrame(uint64_t frameIndex) override;
    void fillGeometry(SimulatedFrame& frame);
    // Takes up the scene settings for the next frame; a change starts the cycle of rendered
    // profiles over.
    void takeSceneSettings(const SensorRegions& regions);
    // Profile n of the scene with the points the sensor does not read (outside the column window
    // of CAM_INFO 67 and 68 or the camera ROI's rows, or masked) removed: kPoints heights (NaN
    // where nothing is measured) and brightness bytes, rendered on first use in the cycle.
    void cycledProfile(uint64_t n, const float** heights, const uint8_t** brightness);
    void renderProfile(uint64_t n, float* heights, uint8_t* brightness);
    // The encoded range lines of profiles first .. first + lines - 1, as spans of consecutive
    // rows of the cycle, encoded on first use for the frame's sample width and scaler.
    void encodedLines(uint64_t first, int lines, const SimulatedFrame& frame,
                      std::vector<LaserPayloadEncoder::LineSpan>& spans);

    LaserScene m_scene;
    // Guards m_geometry, the scene settings a control call left for the acquisition thread, and
    // the two tilts it is made of (the scene's and the sensor's correction).
    std::mutex m_geometryMutex;
    LaserScene m_geometry;
    double m_sceneTilt = 0.0;
    double m_tiltCorrection = 0.0;
    // Acquisition-thread state (only the grabbing thread touches these while it runs).
    uint64_t m_profileIndex = 0;
    uint64_t m_imageId = 0;
    int m_batchIndex = 0;
    int m_scanLines = 0;
    int m_scanLinesPerBatch = 0;
    int m_lastMode = -1;
    std::vector<float> m_heightsScratch;
    std::vector<uint8_t> m_brightnessScratch;
    std::vector<float> m_batchHeights;
    std::vector<uint8_t> m_batchBrightness;
    std::vector<LaserPayloadEncoder::LineSpan> m_batchSpans;
    std::vector<float> m_rowHeights;

    // One period of rendered profiles and what they were rendered for. Acquisition thread (or any
    // thread once it has been joined).
    struct RowCycle {
        LaserScene scene;
        SensorRegions regions;
        int columnFirst = 0;
        int columnLast = 0;
        double zMax = 0.0;
        double zMin = 0.0;
        int rows = 0;
        std::unique_ptr<float[]> heights;       // rows x kPoints, touched as rendered
        std::unique_ptr<uint8_t[]> brightness;  // rows x kPoints, touched as rendered or encoded
        std::vector<uint8_t> rendered;          // one flag per row
        // The rows as range-batch samples of sampleBits at scaler (LaserPayloadEncoder::rangeSamples),
        // dropped with the rendered rows.
        int sampleBits = 0;
        double scaler = 0.0;
        std::unique_ptr<uint8_t[]> samples;  // rows x kPoints samples, touched as encoded
        std::vector<uint8_t> encoded;        // one flag per row
    };
    RowCycle m_cycle;
    bool m_cycleValid = false;
};

}  // namespace ZavizoZoz3
