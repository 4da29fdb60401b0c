// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QObject>
#include <QString>
#include <string>

#include "ZavizoZoz3.h"

// Forwards image-mode changes of profile sensors to the GUI thread.
// Called on business-layer threads; the signal reaches the manager queued on the GUI thread.
class ImageModeUpdate : public QObject, public ZavizoZoz3::IImageModeUpdate {
    Q_OBJECT
public:
    ImageModeUpdate() = default;
    void notify(std::string id, int mode) override;

signals:
    void imageModeChanged(QString id, int mode);
};
