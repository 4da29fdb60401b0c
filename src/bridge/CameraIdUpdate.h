// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QObject>
#include <QString>
#include <string>

#include "ZavizoZoz3.h"

// Forwards camera renames (old key first, new title second) to the GUI thread.
// Called on business-layer threads; the signal reaches the manager queued on the GUI thread.
class CameraIdUpdate : public QObject, public ZavizoZoz3::ICameraIdUpdate {
    Q_OBJECT
public:
    CameraIdUpdate() = default;
    void notify(const std::string& srcName, const std::string& dstName) override;

signals:
    void cameraIdChanged(QString src, QString dst);
};
