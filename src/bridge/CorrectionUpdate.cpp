// SPDX-License-Identifier: Apache-2.0
#include "CorrectionUpdate.h"

void CorrectionUpdate::notify(std::string id, int correctionType, float curCorrectionValue, void* ext) {
    emit correctionNotify(QString::fromStdString(id), correctionType, curCorrectionValue, ext);
}
