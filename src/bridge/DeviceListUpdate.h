#pragma once
#include <QObject>
#include <QSharedPointer>
#include <QStringList>
#include <string>
#include <vector>

#include "ZavizoZoz3.h"

// Forwards device lists to the GUI thread and waits (up to about 5 s) until the manager has
// processed the list, so the business layer sees panes bound when the callback returns.
class DeviceListUpdate : public QObject, public ZavizoZoz3::IDeviceListUpdate {
    Q_OBJECT
public:
    DeviceListUpdate() = default;
    void notify(int source, std::vector<std::string> cardList, std::vector<std::string> camList) override;

    static constexpr int kWaitIterations = 1000;
    static constexpr int kWaitStepMs = 5;

signals:
    void ValueUpdate(int source, QStringList cards, QStringList cams, QSharedPointer<bool> finishPointer);
};
