// SPDX-License-Identifier: Apache-2.0
#include "RecordingWriter.h"

#include <QDir>
#include <QFileInfo>

namespace {
// A rate the camera did not tell: the video still plays, at the usual rate.
constexpr double kFallbackFps = 25.0;
// The container counts time in milliseconds: faster frames would share their time stamps.
constexpr double kMaxFps = 1000.0;
}  // namespace

void RecordingWriter::begin(const SaveSettings& settings, const QString& folder, double fps) {
    if (m_active) finish(nullptr);
    m_settings = settings;
    m_folder = folder;
    m_frameFolder.clear();
    if (!(fps > 0) || fps > kMaxFps) {
        const double used = fps > kMaxFps ? kMaxFps : kFallbackFps;
        // Only a video has a rate to play at; a folder of frames does not care.
        if (settings.recordingFormat == SaveSettings::RecordVideo)
            ImageFileWriter::logError(
                QStringLiteral(
                    "Recording into %1: the video cannot play at the camera's frame rate %2, it plays at %3")
                    .arg(folder)
                    .arg(fps)
                    .arg(used));
        fps = used;
    }
    m_fps = fps;
    m_active = true;
}

QString RecordingWriter::ownName() const {
    const QString time = ImageFileWriter::timeText(QDateTime::currentDateTime());
    return m_settings.prefix.isEmpty() ? time : m_settings.prefix + '_' + time;
}

QString RecordingWriter::runName() const {
    if (!m_frameFolder.isEmpty()) return QFileInfo(m_frameFolder).fileName();
    return m_video.isOpen() ? QFileInfo(m_video.path()).completeBaseName() : QString();
}

bool RecordingWriter::makeFrameFolder() {
    const QString name = ownName();
    QDir base(m_folder);
    // Never an existing folder: that one belongs to another recording.
    for (int n = 0; n < 1000; ++n) {
        const QString candidate = n == 0 ? name : name + '_' + QString::number(n);
        if (base.exists(candidate)) continue;
        if (!base.mkdir(candidate)) break;
        m_frameFolder = m_folder + '/' + candidate;
        return true;
    }
    ImageFileWriter::logError(
        QStringLiteral("Recording failed: cannot create a folder for it in %1").arg(m_folder));
    return false;
}

bool RecordingWriter::write(const ImageFileWriter::Frame& frame, int number, QStringList* files,
                            bool* fatal) {
    *fatal = false;
    if (!m_active) return false;
    if (m_settings.recordingFormat == SaveSettings::RecordFrames) {
        if (m_frameFolder.isEmpty()) {
            if (!makeFrameFolder()) {
                *fatal = true;
                return false;
            }
            m_frames.setRun(m_settings, 2, m_frameFolder, nullptr);
        }
        return m_frames.writeFrame(frame, number, files);
    }
    QString error;
    const cv::Mat image = frame.picture.isNull() ? VideoRecordWriter::videoFrame(frame.image, &error)
                                                 : VideoRecordWriter::videoFrame(frame.picture, &error);
    bool written = false;
    if (!image.empty()) {
        if (!m_video.isOpen()) {
            written = m_video.open(m_folder + '/' + ownName() + ".mkv", image, m_fps) && m_video.write(image);
        } else {
            written = m_video.write(image);
        }
        error = m_video.error();
    }
    if (!written) {
        // A video has one size and kind, and a frame it cannot take ends it.
        *fatal = true;
        ImageFileWriter::logError(
            QStringLiteral("Recording into %1 stopped at frame %2: %3").arg(m_folder).arg(number).arg(error));
        return false;
    }
    if (files) *files = QStringList{m_video.path()};
    return true;
}

bool RecordingWriter::finish(QString* path) {
    if (!m_active) return true;
    m_active = false;
    if (m_settings.recordingFormat == SaveSettings::RecordFrames || !m_video.isOpen()) return true;
    const bool kept = m_video.finish();
    if (kept) {
        if (path) *path = m_video.path();
    } else {
        ImageFileWriter::logError(
            QStringLiteral("Save video failed, path = %1, error = %2").arg(m_video.path(), m_video.error()));
    }
    return kept;
}
