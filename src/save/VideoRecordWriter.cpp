// SPDX-License-Identifier: Apache-2.0
#include "VideoRecordWriter.h"

#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <filesystem>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <opencv2/videoio/registry.hpp>
#include <system_error>

#include "NuvFileWriter.h"

namespace {
// Frames are kept as 8-bit grey or BGR; the encoder keeps either without loss.
const int kFourcc = cv::VideoWriter::fourcc('F', 'F', 'V', '1');
// Room kept free on the disk beyond the next frame: the container's index and the encoder's buffers.
constexpr std::uintmax_t kDiskReserve = std::uintmax_t(1) << 20;

std::atomic<VideoRecordWriter::BackendProbe> g_probe{nullptr};

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::u8path(path.toUtf8().toStdString());
}

// Opens a small video in the temporary folder: the backend may be there and still lack the codec.
bool probeBackend() {
    if (!cv::videoio_registry::hasBackend(cv::CAP_FFMPEG)) return false;
    std::string error;
    const std::string temporary =
        NuvFileWriter::reserveTemporary((QDir::tempPath() + "/probe.mkv").toUtf8().toStdString(), &error);
    if (temporary.empty()) return false;
    bool opened = false;
    try {
        cv::VideoWriter writer(temporary, cv::CAP_FFMPEG, kFourcc, 25.0, cv::Size(16, 16), false);
        opened = writer.isOpened();
        if (opened) writer.write(cv::Mat(16, 16, CV_8UC1, cv::Scalar(0)));
    } catch (const cv::Exception&) {
        opened = false;
    }
    NuvFileWriter::remove(temporary);
    return opened;
}

// The encoder takes even sizes only: an odd width or height gets a black column or row more.
cv::Mat evenSized(const cv::Mat& frame) {
    if (frame.cols % 2 == 0 && frame.rows % 2 == 0) return frame;
    cv::Mat padded;
    cv::copyMakeBorder(frame, padded, 0, frame.rows % 2, 0, frame.cols % 2, cv::BORDER_CONSTANT,
                       cv::Scalar::all(0));
    return padded;
}

QString sizeText(const cv::Size& size, int channels) {
    return QStringLiteral("%1x%2 %3").arg(size.width).arg(size.height).arg(channels == 1 ? "grey" : "colour");
}
}  // namespace

VideoRecordWriter::VideoRecordWriter() = default;

VideoRecordWriter::~VideoRecordWriter() {
    abandon();
}

bool VideoRecordWriter::available() {
    if (const BackendProbe probe = g_probe.load()) return probe();
    static const bool backend = probeBackend();
    return backend;
}

void VideoRecordWriter::setBackendProbe(BackendProbe probe) {
    g_probe.store(probe);
}

cv::Mat VideoRecordWriter::videoFrame(const NuvImage& image, QString* error) {
    const cv::Mat& m = image.mat();
    if (m.empty()) {
        if (error) *error = QStringLiteral("empty frame");
        return cv::Mat();
    }
    if (m.depth() != CV_8U || (m.channels() != 1 && m.channels() != 3)) {
        if (error) {
            *error =
                QStringLiteral(
                    "a video holds 8-bit grey or colour frames, these have %1-bit samples: record them as a "
                    "folder of frames (TIF keeps 16 bits)")
                    .arg(8 * static_cast<int>(m.elemSize1()));
        }
        return cv::Mat();
    }
    if (image.pixelFormat() == NuvPixelFormat::RGB8) {
        cv::Mat bgr;
        cv::cvtColor(m, bgr, cv::COLOR_RGB2BGR);
        return evenSized(bgr);
    }
    return evenSized(m);
}

cv::Mat VideoRecordWriter::videoFrame(const QImage& picture, QString* error) {
    if (picture.isNull()) {
        if (error) *error = QStringLiteral("empty frame");
        return cv::Mat();
    }
    if (picture.format() == QImage::Format_Grayscale8) {
        const cv::Mat grey(picture.height(), picture.width(), CV_8UC1,
                           const_cast<uchar*>(picture.constBits()),
                           static_cast<size_t>(picture.bytesPerLine()));
        return evenSized(grey.clone());
    }
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull()) throw std::bad_alloc();  // the conversion had no memory
    const cv::Mat view(rgb.height(), rgb.width(), CV_8UC3, const_cast<uchar*>(rgb.constBits()),
                       static_cast<size_t>(rgb.bytesPerLine()));
    cv::Mat bgr;
    cv::cvtColor(view, bgr, cv::COLOR_RGB2BGR);
    return evenSized(bgr);
}

bool VideoRecordWriter::fail(const QString& reason) {
    if (m_error.isEmpty()) m_error = reason;
    return false;
}

bool VideoRecordWriter::isOpen() const {
    return m_writer != nullptr;
}

