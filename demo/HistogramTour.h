// SPDX-License-Identifier: Apache-2.0
#pragma once
// Scripted walk through the grey histogram on the area-scan camera's pane, as a newcomer would do it:
// open it while the camera streams, look at the line and column profiles, draw a local region and read
// the table. Each step saves a screenshot of the whole screen (the histogram is a dialog of its own).
#include <QObject>
#include <QString>

class QWidget;

// The demo sees only the viewer's exported class: it finds the widgets as a user would, by what they are.
class HistogramTour : public QObject {
    Q_OBJECT
public:
    HistogramTour(QWidget* window, const QString& folder, QObject* parent = nullptr);
    // Runs the steps one after another on timers; quits the application at the end.
    void start(int delayMs);

private:
    void step();
    void shoot(const QString& name);

    QWidget* m_window;
    QString m_folder;
    int m_step = 0;
};
