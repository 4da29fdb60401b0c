// SPDX-License-Identifier: Apache-2.0
#include "StreamSaveFeed.h"

#include "SaveImageTool.h"

void StreamSaveFeed::arm(SaveImageTool* worker, Conversion conversion, int sensorWidth, int sensorHeight) {
    std::lock_guard<std::mutex> lock(m_targetMutex);
    m_worker = worker;
    m_conversion = conversion;
    m_sensorWidth = sensorWidth;
    m_sensorHeight = sensorHeight;
    m_armed.store(worker != nullptr, std::memory_order_release);
}

void StreamSaveFeed::disarm() {
    std::lock_guard<std::mutex> lock(m_targetMutex);
    m_worker = nullptr;
    m_armed.store(false, std::memory_order_release);
}

bool StreamSaveFeed::offer(const NuvImage& image, const FrameMetadata& stamp) {
    if (!isArmed()) return false;
    std::lock_guard<std::mutex> lock(m_targetMutex);
    if (m_worker == nullptr) return false;
    if (m_conversion == Conversion::AsIs) {
        // The frame is never written into after conversion: the worker shares its pixels.
        m_worker->addImage(image, stamp);
    } else {
        m_worker->addImage(SaveImageTool::firstChannel(image, m_sensorWidth, m_sensorHeight), stamp);
    }
    return true;
}

bool StreamSaveFeed::offer(const QImage& picture, const FrameMetadata& stamp) {
    if (!isArmed()) return false;
    std::lock_guard<std::mutex> lock(m_targetMutex);
    // The 2D view shows no sensor pictures, and saves none.
    if (m_worker == nullptr || m_conversion != Conversion::SensorGrey) return false;
    m_worker->addImage(SaveImageTool::sensorPicture(picture, m_sensorWidth, m_sensorHeight), stamp);
    return true;
}
