#include "ImageModeUpdate.h"

void ImageModeUpdate::notify(std::string id, int mode) {
    emit imageModeChanged(QString::fromStdString(id), mode);
}
