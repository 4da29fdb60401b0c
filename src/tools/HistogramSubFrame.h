// SPDX-License-Identifier: Apache-2.0
#pragma once
// Small framed holder with an enlarge button: the pane shows the histogram plot alone in it, over the
// image, while the user draws a region.
#include <QFrame>

namespace Ui {
class HistogramSubFrame;
}

class HistogramSubFrame : public QFrame {
    Q_OBJECT
public:
    explicit HistogramSubFrame(QWidget* parent = nullptr);
    ~HistogramSubFrame() override;

    void addWidget(QWidget* widget);
    // Hands back the widget added last (it leaves the frame's layout), or null.
    QWidget* takeWidget();
    QWidget* enlargeButton() const;

signals:
    void enlargeButtonClicked();

private:
    QWidget* m_widget = nullptr;
    Ui::HistogramSubFrame* m_ui;
};
