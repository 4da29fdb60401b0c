// SPDX-License-Identifier: Apache-2.0
#include "ImportUpdate.h"

void ImportUpdate::notify(std::string id) {
    emit importUpdate(QString::fromStdString(id));
}
