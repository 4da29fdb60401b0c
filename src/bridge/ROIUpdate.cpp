// SPDX-License-Identifier: Apache-2.0
#include "ROIUpdate.h"

#include "ImageWndManager.h"

void ROIUpdate::notify(std::string id, int leftX, int leftY, int rightX, int rightY, int operation,
                       int& roiId, bool& status, int roiType, int drawType) {
    const std::string key = id;
    m_manager->onROIPosChanged(key, leftX, leftY, rightX, rightY, operation, roiId, status, roiType,
                               drawType);
}
