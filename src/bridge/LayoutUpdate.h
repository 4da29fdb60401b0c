// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QObject>
#include <QString>
#include <string>

#include "ZavizoZoz3.h"

// Forwards layout choices of the business layer to the GUI thread.
// Called on business-layer threads; the signal reaches the manager queued on the GUI thread.
class LayoutUpdate : public QObject, public ZavizoZoz3::ILayoutUpdate {
    Q_OBJECT
public:
    LayoutUpdate() = default;
    void notify(ZavizoZoz3::LAYOUT_TYPE type) override;

signals:
    void ValueUpdate(ZavizoZoz3::LAYOUT_TYPE type);
};
