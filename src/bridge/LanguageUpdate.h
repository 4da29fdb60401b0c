// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QObject>
#include <QString>
#include <mutex>
#include <string>

#include "ZavizoZoz3.h"

// Forwards language changes to the GUI thread.
// Called on business-layer threads; the signal reaches the manager queued on the GUI thread.
class LanguageUpdate : public QObject, public ZavizoZoz3::ILangUpdate {
    Q_OBJECT
public:
    LanguageUpdate() = default;
    void notify(std::string language) override;
    // The language named by the last callback ("zh_CN", "en", ...), empty before any.
    QString language() const;

signals:
    void languageChanged(int language);

private:
    // Guards m_language, written on the business-layer thread and read on the GUI thread.
    mutable std::mutex m_languageMutex;
    std::string m_language;
};
