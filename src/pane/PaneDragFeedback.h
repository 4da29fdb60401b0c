// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QObject>
#include <QPixmap>
#include <QPoint>

class QWidget;

// What the user sees while a pane is dragged: a small translucent picture of the dragged pane
// under the cursor, and a highlight over the pane that will receive the drop.
class PaneDragFeedback : public QObject {
    Q_OBJECT
public:
    explicit PaneDragFeedback(QWidget* pane);

    // The pane's picture scaled to at most kMaxDragSide, half transparent; `hotSpot` (in pane
    // coordinates) is scaled with it.
    QPixmap dragImage(QPoint* hotSpot) const;
    void setDropHighlighted(bool highlighted);
    bool isDropHighlighted() const;

    static constexpr int kMaxDragSide = 200;

private:
    QWidget* m_pane;
    QWidget* m_highlight = nullptr;  // child of the pane, created on first use
};
