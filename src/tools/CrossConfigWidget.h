// SPDX-License-Identifier: Apache-2.0
#pragma once
// Settings panel of the cross-hair overlay: coordinate system (window or image), centre position,
// line width and colour. Presets emit nothing; user edits emit the matching signal.
#include <QColor>
#include <QSize>
#include <QWidget>

namespace Ui {
class CrossConfigWidget;
}

class CrossConfigWidget : public QWidget {
    Q_OBJECT
public:
    enum CoordinateMode { WndCoordinate = 0, ImageCoordinate = 1 };

    explicit CrossConfigWidget(QWidget* parent = nullptr);
    ~CrossConfigWidget() override;

    // The sizes that bound the position in each coordinate system.
    void setWndSize(const QSize& size) { m_wndSize = size; }
    void setImageSize(const QSize& size) { m_imageSize = size; }
    // Clicks the matching radio button, so coordinateModeChanged follows.
    void setCoordinateMode(int mode);
    void setPosX(int maximum, int value);
    void setPosY(int maximum, int value);
    void setLineWidth(int width);
    void setColor(const QColor& color);
    QColor color() const { return m_color; }

signals:
    void coordinateModeChanged(int mode);
    void posChanged(int posX, int posY);
    void withChanged(int width);
    void colorChanged(QColor color);

private slots:
    void onCenterButtonClicked();
    void onColorButtonClicked();
    void onRadioButtonClicked();

private:
    QColor m_color;
    QSize m_wndSize;
    QSize m_imageSize;
    Ui::CrossConfigWidget* m_ui;
};
