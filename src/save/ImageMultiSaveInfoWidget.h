// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QTimer>
#include <QWidget>

namespace Ui {
class ImageMultiSaveInfoWidget;
}

// Translucent strip a pane shows over its image while a multi-frame save or a recording runs:
// images taken (or the recording's running time), the queue's usage rate, processed and
// discarded frames. The fold button collapses it to its top row.
class ImageMultiSaveInfoWidget : public QWidget {
    Q_OBJECT
public:
    explicit ImageMultiSaveInfoWidget(QWidget* parent = nullptr);
    ~ImageMultiSaveInfoWidget() override;

    void setTotalCount(int n);
    void setUsageRate(uchar rate);
    void setDealCount(int n);
    void setDiscardCount(int n);
    // Applies the stored values again (after a change of language).
    void refreshTexts();
    // The top label shows the running time from now on, counting every second.
    void startElapsedClock();
    // The run was stopped and its accepted frames are still being written: the top label says
    // how many are left (the clock stops).
    void setFinishing(int frames);
    bool isFinishing() const { return m_finishing; }

    QString totalText() const;
    QString usageText() const;
    QString dealText() const;
    QString discardText() const;
    bool isFolded() const;

public slots:
    void onTimeout();

private:
    void showElapsed();
    void showFinishing();

    int m_total = 0;
    uchar m_usageRate = 0;
    int m_dealCount = 0;
    int m_discardCount = 0;
    int m_elapsedSeconds = 0;
    int m_finishingFrames = 0;
    bool m_clockRunning = false;
    bool m_finishing = false;
    QTimer m_timer;
    Ui::ImageMultiSaveInfoWidget* m_ui;
};
