// SPDX-License-Identifier: Apache-2.0
#include "CameraIdUpdate.h"

void CameraIdUpdate::notify(const std::string& srcName, const std::string& dstName) {
    emit cameraIdChanged(QString::fromStdString(srcName), QString::fromStdString(dstName));
}
