// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QListWidget>

// The demo's device list: items carry the camera key and drag it onto panes as "ItemMimeData".
class DeviceListWidget : public QListWidget {
    Q_OBJECT
public:
    explicit DeviceListWidget(QWidget* parent = nullptr);

protected:
    QMimeData* mimeData(const QList<QListWidgetItem*> items) const override;
    QStringList mimeTypes() const override;
};
