// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "ImageFileWriter.h"
#include "SaveSettings.h"
#include "VideoRecordWriter.h"

// The files of one recording, by the recording format of the save settings: a folder of frame
// files, or one lossless video. Each recording gets a name of its own in the recording folder, a
// sub-folder "<prefix>_<start time>" for its frames or the video "<prefix>_<start time>.mkv", so
// that a second recording into the same folder never mixes with the first. Used on the save
// worker's thread only; failures are logged to the business layer.
class RecordingWriter {
public:
    // A new recording into `folder` (the pane's camera folder) at `fps` frames a second. An
    // earlier recording that was not finished is finished first.
    void begin(const SaveSettings& settings, const QString& folder, double fps);
    bool isActive() const { return m_active; }
    // Writes one frame numbered `number` (the 2D image or the picture of `frame`); `files`
    // receives the paths written. False when it was not written; `fatal` is then set when the
    // recording cannot go on (the video cannot take this frame, its folder cannot be made).
    bool write(const ImageFileWriter::Frame& frame, int number, QStringList* files, bool* fatal);
    // Ends the recording: a video is completed and gets its name (`path`). False when the video
    // could not be kept: none of its frames is saved then.
    bool finish(QString* path);
    // The recording's own name (its frame folder, or its video without the suffix) once its first
    // frame was written; empty before.
    QString runName() const;
    QString folder() const { return m_folder; }

private:
    // The recording's own name in the folder, made when its first frame comes.
    QString ownName() const;
    bool makeFrameFolder();

    SaveSettings m_settings;
    QString m_folder;
    QString m_frameFolder;
    double m_fps = 0;
    bool m_active = false;
    ImageFileWriter m_frames;
    VideoRecordWriter m_video;
};
