// SPDX-License-Identifier: Apache-2.0
#include "DeviceListUpdate.h"

#include "FinishFlag.h"

namespace {
QStringList toStringList(const std::vector<std::string>& list) {
    QStringList out;
    out.reserve(static_cast<int>(list.size()));
    for (const std::string& s : list)
        out << QString::fromStdString(s);
    return out;
}
}  // namespace

void DeviceListUpdate::notify(int source, std::vector<std::string> cardList,
                              std::vector<std::string> camList) {
    // The flag lives in shared ownership so a slot that runs after we gave up still has it.
    QSharedPointer<bool> finish(new bool(false));
    {
        std::lock_guard<std::mutex> lock(m_waitMutex);
        if (m_closing) return;
        m_waiting.append(finish);
    }
    emit ValueUpdate(source, toStringList(cardList), toStringList(camList), finish);
    FinishFlag::waitFor(finish, kWaitLimit);
    std::lock_guard<std::mutex> lock(m_waitMutex);
    m_waiting.removeOne(finish);
}

void DeviceListUpdate::abandonWaits() {
    std::lock_guard<std::mutex> lock(m_waitMutex);
    m_closing = true;
    for (const QSharedPointer<bool>& flag : qAsConst(m_waiting))
        FinishFlag::set(flag);
}
