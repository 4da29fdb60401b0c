// SPDX-License-Identifier: Apache-2.0
#pragma once
/// @file
/// What a simulated camera hands to a frame encoder, and what the encoder gives back. The
/// encoder packages scene data into the byte layout of a real device's payload; it is called
/// on the camera's acquisition thread and must be thread-safe.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ZavizoZoz3 {

/// One frame of a simulated camera as the frame encoder receives it (see
/// Control::setFrameEncoder). Filled on the camera's acquisition thread; plain data.
struct SimulatedFrame {
    std::string cameraKey;       ///< key of the camera that produced the frame
    bool laserProfiler = false;  ///< true for a laser profiler, false for an area-scan camera
    int imageMode = 0;           ///< 0 sensor picture, 1 single profile, 2 range batch
    uint64_t frameIndex = 0;     ///< running number of frames this camera produced since StartGrab
    int64_t timestampNs = -1;    ///< the camera's clock (steady, ns) when the exposure began

    /// @name Image mode 0: the sensor picture
    /// Mono8 (or Mono16 when pictureMono16), tightly packed. For a laser profiler it is the sensor
    /// window.
    ///@{
    int pictureWidth = 0;          ///< picture width in pixels
    int pictureHeight = 0;         ///< picture height in pixels
    int windowRowOffset = 0;       ///< the window's OffsetY (rows counted from the bottom of the sensor)
    std::vector<uint8_t> picture;  ///< pictureWidth x pictureHeight bytes, row after row
    bool pictureMono16 = false;    ///< the picture holds 16-bit little-endian samples instead (Mono16)
    ///@}

    /// @name Image modes 1 and 2: profiles
    /// lineCount profiles of pointsPerLine points, row after row.
    ///@{
    int pointsPerLine = 0;            ///< points in each profile
    int lineCount = 0;                ///< number of profiles in the frame
    std::vector<float> heights;       ///< heights in mm; NaN marks a point without measurement
    std::vector<uint8_t> brightness;  ///< brightness of each point, in the layout of heights
    ///@}

    /// @name Scan geometry and sample scaling
    /// As the camera's features report them.
    ///@{
    int sampleBits = 16;       ///< width of profile and range samples (CAM_INFO 50: "16" or "32")
    double scaler = 0.0;       ///< the "Scaler" feature
    double xIntervalUm = 0.0;  ///< the "XInterval" feature: point spacing in um
    double zMaxMm = 0.0;       ///< the "ZUpSizeInfo" feature: top of the measuring range in mm
    double zMinMm = 0.0;       ///< the "ZDownSizeInfo" feature: bottom of the measuring range in mm
    ///@}

    /// @name Image mode 2: position of this batch in the scan
    ///@{
    uint64_t imageId = 0;   ///< new value for every scan
    int batchIndex = 0;     ///< batch number within the scan, from 0
    int linesPerBatch = 0;  ///< lines in a full batch
    int totalLines = 0;     ///< lines in the whole scan
    bool isEnd = false;     ///< last batch of the scan
    ///@}
};

/// A payload as it reaches the image listener (see IImageUpdate::notify); written by a
/// FrameEncoder on the acquisition thread.
struct EncodedFrame {
    uint32_t kind = 0;           ///< the listener's `kind`: 0 camera image, 1 single profile, 2 range batch
    uint32_t extra = 0;          ///< the listener's `extra` (frame index)
    int width = 0;               ///< AcqBuffer::width() of the payload
    int height = 0;              ///< AcqBuffer::height() of the payload
    uint32_t pixelFormat = 0;    ///< AcqBuffer::pixelFormat(): GenICam PFNC code
    std::vector<uint8_t> bytes;  ///< the payload bytes (AcqBuffer::data() and size())
    int64_t timestampNs = -1;    ///< AcqBuffer::timestampNs(); set by the camera, not the encoder
};

/// Packages @p frame into @p out. Called on acquisition threads; must be thread-safe.
/// Returns false when the frame should not be sent.
using FrameEncoder = std::function<bool(const SimulatedFrame& frame, EncodedFrame& out)>;

}  // namespace ZavizoZoz3
