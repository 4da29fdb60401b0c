// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QObject>
#include <QString>
#include <string>

#include "ZavizoZoz3.h"

// Forwards the choice of the shown image of a multi-image frame to the GUI thread.
// Called on business-layer threads; the signal reaches the manager queued on the GUI thread.
class SLImageShowModeUpdate : public QObject, public ZavizoZoz3::ISLImageShowModeUpdate {
    Q_OBJECT
public:
    SLImageShowModeUpdate() = default;
    void notify(std::string id, int mode) override;

signals:
    void imageShowModeChanged(QString id, int mode);
};
