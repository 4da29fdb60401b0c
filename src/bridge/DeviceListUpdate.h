// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QList>
#include <QObject>
#include <QSharedPointer>
#include <QStringList>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "ZavizoZoz3.h"

// Forwards device lists to the GUI thread and waits (up to 5 s) until the manager has processed
// the list, so the business layer sees panes bound when the callback returns. The wait ends the
// moment the manager sets the finish flag.
class DeviceListUpdate : public QObject, public ZavizoZoz3::IDeviceListUpdate {
    Q_OBJECT
public:
    DeviceListUpdate() = default;
    void notify(int source, std::vector<std::string> cardList, std::vector<std::string> camList) override;

    // The viewer is closing: waiting callbacks return at once and later ones do not wait, so
    // unregistering (which waits for callbacks in flight) never waits for a GUI thread that is
    // busy closing us. Any thread.
    void abandonWaits();

    static constexpr std::chrono::milliseconds kWaitLimit{5000};

signals:
    void ValueUpdate(int source, QStringList cards, QStringList cams, QSharedPointer<bool> finishPointer);

private:
    // Guards m_closing and m_waiting: the finish flags of the callbacks now waiting.
    std::mutex m_waitMutex;
    bool m_closing = false;
    QList<QSharedPointer<bool>> m_waiting;
};
