// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QString>

// The application's save settings, read anew from the business layer at the start of each run.
// A switch is on when its decimal value is not 0; a number that is not decimal reads as the
// default given here.
struct SaveSettings {
    // How a recording is written: a folder of frame files, or one lossless video file (FFV1 in
    // Matroska), setting PARAMETER_RECORD_FORMAT.
    enum RecordingFormat { RecordFrames = 0, RecordVideo = 1 };

    bool autoName = true;
    QString prefix;
    int namingRule = 0;  // 0 prefix, time and number; 1 prefix and time; 2 prefix and number
    int imageFormat = 0;
    bool saveProfileHeight = true;
    int profileHeightFormat = 0;
    bool saveProfileBrightness = true;
    int profileBrightnessFormat = 0;
    // Profile heights CSV with an X column (PARAMETER_PROFILE_CSV_X_COLUMN): a header line
    // "x (mm),z (mm)" and one "x,z" line per point, x = point index times the x interval; a
    // column without a laser point has an empty z. Off: one line of heights, "nan" for no point.
    bool profileCsvXColumn = false;
    bool saveRangeHeight = true;
    int rangeHeightFormat = 0;
    bool saveRangeBrightness = true;
    int rangeBrightnessFormat = 0;
    int frameLimit = 100;
    int queueCapacity = 10;
    int recordingFormat = RecordFrames;

    static SaveSettings read();
    // Decimal integer of a setting, or `fallback` when it is not one.
    static int readInt(int item, int fallback);
    // A switch: on when its decimal value is not 0, `fallback` when it is not a decimal integer.
    static bool readSwitch(int item, bool fallback);
    // The automatic-naming switches, read by the pane when it picks a target and by the worker
    // when it names the files: both must read them alike ("2" is on for both).
    static bool autoNaming();
    static bool recordingAutoNaming();
    // Whether profile heights CSVs carry the X column (see profileCsvXColumn).
    static bool profileCsvWithXColumn();
};
