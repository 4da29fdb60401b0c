// SPDX-License-Identifier: Apache-2.0
#include "StreamHealthMonitor.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLocale>
#include <cstdlib>

#include "NuvNumberParse.h"
#include "ZavizoZoz3.h"

namespace {
constexpr int kRefreshMs = 1000;
const char* const kQuietStyle = "background: #E1E1E1; color: #5A5A5A; font-size: 11px; padding: 0 6px;";
// Anything lost is worth a glance, without shouting.
const char* const kLossStyle = "background: #E1E1E1; color: #A8322D; font-size: 11px; padding: 0 6px;";
}  // namespace

StreamHealthMonitor::StreamHealthMonitor(QBoxLayout* titleLayout, int index, QObject* parent)
    : QObject(parent), m_readout(new QLabel()) {
    m_readout->setObjectName(QStringLiteral("lbStreamHealth"));
    m_readout->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_readout->setFixedHeight(32);
    m_readout->setStyleSheet(QString::fromLatin1(kQuietStyle));
    m_readout->hide();
    titleLayout->insertWidget(index, m_readout);
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &StreamHealthMonitor::refresh);
    retranslate();
}

void StreamHealthMonitor::setCameraKey(const QString& key) {
    m_cameraKey = key;
    m_grabCounted = false;
    startOver();
    m_readout->setVisible(!key.isEmpty());
    if (key.isEmpty()) {
        m_refresh.stop();
    } else {
        m_refresh.start();
    }
}

void StreamHealthMonitor::grabStarting() {
    startOver();
    m_grabCounted = true;
}

void StreamHealthMonitor::grabStarted() {
    // Reported again with every device list while the grab runs: only the first one counts.
    if (!m_grabCounted) startOver();
    m_grabCounted = true;
}

void StreamHealthMonitor::grabStopped() {
    m_grabCounted = false;
}

void StreamHealthMonitor::startOver() {
    m_counters->reset();
    m_shownAtWindowStart = 0;
    m_framesPerSecond = 0.0;
    m_window.start();
    m_readout->setText(readoutText());
}

StreamHealthMonitor::Figures StreamHealthMonitor::figures() const {
    Figures f;
    f.framesShown = m_counters->shown();
    f.droppedInViewer = m_counters->dropped();
    f.framesPerSecond = m_framesPerSecond;
    if (!m_cameraKey.isEmpty()) {
        const std::string lost =
            ZavizoZoz3::GetCameraInfo(m_cameraKey.toStdString(), ZavizoZoz3::CAM_INFO_LOST_FRAMES);
        f.lostOnTransport = NuvNumberParse::valueOr(lost, 0ULL);
        const std::string resent =
            ZavizoZoz3::GetCameraInfo(m_cameraKey.toStdString(), ZavizoZoz3::CAM_INFO_RESENT_PACKETS);
        const std::string missing =
            ZavizoZoz3::GetCameraInfo(m_cameraKey.toStdString(), ZavizoZoz3::CAM_INFO_MISSING_PACKETS);
        f.countsPackets = !resent.empty() && !missing.empty();
        f.resentPackets = NuvNumberParse::valueOr(resent, 0ULL);
        f.missingPackets = NuvNumberParse::valueOr(missing, 0ULL);
    }
    return f;
}

QString StreamHealthMonitor::readoutText() const {
    return textFor(figures());
}

QString StreamHealthMonitor::textFor(const Figures& f) {
    const QLocale locale;
    const QString separator = QStringLiteral("  \u00b7  ");
    QString text = tr("%1 fps").arg(locale.toString(f.framesPerSecond, 'f', 1)) + separator +
                   tr("Lost %1").arg(f.lostOnTransport) + separator + tr("Dropped %1").arg(f.droppedInViewer);
    if (f.countsPackets)
        text += separator + tr("Packets resent %1, missing %2").arg(f.resentPackets).arg(f.missingPackets);
    return text;
}

void StreamHealthMonitor::refresh() {
    const qint64 elapsedMs = m_window.restart();
    const quint64 shown = m_counters->shown();
    // A reset between two refreshes leaves fewer frames than at the window's start.
    const quint64 inWindow = shown >= m_shownAtWindowStart ? shown - m_shownAtWindowStart : shown;
    m_shownAtWindowStart = shown;
    m_framesPerSecond =
        elapsedMs > 0 ? 1000.0 * static_cast<double>(inWindow) / static_cast<double>(elapsedMs) : 0.0;
    const Figures f = figures();
    const bool loss = f.lostOnTransport + f.droppedInViewer > 0;
    if (loss != m_showsLoss) {
        m_showsLoss = loss;
        m_readout->setStyleSheet(QString::fromLatin1(loss ? kLossStyle : kQuietStyle));
    }
    m_readout->setText(textFor(f));
    emit figuresUpdated();
}

void StreamHealthMonitor::retranslate() {
    m_readout->setToolTip(
        tr("Frames shown per second, frames lost on the camera's transport and frames "
           "the viewer received but could not show, since the grab started; on GigE Vision also "
           "the packets the camera resent and those that never arrived"));
    m_readout->setText(readoutText());
}
