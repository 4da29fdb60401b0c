// SPDX-License-Identifier: Apache-2.0
#include "SLImageShowModeUpdate.h"

void SLImageShowModeUpdate::notify(std::string id, int mode) {
    emit imageShowModeChanged(QString::fromStdString(id), mode);
}
