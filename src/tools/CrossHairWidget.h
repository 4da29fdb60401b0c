// SPDX-License-Identifier: Apache-2.0
#pragma once
// A cross-hair fixed to the window: two lines through a point of the image area, drawn over the view
// and transparent to the mouse, so zoom and scroll move the image under it.
#include <QColor>
#include <QPoint>
#include <QWidget>

class CrossHairWidget : public QWidget {
    Q_OBJECT
public:
    explicit CrossHairWidget(QWidget* parent = nullptr);

    void setCross(const QPoint& pos, int width, const QColor& color);
    QPoint crossPos() const { return m_pos; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint m_pos;
    int m_width = 1;
    QColor m_color = Qt::red;
};
