// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QPointer>
#include <QStringList>
#include <QVector>
#include <QWidget>

class ZMKImageView;

// Millimetre ruler beside a picture of a scan: along its bottom edge (X, across the scan line) or
// its left edge (Y, along the scan). It follows the view's zoom and scrolling and shows the part of
// the scan that is on screen, whatever the reduction of the picture.
class ScanAxis : public QWidget {
    Q_OBJECT
public:
    // Height of the X ruler and width of the Y ruler.
    static constexpr int kThickness = 46;

    ScanAxis(Qt::Orientation orientation, QWidget* parent = nullptr);

    // The view showing the picture (null: nothing to follow).
    void setView(ZMKImageView* view);
    // The scan's extent along the ruler in millimetres: the picture's edges are 0 and `length`.
    void setLength(double length);
    double length() const { return m_length; }
    Qt::Orientation orientation() const { return m_orientation; }
    // The tick labels shown, from the left (X) or the top (Y).
    QStringList tickLabels() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Tick {
        double position;  // pixels along the ruler
        QString text;
    };
    QVector<Tick> ticks() const;

    Qt::Orientation m_orientation;
    QPointer<ZMKImageView> m_view;
    // The view's viewport as a plain object: its events keep coming while the view is destroyed,
    // when the view may no longer be used as a ZMKImageView.
    QPointer<QObject> m_viewport;
    double m_length = 0.0;
};
