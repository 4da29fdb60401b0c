// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <mutex>

// Frame information of a line-profile sensor that the file writer needs to turn saved profiles
// and range images into heights: the profiler view updates it when a scan is prepared (GUI
// thread), the save worker reads a snapshot of it on its own thread.
class ProfileFrameInfo {
public:
    struct Values {
        int pointsPerProfile = 3200;
        int brightnessStride = 2;         // bytes per point of the range buffer (2 or 4)
        int heightOffset = 32768;         // raw range sample of height 0
        int profileHeightOffset = 32768;  // raw profile sample of height 0
        double heightScale = 1.0;         // millimetres per raw range step
        double profileScaleDivisor = 1.0;
        double xInterval = 0.009;  // millimetres between points
        double yInterval = 0.002;  // millimetres between lines
    };

    Values values() const;
    void setValues(const Values& values);

private:
    mutable std::mutex m_valuesMutex;  // guards m_values
    Values m_values;
};
