// SPDX-License-Identifier: Apache-2.0
#include "ImageModeUpdate.h"

void ImageModeUpdate::notify(std::string id, int mode) {
    emit imageModeChanged(QString::fromStdString(id), mode);
}
