// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QImage>
#include <atomic>
#include <mutex>

#include "FrameMetadata.h"
#include "NuvImage.h"

class SaveImageTool;

// Hands the pictures of a pane's camera stream to the pane's running multi-frame save or recording on
// the thread that converts them, so a run gets every picture the camera delivered however far the
// display falls behind. Armed by the pane's save commands for a run of pictures, disarmed at its end.
class StreamSaveFeed {
public:
    enum class Conversion {
        AsIs,        // the 2D view saves a camera frame as it is
        SensorGrey,  // the profiler's 2D page saves 8-bit grey at the sensor's size
    };

    // GUI thread. `worker` must outlive the run; disarm() before it goes.
    void arm(SaveImageTool* worker, Conversion conversion, int sensorWidth, int sensorHeight);
    // GUI thread: returns once no picture is on its way into the worker.
    void disarm();
    bool isArmed() const { return m_armed.load(std::memory_order_acquire); }

    // Converting thread: true when the picture went to the run's worker (taken or counted there).
    // `stamp` carries the camera's frame id and timestamp into the saved file.
    bool offer(const NuvImage& image, const FrameMetadata& stamp);
    // A profiler's sensor picture: taken only for the profiler's 2D page.
    bool offer(const QImage& picture, const FrameMetadata& stamp);

private:
    // Guards the run's target below; held while a picture goes into the worker, so the worker is
    // never called after disarm() returned.
    mutable std::mutex m_targetMutex;
    SaveImageTool* m_worker = nullptr;
    Conversion m_conversion = Conversion::AsIs;
    int m_sensorWidth = 0;
    int m_sensorHeight = 0;
    // Lets the converting thread pass by without the lock while nothing is armed.
    std::atomic<bool> m_armed{false};
};
