// SPDX-License-Identifier: Apache-2.0
#include "FocusUpdate.h"

void FocusUpdate::notify(ZavizoZoz3::FOCUS_TYPE type, std::string id) {
    emit ValueUpdate(type, QString::fromStdString(id));
}
