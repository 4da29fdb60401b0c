#pragma once
#include <QObject>
#include <QString>
#include <string>

#include "ZavizoZoz3.h"

// Forwards language changes to the GUI thread.
// Called on business-layer threads; the signal reaches the manager queued on the GUI thread.
class LanguageUpdate : public QObject, public ZavizoZoz3::ILangUpdate {
    Q_OBJECT
public:
    LanguageUpdate() = default;
    void notify(std::string language) override;

signals:
    void languageChanged(int language);
};
