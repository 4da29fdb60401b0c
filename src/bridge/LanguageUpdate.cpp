// SPDX-License-Identifier: Apache-2.0
#include "LanguageUpdate.h"

void LanguageUpdate::notify(std::string language) {
    {
        std::lock_guard<std::mutex> lock(m_languageMutex);
        m_language = std::move(language);
    }
    // The signal carries no text: the receiver asks for the language when it retranslates.
    emit languageChanged(0);
}

QString LanguageUpdate::language() const {
    std::lock_guard<std::mutex> lock(m_languageMutex);
    return QString::fromStdString(m_language);
}
