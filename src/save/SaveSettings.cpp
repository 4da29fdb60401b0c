// SPDX-License-Identifier: Apache-2.0
#include "SaveSettings.h"

#include <algorithm>

#include "NuvNumberParse.h"
#include "ZavizoZoz3.h"

int SaveSettings::readInt(int item, int fallback) {
    return NuvNumberParse::valueOr(ZavizoZoz3::GetParamterInfo(ZavizoZoz3::PARAMETER_INFO(item)), fallback);
}

bool SaveSettings::readSwitch(int item, bool fallback) {
    return readInt(item, fallback ? 1 : 0) != 0;
}

bool SaveSettings::autoNaming() {
    return readSwitch(ZavizoZoz3::PARAMETER_AUTO_NAME, true);
}

bool SaveSettings::recordingAutoNaming() {
    return readSwitch(ZavizoZoz3::PARAMETER_RECORD_AUTO_NAME, true);
}

bool SaveSettings::profileCsvWithXColumn() {
    return readSwitch(ZavizoZoz3::PARAMETER_PROFILE_CSV_X_COLUMN, false);
}

SaveSettings SaveSettings::read() {
    using namespace ZavizoZoz3;
    SaveSettings s;
    s.autoName = autoNaming();
    s.prefix = QString::fromStdString(GetParamterInfo(PARAMETER_FILE_PREFIX));
    s.namingRule = readInt(PARAMETER_NAMING_RULE, 0);
    s.imageFormat = readInt(PARAMETER_IMAGE_FORMAT, 0);
    s.saveProfileHeight = readSwitch(PARAMETER_SAVE_PROFILE_HEIGHT, true);
    s.profileHeightFormat = readInt(PARAMETER_PROFILE_HEIGHT_FORMAT, 0);
    s.saveProfileBrightness = readSwitch(PARAMETER_SAVE_PROFILE_BRIGHTNESS, true);
    s.profileBrightnessFormat = readInt(PARAMETER_PROFILE_BRIGHTNESS_FORMAT, 0);
    s.profileCsvXColumn = profileCsvWithXColumn();
    s.saveRangeHeight = readSwitch(PARAMETER_SAVE_RANGE_HEIGHT, true);
    s.rangeHeightFormat = readInt(PARAMETER_RANGE_HEIGHT_FORMAT, 0);
    s.saveRangeBrightness = readSwitch(PARAMETER_SAVE_RANGE_BRIGHTNESS, true);
    s.rangeBrightnessFormat = readInt(PARAMETER_RANGE_BRIGHTNESS_FORMAT, 0);
    s.frameLimit = readInt(PARAMETER_FRAME_LIMIT, 100);
    // The capacity divides the usage rate, so it is at least 1.
    s.queueCapacity = std::max(1, readInt(PARAMETER_QUEUE_CAPACITY, 10));
    s.recordingFormat =
        readInt(PARAMETER_RECORD_FORMAT, RecordFrames) == RecordVideo ? RecordVideo : RecordFrames;
    return s;
}