bool VideoRecordWriter::open(const QString& path, const cv::Mat& first, double fps) {
    abandon();
    m_path = path;
    m_error.clear();
    m_frames = 0;
    m_size = first.size();
    m_type = first.type();
    m_fps = fps;
    if (first.empty() || !available()) return fail(QStringLiteral("no video writer for FFV1 in Matroska"));
    std::string reason;
    m_temporary =
        QString::fromStdString(NuvFileWriter::reserveTemporary(path.toUtf8().toStdString(), &reason));
    if (m_temporary.isEmpty()) return fail(QString::fromStdString(reason));
    try {
        m_writer = std::make_unique<cv::VideoWriter>(m_temporary.toUtf8().toStdString(), cv::CAP_FFMPEG,
                                                     kFourcc, fps, m_size, first.channels() == 3);
        if (m_writer->isOpened()) return true;
    } catch (const cv::Exception& e) {
        fail(QString::fromLocal8Bit(e.what()));
    }
    abandon();
    return fail(QStringLiteral("the video writer does not open the file"));
}

bool VideoRecordWriter::write(const cv::Mat& frame) {
    if (!m_writer) return fail(QStringLiteral("the video is not open"));
    if (frame.size() != m_size || frame.type() != m_type) {
        return fail(QStringLiteral("the frames changed from %1 to %2 during the recording")
                        .arg(sizeText(m_size, CV_MAT_CN(m_type)), sizeText(frame.size(), frame.channels())));
    }
    // The writer does not report a full disk: look before each frame, so that the run ends with the
    // frames written so far instead of a damaged file.
    std::error_code code;
    const std::filesystem::space_info space = std::filesystem::space(fsPath(m_temporary), code);
    const std::uintmax_t needed = frame.total() * frame.elemSize() + kDiskReserve;
    if (!code && space.available < needed) return fail(QStringLiteral("the disk is full"));
    try {
        m_writer->write(frame);
    } catch (const cv::Exception& e) {
        return fail(QString::fromLocal8Bit(e.what()));
    }
    ++m_frames;
    return true;
}

bool VideoRecordWriter::finish() {
    if (!m_writer) return fail(QStringLiteral("the video is not open"));
    // A frame the video could not take ended the recording; the frames before it are kept.
    m_error.clear();
    try {
        m_writer->release();
    } catch (const cv::Exception& e) {
        fail(QString::fromLocal8Bit(e.what()));
    }
    m_writer.reset();
    // The writer reports no write error either: the finished file must hold every frame. Its header
    // is written first and may be whole in a cut-off file, so the last frame is read back too
    // (every frame is a key frame: the seek is short).
    int frames = -1;
    cv::Size size;
    bool lastFrameRead = false;
    try {
        cv::VideoCapture check(m_temporary.toUtf8().toStdString(), cv::CAP_FFMPEG);
        if (check.isOpened()) {
            frames = static_cast<int>(check.get(cv::CAP_PROP_FRAME_COUNT) + 0.5);
            size = cv::Size(static_cast<int>(check.get(cv::CAP_PROP_FRAME_WIDTH)),
                            static_cast<int>(check.get(cv::CAP_PROP_FRAME_HEIGHT)));
            cv::Mat last;
            lastFrameRead = m_frames > 0 && check.set(cv::CAP_PROP_POS_FRAMES, m_frames - 1) &&
                            check.read(last) && last.size() == m_size && !check.read(last);
        }
    } catch (const cv::Exception& e) {
        fail(QString::fromLocal8Bit(e.what()));
    }
    if (m_error.isEmpty() && m_frames > 0 && (frames != m_frames || size != m_size || !lastFrameRead)) {
        fail(QStringLiteral("the finished file does not hold all %1 frames of %2x%3 (the disk may be full)")
                 .arg(m_frames)
                 .arg(m_size.width)
                 .arg(m_size.height));
    }
    if (!m_error.isEmpty() || m_frames == 0) {
        if (m_error.isEmpty()) fail(QStringLiteral("no frame was recorded"));
        abandon();
        return false;
    }
    std::string finalPath;
    std::string reason;
    const bool named = NuvFileWriter::commitTemporary(m_temporary.toUtf8().toStdString(),
                                                      m_path.toUtf8().toStdString(), &finalPath, &reason);
    m_temporary.clear();
    if (!named) return fail(QString::fromStdString(reason));
    m_path = QString::fromStdString(finalPath);
    return true;
}

void VideoRecordWriter::abandon() {
    if (m_writer) {
        try {
            m_writer->release();
        } catch (const cv::Exception&) {
            // The file goes anyway.
        }
        m_writer.reset();
    }
    if (!m_temporary.isEmpty()) NuvFileWriter::remove(m_temporary.toUtf8().toStdString());
    m_temporary.clear();
}
