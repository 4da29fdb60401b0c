#include "SaveSettings.h"

#include <algorithm>

#include "ZavizoZoz3.h"

int SaveSettings::readInt(int item, int fallback) {
    bool ok = false;
    const int value = QString::fromStdString(ZavizoZoz3::GetParamterInfo(ZavizoZoz3::PARAMETER_INFO(item)))
                          .trimmed()
                          .toInt(&ok, 10);
    return ok ? value : fallback;
}

SaveSettings SaveSettings::read() {
    using namespace ZavizoZoz3;
    SaveSettings s;
    s.autoName = readInt(PARAMETER_AUTO_NAME, 1) != 0;
    s.prefix = QString::fromStdString(GetParamterInfo(PARAMETER_FILE_PREFIX));
    s.namingRule = readInt(PARAMETER_NAMING_RULE, 0);
    s.imageFormat = readInt(PARAMETER_IMAGE_FORMAT, 0);
    s.saveProfileHeight = readInt(PARAMETER_SAVE_PROFILE_HEIGHT, 1) != 0;
    s.profileHeightFormat = readInt(PARAMETER_PROFILE_HEIGHT_FORMAT, 0);
    s.saveProfileBrightness = readInt(PARAMETER_SAVE_PROFILE_BRIGHTNESS, 1) != 0;
    s.profileBrightnessFormat = readInt(PARAMETER_PROFILE_BRIGHTNESS_FORMAT, 0);
    s.saveRangeHeight = readInt(PARAMETER_SAVE_RANGE_HEIGHT, 1) != 0;
    s.rangeHeightFormat = readInt(PARAMETER_RANGE_HEIGHT_FORMAT, 0);
    s.saveRangeBrightness = readInt(PARAMETER_SAVE_RANGE_BRIGHTNESS, 1) != 0;
    s.rangeBrightnessFormat = readInt(PARAMETER_RANGE_BRIGHTNESS_FORMAT, 0);
    s.frameLimit = readInt(PARAMETER_FRAME_LIMIT, 100);
    // The capacity divides the usage rate, so it is at least 1.
    s.queueCapacity = std::max(1, readInt(PARAMETER_QUEUE_CAPACITY, 10));
    return s;
}
