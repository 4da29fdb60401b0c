// SPDX-License-Identifier: Apache-2.0
#pragma once
// Settings panel of the grid overlay (line width, spacing, colour). The pane shows it in a pop-up
// under its grid-settings button, presets it with its values and stores what it reports.
#include <QColor>
#include <QWidget>

namespace Ui {
class GridConfigWidget;
}

class GridConfigWidget : public QWidget {
    Q_OBJECT
public:
    explicit GridConfigWidget(QWidget* parent = nullptr);
    ~GridConfigWidget() override;

    // Presets: nothing is emitted.
    void setLineWidth(int width);
    void setLineSpace(int space);
    void setColor(const QColor& color);
    QColor color() const { return m_color; }

signals:
    void lineWidthChanged(int width);
    void lineSpaceChanged(int space);
    void colorChanged(QColor color);

private slots:
    void onColorButtonClicked();

private:
    QColor m_color;
    Ui::GridConfigWidget* m_ui;
};
