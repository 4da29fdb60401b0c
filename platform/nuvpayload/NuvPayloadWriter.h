// SPDX-License-Identifier: Apache-2.0
#pragma once
// Builds laser-profile sensor payloads (layout: NuvPayloadFormat.h) for the simulated sensor.
// Each write* call replaces the content of `out` (its capacity is reused, so a sensor loop that
// keeps one vector per stream allocates once, and profiles and batches overwrite it in place) and returns
// false, leaving `out` empty, when the geometry is outside what the format allows or a required array is
// null.
#include <cstddef>
#include <cstdint>
#include <vector>

class NuvPayloadWriter {
public:
    // Values copied into every header written afterwards.
    void setScaler(uint32_t scaler) { m_scaler = scaler; }
    void setXIntervalNm(uint32_t xIntervalNm) { m_xIntervalNm = xIntervalNm; }
    uint32_t scaler() const { return m_scaler; }
    uint32_t xIntervalNm() const { return m_xIntervalNm; }

    // Mono8 sensor window; step is the byte distance between rows of `pixels` (0 = width).
    bool writeSensorPicture(std::vector<uint8_t>& out, uint64_t imageId, uint32_t frameNumber,
                            const uint8_t* pixels, uint32_t width, uint32_t height, size_t step,
                            uint32_t rowOffset) const;
    // One profile of `points` samples; brightness (points bytes) may be null.
    bool writeProfile16(std::vector<uint8_t>& out, uint64_t imageId, uint32_t frameNumber,
                        const uint16_t* samples, uint32_t points, const uint8_t* brightness) const;
    bool writeProfile32(std::vector<uint8_t>& out, uint64_t imageId, uint32_t frameNumber,
                        const int32_t* samples, uint32_t points, const uint8_t* brightness) const;
    // `lines` profiles of `points` samples, row-major; brightness (lines x points bytes) may be null.
    bool writeRangeBatch16(std::vector<uint8_t>& out, uint64_t imageId, uint32_t batchIndex, bool isEnd,
                           const uint16_t* samples, uint32_t points, uint32_t lines,
                           const uint8_t* brightness) const;
    bool writeRangeBatch32(std::vector<uint8_t>& out, uint64_t imageId, uint32_t batchIndex, bool isEnd,
                           const int32_t* samples, uint32_t points, uint32_t lines,
                           const uint8_t* brightness) const;

private:
    struct Header {
        uint8_t kind = 0;
        uint8_t sampleType = 0;
        bool isEnd = true;
        bool hasBrightness = false;
        uint32_t frameNumber = 0;
        uint64_t imageId = 0;
        uint32_t points = 0;
        uint32_t lines = 0;
        uint32_t windowWidth = 0;
        uint32_t windowHeight = 0;
        uint32_t windowRowOffset = 0;
    };
    bool writeSamples(std::vector<uint8_t>& out, const Header& header, const void* samples,
                      const uint8_t* brightness) const;
    void writeHeader(uint8_t* dst, const Header& header, uint64_t dataSize) const;

    uint32_t m_scaler = 0;
    uint32_t m_xIntervalNm = 0;
};
