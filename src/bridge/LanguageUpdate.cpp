#include "LanguageUpdate.h"

void LanguageUpdate::notify(std::string language) {
    // The language text is not needed: the manager re-reads the installed translators.
    emit languageChanged(0);
}
