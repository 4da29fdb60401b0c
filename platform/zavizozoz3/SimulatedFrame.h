#pragma once
// What a simulated camera hands to a frame encoder, and what the encoder gives back. The
// encoder packages scene data into the byte layout of a real device's payload; it is called
// on the camera's acquisition thread and must be thread-safe.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ZavizoZoz3 {

struct SimulatedFrame {
    std::string cameraKey;
    bool laserProfiler = false;
    int imageMode = 0;        // 0 sensor picture, 1 single profile, 2 range batch
    uint64_t frameIndex = 0;  // running number of frames this camera produced since StartGrab

    // Image mode 0: the sensor picture (Mono8, tightly packed). For a laser profiler it is the
    // sensor window; windowRowOffset is its OffsetY (rows counted from the bottom of the sensor).
    int pictureWidth = 0;
    int pictureHeight = 0;
    int windowRowOffset = 0;
    std::vector<uint8_t> picture;

    // Image modes 1 and 2: lineCount profiles of pointsPerLine heights in mm, row after row;
    // NaN marks a point without measurement. brightness has the same layout.
    int pointsPerLine = 0;
    int lineCount = 0;
    std::vector<float> heights;
    std::vector<uint8_t> brightness;

    // Scan geometry and sample scaling as the camera's features report them.
    int sampleBits = 16;       // width of profile and range samples (CAM_INFO 50: "16" or "32")
    double scaler = 0.0;       // "Scaler"
    double xIntervalUm = 0.0;  // "XInterval"
    double zMaxMm = 0.0;       // "ZUpSizeInfo"
    double zMinMm = 0.0;       // "ZDownSizeInfo"

    // Image mode 2: position of this batch in the scan.
    uint64_t imageId = 0;  // new value for every scan
    int batchIndex = 0;    // batch number within the scan, from 0
    int linesPerBatch = 0;
    int totalLines = 0;
    bool isEnd = false;  // last batch of the scan
};

// A payload as it reaches the image listener (see IImageUpdate::notify).
struct EncodedFrame {
    uint32_t kind = 0;
    uint32_t extra = 0;
    int width = 0;
    int height = 0;
    uint32_t pixelFormat = 0;
    std::vector<uint8_t> bytes;
};

// Returns false when the frame should not be sent.
using FrameEncoder = std::function<bool(const SimulatedFrame& frame, EncodedFrame& out)>;

}  // namespace ZavizoZoz3
