// SPDX-License-Identifier: Apache-2.0
#include "LayoutUpdate.h"

void LayoutUpdate::notify(ZavizoZoz3::LAYOUT_TYPE type) {
    emit ValueUpdate(type);
}
