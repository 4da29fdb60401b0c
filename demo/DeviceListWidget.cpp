// SPDX-License-Identifier: Apache-2.0
#include "DeviceListWidget.h"

#include <QMimeData>

DeviceListWidget::DeviceListWidget(QWidget* parent) : QListWidget(parent) {
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

QStringList DeviceListWidget::mimeTypes() const {
    return {QStringLiteral("ItemMimeData")};
}

QMimeData* DeviceListWidget::mimeData(const QList<QListWidgetItem*> items) const {
    if (items.isEmpty()) return nullptr;
    auto* mime = new QMimeData();
    mime->setData(QStringLiteral("ItemMimeData"), QByteArray());
    mime->setText(items.first()->data(Qt::UserRole).toString());
    return mime;
}
