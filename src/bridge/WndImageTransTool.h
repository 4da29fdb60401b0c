// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <utility>

#include "StreamCounters.h"
#include "ZavizoZoz3.h"

class ImageUpdateManager;
class ImageWndManager;

// Base of the per-camera frame converters: turns one acquisition buffer into display data on
// the business-layer thread and publishes it through the dispatcher's signals.
class WndImageTransTool : public QObject {
public:
    WndImageTransTool(ImageUpdateManager* dispatcher, ImageWndManager* manager, const QString& cameraKey)
        : m_dispatcher(dispatcher), m_manager(manager), m_cameraKey(cameraKey) {}
    // Processes and releases `buffer` (a null buffer is ignored).
    virtual void transform(ZavizoZoz3::AcqBuffer* buffer, int kind, int frameIndex) = 0;
    const QString& cameraKey() const { return m_cameraKey; }
    // The counts of the pane that shows this camera; set before the tool is handed to the
    // dispatcher, constant afterwards.
    void setStreamCounters(std::shared_ptr<StreamCounters> counters) { m_counters = std::move(counters); }

protected:
    ImageUpdateManager* m_dispatcher;  // not owned
    ImageWndManager* m_manager;        // not owned
    QString m_cameraKey;
    std::shared_ptr<StreamCounters> m_counters;
};
