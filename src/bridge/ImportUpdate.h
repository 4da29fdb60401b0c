// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QObject>
#include <QString>
#include <string>

#include "ZavizoZoz3.h"

// Forwards camera-settings imports to the GUI thread.
// Called on business-layer threads; the signal reaches the manager queued on the GUI thread.
class ImportUpdate : public QObject, public ZavizoZoz3::IImportUpdate {
    Q_OBJECT
public:
    ImportUpdate() = default;
    void notify(std::string id) override;

signals:
    void importUpdate(QString id);
};
