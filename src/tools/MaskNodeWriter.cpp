// SPDX-License-Identifier: Apache-2.0
#include "MaskNodeWriter.h"

#include "ZavizoZoz3.h"

MaskNodeWriter::MaskNodeWriter(std::function<std::string()> cameraKey, std::function<void()> idle)
    : m_cameraKey(std::move(cameraKey)), m_idle(std::move(idle)) {
    m_pause.setSingleShot(true);
    m_pause.setInterval(kPauseMs);
    m_pause.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_pause, &QTimer::timeout, [this] { writeNext(); });
}

void MaskNodeWriter::write(const std::vector<Write>& writes) {
    const bool wasIdle = m_waiting.empty();
    m_waiting.insert(m_waiting.end(), writes.begin(), writes.end());
    if (wasIdle && !m_waiting.empty()) writeNext();
}

void MaskNodeWriter::cancel() {
    m_pause.stop();
    m_waiting.clear();
}

void MaskNodeWriter::writeNext() {
    if (m_waiting.empty()) return;
    const Write next = m_waiting.front();
    // Failures show in the camera's echo: the shape is redrawn where the camera has it.
    ZavizoZoz3::SetCameraNodeValue(m_cameraKey(), next.first, next.second);
    m_waiting.pop_front();
    if (!m_waiting.empty()) {
        m_pause.start();
        return;
    }
    if (m_idle) m_idle();
}
