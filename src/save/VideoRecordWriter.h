// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QImage>
#include <QString>
#include <memory>
#include <opencv2/core.hpp>

#include "NuvImage.h"

namespace cv {
class VideoWriter;
}

// One lossless video file, FFV1 in Matroska, written frame by frame through OpenCV's FFmpeg video
// writer. Grey frames stay grey, colour frames are kept as BGR; both read back pixel for pixel.
// Like every other save the video is written under a hidden temporary name in its folder and gets
// its final name only when complete, never replacing a file (the next free name instead, see
// NuvFileWriter). Used on the save worker's thread only.
class VideoRecordWriter {
public:
    VideoRecordWriter();
    // A video that was not finished is removed: no partial file is left behind.
    ~VideoRecordWriter();
    VideoRecordWriter(const VideoRecordWriter&) = delete;
    VideoRecordWriter& operator=(const VideoRecordWriter&) = delete;

    // Whether videos can be written: OpenCV has its FFmpeg backend and it opens an FFV1 writer.
    // Checked once per process; any thread.
    static bool available();
    // Replaces that check (tests simulate a system without the backend); null restores it.
    using BackendProbe = bool (*)();
    static void setBackendProbe(BackendProbe probe);

    // Opens `path` (its final name, ".mkv") for frames of the size and kind of `first`, at `fps`
    // frames a second. False, with error() set, when it cannot be written.
    bool open(const QString& path, const cv::Mat& first, double fps);
    bool isOpen() const;
    // Appends a frame; false, with error() set, when it does not fit the video (another size or
    // kind than the first) or cannot be written. The video stays usable up to the last good frame.
    bool write(const cv::Mat& frame);
    // Completes the file with the frames written so far, checks that it holds every one of them and
    // gives it its final name. False, with error() set, when it is incomplete or has no frame: then
    // nothing is left under any name.
    bool finish();
    // The file's final name once finished (the target before).
    QString path() const { return m_path; }
    QString error() const { return m_error; }
    int frameCount() const { return m_frames; }

    // The frame as the video takes it: 8-bit grey or BGR, even width and height (the encoder
    // takes no other: an odd size gets one black column or row more). Empty, with `error` set,
    // for samples the video cannot hold without loss (16-bit, range data).
    static cv::Mat videoFrame(const NuvImage& image, QString* error);
    static cv::Mat videoFrame(const QImage& picture, QString* error);

private:
    void abandon();
    bool fail(const QString& reason);

    std::unique_ptr<cv::VideoWriter> m_writer;
    QString m_path;
    QString m_temporary;
    QString m_error;
    cv::Size m_size;
    int m_type = 0;
    int m_frames = 0;
    double m_fps = 0;
    bool m_diskChecked = false;
};
