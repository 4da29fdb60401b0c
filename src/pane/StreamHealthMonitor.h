// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QtGlobal>
#include <memory>

#include "StreamCounters.h"

class QBoxLayout;
class QLabel;

// Stream health of one pane: frames shown and their rate, frames the camera's transport lost (and,
// on GigE Vision, its resent and missing packets) and frames the viewer received but could not show.
// Refreshed once a second into a small read-out in the pane's title bar, which stays out of the image so it
// reads the same on any picture.
class StreamHealthMonitor : public QObject {
    Q_OBJECT
public:
    struct Figures {
        quint64 framesShown = 0;
        double framesPerSecond = 0.0;
        quint64 lostOnTransport = 0;
        quint64 droppedInViewer = 0;
        // Only a packet transport (GigE Vision) counts packets; the read-out shows them then.
        bool countsPackets = false;
        quint64 resentPackets = 0;
        quint64 missingPackets = 0;
    };

    // The read-out goes into `titleLayout` at `index`.
    StreamHealthMonitor(QBoxLayout* titleLayout, int index, QObject* parent);

    // Shared with the camera's transform tool, which counts from the business-layer thread.
    std::shared_ptr<StreamCounters> counters() const { return m_counters; }
    // A camera is bound (the figures start over) or, with an empty key, unbound (read-out hidden).
    void setCameraKey(const QString& key);
    // A start press: the grab about to begin is counted from zero.
    void grabStarting();
    // The business layer reports the camera grabbing; a grab the pane did not start is counted
    // from here.
    void grabStarted();
    void grabStopped();
    // Counts as of now, with the rate of the last refresh.
    Figures figures() const;
    QString readoutText() const;
    QLabel* readout() const { return m_readout; }
    void retranslate();

signals:
    void figuresUpdated();

private:
    void startOver();
    void refresh();
    static QString textFor(const Figures& f);

    std::shared_ptr<StreamCounters> m_counters = std::make_shared<StreamCounters>();
    QString m_cameraKey;
    bool m_grabCounted = false;  // the running grab's figures already started over
    QLabel* m_readout;           // a child of the title bar
    QTimer m_refresh;
    QElapsedTimer m_window;  // since the last refresh
    quint64 m_shownAtWindowStart = 0;
    double m_framesPerSecond = 0.0;
    bool m_showsLoss = false;  // the read-out wears the loss colour
};
