// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QObject>
#include <QString>
#include <string>

#include "ZavizoZoz3.h"

// Forwards focus changes (FOCUS_TYPE 3 names a camera) to the GUI thread.
// Called on business-layer threads; the signal reaches the manager queued on the GUI thread.
class FocusUpdate : public QObject, public ZavizoZoz3::IFocusUpdate {
    Q_OBJECT
public:
    FocusUpdate() = default;
    void notify(ZavizoZoz3::FOCUS_TYPE type, std::string id) override;

signals:
    void ValueUpdate(ZavizoZoz3::FOCUS_TYPE type, QString id);
};
