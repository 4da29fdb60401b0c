// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QObject>
#include <QString>
#include <string>

#include "ZavizoZoz3.h"

// Forwards tilt and height correction requests to the GUI thread.
// Called on business-layer threads; the signal reaches the manager queued on the GUI thread.
class CorrectionUpdate : public QObject, public ZavizoZoz3::ICorrectionUpdate {
    Q_OBJECT
public:
    CorrectionUpdate() = default;
    void notify(std::string id, int correctionType, float curCorrectionValue, void* ext) override;

signals:
    void correctionNotify(QString id, int correctionType, float curCorrectionValue, void* ext);
};
