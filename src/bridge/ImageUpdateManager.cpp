// SPDX-License-Identifier: Apache-2.0
#include "ImageUpdateManager.h"

#include "WndImageTransTool.h"

ImageUpdateManager::~ImageUpdateManager() {
    std::lock_guard<std::mutex> lock(m_toolsMutex);
    qDeleteAll(m_tools);
    m_tools.clear();
}

void ImageUpdateManager::notify(std::string cameraKey, ZavizoZoz3::AcqBuffer* payload, uint32_t kind,
                                uint32_t extra) {
    const QString key = QString::fromStdString(cameraKey);
    std::lock_guard<std::mutex> lock(m_toolsMutex);
    WndImageTransTool* tool = m_tools.value(key, nullptr);
    if (tool == nullptr) {
        // Nobody shows this camera: give the buffer back so the business layer can reuse it.
        if (payload) payload->release();
        return;
    }
    tool->transform(payload, static_cast<int>(kind), static_cast<int>(extra));
}

void ImageUpdateManager::addTool(const QString& cameraKey, WndImageTransTool* tool) {
    WndImageTransTool* old = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_toolsMutex);
        old = m_tools.value(cameraKey, nullptr);
        m_tools.insert(cameraKey, tool);
    }
    if (old != tool) delete old;
}

void ImageUpdateManager::removeTool(const QString& cameraKey) {
    WndImageTransTool* old = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_toolsMutex);
        old = m_tools.take(cameraKey);
    }
    delete old;
}

bool ImageUpdateManager::hasTool(const QString& cameraKey) const {
    std::lock_guard<std::mutex> lock(m_toolsMutex);
    return m_tools.contains(cameraKey);
}
