// SPDX-License-Identifier: Apache-2.0
#include "ImageFileWriter.h"

#include <QFileInfo>
#include <QSaveFile>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "Nuv3DDataConvert.h"
#include "Nuv3DFileOperation.h"
#include "NuvFileWriter.h"
#include "NuvPointCloud.h"
#include "NuvTiffFile.h"
#include "NuvVar.h"
#include "UncompressedImageFile.h"
#include "ZavizoZoz3.h"

namespace {
const char* const kModule = "SaveImageTool";

const char* const kProfileHeightSuffixes[] = {"_height.csv", ".bin", ".pcd", ".srt"};
const char* const kImageSuffixes[] = {".bmp", ".jpg", ".png", ".tif"};
const char* const kRangeHeightSuffixes[] = {".tif", ".srt", ".pcd", ".ply", "_3DHeight.csv",
                                            ".bin", ".obj", ".ecd", ".jxr"};
const char* const kRangeBrightnessSuffixes[] = {".bmp", ".jpg", ".png", "_3DBrightness.csv"};
const char* const kMultiImageSuffixes[] = {".bmp", ".jpg", ".png", ".tif", ".csv"};

// Role names of the images of a multi-image frame, keys 1 to 8.
const char* const kRolesKRB[] = {"_2D_Left",        "_GSImage",    "_Left_Streak",      "_SrcImage",
                                 "_2.5D_Left_Shot", "_FrontImage", "_2.5D_Left_Reflex", "_BackImage"};
const char* const kRolesStereo[] = {"_2D_Left",          "_2D_Right",         "_Left_Streak",
                                    "_Right_Streak",     "_2.5D_Left_Shot",   "_2.5D_Right_Shot",
                                    "_2.5D_Left_Reflex", "_2.5D_Right_Reflex"};

template <size_t N>
QString pick(const char* const (&table)[N], int index) {
    return index >= 0 && index < static_cast<int>(N) ? QString::fromLatin1(table[index]) : QString();
}

bool containsAny(const QString& path, std::initializer_list<const char*> parts) {
    for (const char* part : parts) {
        if (path.contains(QLatin1String(part))) return true;
    }
    return false;
}

// Appends a value as QString::number(value, 'g', 10) writes it.
void appendNumber(std::string* out, double value) {
    if (std::isnan(value)) {
        out->append("nan");
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 10);
    out->append(buffer, result.ptr);
}

void appendInt(std::string* out, unsigned value) {
    char buffer[8];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out->append(buffer, result.ptr);
}

// Writes `bytes` to `path` or, when that name is taken, the next free one (`saved`); a file that
// cannot be written completely (open, write, close or rename failed: a full disk shows at any of
// them) leaves nothing behind.
bool writeFile(const QString& path, const char* bytes, size_t size, QString* saved) {
    NuvFileWriter file(path.toStdString());
    file.write(bytes, size);
    if (file.close()) {
        if (saved) *saved = QString::fromStdString(file.path());
        return true;
    }
    ImageFileWriter::logError(QStringLiteral("Save image failed, path = %1, error = %2")
                                  .arg(path, QString::fromStdString(file.error())));
    return false;
}
// Runs one file's write, which builds whole-file buffers, point clouds and colour conversions on
// the heap: a file the memory does not suffice for fails with a logged reason, and the worker
// (and the host) go on.
template <class Write>
bool guarded(const QString& path, Write&& write) {
    try {
        return write();
    } catch (const std::bad_alloc&) {
        ImageFileWriter::logError(
            QStringLiteral("Save image failed, path = %1, error = out of memory").arg(path));
    } catch (const std::exception& e) {
        ImageFileWriter::logError(QStringLiteral("Save image failed, path = %1, error = %2")
                                      .arg(path, QString::fromLocal8Bit(e.what())));
    }
    return false;
}
}  // namespace

void ImageFileWriter::setMetadata(const FrameMetadata& meta) {
    m_comment = meta.keyValueText();
    m_written = meta.written;
}

void ImageFileWriter::setRun(const SaveSettings& settings, int saveMode, const QString& target,
                             std::shared_ptr<const ProfileFrameInfo> frameInfo) {
    m_settings = settings;
    m_saveMode = saveMode;
    m_target = target;
    m_frameInfo = std::move(frameInfo);
}

ProfileFrameInfo::Values ImageFileWriter::info() const {
    return m_frameInfo ? m_frameInfo->values() : ProfileFrameInfo::Values();
}

void ImageFileWriter::logError(const QString& message) {
    ZavizoZoz3::VLogError(kModule, message.toStdString(), 0);
}

QString ImageFileWriter::suffix(Table table, int index) {
    switch (table) {
        case ProfileHeightTable:
            return pick(kProfileHeightSuffixes, index);
        case ImageTable:
            return pick(kImageSuffixes, index);
        case RangeHeightTable:
            return pick(kRangeHeightSuffixes, index);
        case RangeBrightnessTable:
            return pick(kRangeBrightnessSuffixes, index);
        case MultiImageTable:
            return pick(kMultiImageSuffixes, index);
    }
    return QString();
}

QString ImageFileWriter::timeText(const QDateTime& time) {
    return time.toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss_zzz"));
}

QString ImageFileWriter::fileName(const QString& prefix, int rule, const QString& time, int number,
                                  const QString& suffix) {
    switch (rule) {
        case 0:
            return prefix + '_' + time + '_' + QString::number(number) + suffix;
        case 1:
            return prefix + '_' + time + suffix;
        case 2:
            return prefix + '_' + QString::number(number) + suffix;
        default:
            return QString();
    }
}

QStringList ImageFileWriter::singleSaveList(int kind) const {
    const int csv = m_target.indexOf(QLatin1String(".csv"));
    if (csv < 1) return {m_target};
    QString first;
    QString second;
    if (kind == ProfileKind) {
        first = QStringLiteral("_height");
        second = QStringLiteral("_brightness");
    } else if (kind == RangeKind) {
        first = QStringLiteral("_3DHeight");
        second = QStringLiteral("_3DBrightness");
    } else {
        return {};  // a picture has no CSV layout
    }
    return {QString(m_target).insert(csv, first), QString(m_target).insert(csv, second)};
}

QStringList ImageFileWriter::fileList(int kind, int number, const QDateTime& time) const {
    if (m_saveMode == 0 && !m_settings.autoName) return singleSaveList(kind);
    QStringList suffixes;
    if (kind == ProfileKind) {
        if (m_settings.saveProfileHeight)
            suffixes << suffix(ProfileHeightTable, m_settings.profileHeightFormat);
        if (m_settings.saveProfileBrightness) suffixes << QStringLiteral("_brightness.csv");
    } else if (kind == ImageKind) {
        suffixes << suffix(ImageTable, m_settings.imageFormat);
    } else {
        if (m_settings.saveRangeHeight) suffixes << suffix(RangeHeightTable, m_settings.rangeHeightFormat);
        if (m_settings.saveRangeBrightness)
            suffixes << suffix(RangeBrightnessTable, m_settings.rangeBrightnessFormat);
    }
    const QString t = timeText(time);
    QStringList files;
    for (const QString& s : qAsConst(suffixes)) {
        if (s.isEmpty()) continue;  // an index outside its table
        const QString name = fileName(m_settings.prefix, m_settings.namingRule, t, number, s);
        if (!name.isEmpty()) files << m_target + '/' + name;
    }
    return files;
}

bool ImageFileWriter::writeFrame(const Frame& frame, int number, QStringList* files, const QDateTime& time) {
    const QStringList paths =
        fileList(frame.kind, number, time.isValid() ? time : QDateTime::currentDateTime());
    setMetadata(frame.meta);
    QStringList written;
    bool result = true;
    for (const QString& path : paths) {
        QString saved = path;  // a taken name gets the next free number
        // A frame is saved only when all of its files are: a full disk must not hide behind the
        // small file written last.
        result &= guarded(path, [&]() {
            if (frame.kind == ProfileKind) return writeProfileFrame(frame, path, &saved);
            if (frame.kind != ImageKind) return writeRangeFrame(frame, path, &saved);
            if (frame.picture.isNull()) return writeImage(frame.image, path, &saved);
            const QImage grey = frame.picture.format() == QImage::Format_Grayscale8
                                    ? frame.picture
                                    : frame.picture.convertToFormat(QImage::Format_RGB888);
            if (grey.isNull()) throw std::bad_alloc();  // the conversion had no memory
            const uint32_t format =
                grey.format() == QImage::Format_Grayscale8 ? NuvPixelFormat::Mono8 : NuvPixelFormat::RGB8;
            return writeImage(NuvImage(grey.width(), grey.height(), format, grey.constBits(),
                                       static_cast<size_t>(grey.bytesPerLine()), false),
                              path, &saved);
        });
        written << saved;
    }
    if (files) *files = written;
    return result;
}

bool ImageFileWriter::writeProfileFrame(const Frame& frame, const QString& path, QString* saved) {
    if (path.contains(QLatin1String(".bin"))) return writeProfileBin(frame.heights, path, saved);
    if (path.contains(QLatin1String(".csv"))) {
        if (path.contains(QLatin1String("height"))) {
            return writeText(path,
                             m_settings.profileCsvXColumn ? heightsXzCsv(frame.heights, info().xInterval)
                                                          : heightsCsv(frame.heights),
                             saved);
        }
        return writeText(path, bytesCsv(frame.brightness.constData(), frame.brightness.size()), saved);
    }
    if (path.contains(QLatin1String(".srt"))) return writeProfileSrt(frame.heights, path, saved);
    return writeProfilePointCloud(frame.heights, path, saved);
}

bool ImageFileWriter::writeRangeFrame(const Frame& frame, const QString& path, QString* saved) {
    NuvRangeImage range = frame.range;
    if (m_frameInfo) applyRangeInfo(&range, info());
    if (path.contains(QLatin1String(".bin"))) return writeRangeBin(range, path, saved);
    if (path.contains(QLatin1String(".csv"))) {
        if (path.contains(QLatin1String("3DHeight"))) return writeRangeImage(range, path, saved);
        return writeRangeBrightnessCsv(frame.image, path, saved);
    }
    if (containsAny(path, {".pcd", ".ply", ".obj"})) return writeRangePointCloud(range, path, saved);
    if (containsAny(path, {".png", ".jpg", ".bmp"})) return writeImage(frame.image, path, saved);
    if (containsAny(path, {".srt", ".ecd", ".mri", ".jxr", ".tif"}))
        return writeRangeImage(range, path, saved);
    return true;
}

bool ImageFileWriter::writeMultiImageFrame(const QMap<int, NuvImage*>& images, const NuvRangeImage& range,
                                           const QString& cameraModel, int number, QStringList* files) {
    const QString imageSuffix = suffix(MultiImageTable, m_settings.imageFormat);
    const char* const* roles = cameraModel.contains(QLatin1String("KRB")) ? kRolesKRB : kRolesStereo;
    const QString& p = m_settings.prefix;
    const QString n = QString::number(number);
    bool result = true;
    for (auto it = images.constBegin(); it != images.constEnd() && result; ++it) {
        if (it.value() == nullptr || it.key() < 1 || it.key() > 8 || imageSuffix.isEmpty()) continue;
        const QString role = QString::fromLatin1(roles[it.key() - 1]);
        const QString t = timeText(QDateTime::currentDateTime());
        QString name;
        switch (m_settings.namingRule) {
            case 0:
                name = p + '_' + t + role + '_' + n + imageSuffix;
                break;
            case 1:
                name = p + '_' + t + role + imageSuffix;
                break;
            case 2:
                name = p + role + '_' + n + imageSuffix;
                break;
            default:
                continue;
        }
        const QString path = m_target + '/' + name;
        const NuvImage& image = *it.value();
        QString saved = path;
        result = guarded(path, [&]() {
            return path.contains(QLatin1String("csv")) ? writeText(path, imageCsv(image), &saved)
                                                       : writeImage(image, path, &saved);
        });
        if (files) files->append(saved);
    }
    if (!result || range.height() < 1) return result;

    QString rangeSuffix = suffix(RangeHeightTable, m_settings.rangeHeightFormat);
    if (rangeSuffix == QLatin1String("_3DHeight.csv")) rangeSuffix = QStringLiteral(".csv");
    if (rangeSuffix.isEmpty()) return result;
    const QString t = timeText(QDateTime::currentDateTime());
    QString name;
    switch (m_settings.namingRule) {
        case 0:
            name = p + '_' + t + "_3D_" + n + rangeSuffix;
            break;
        case 1:
            name = p + '_' + t + "_3D" + rangeSuffix;
            break;
        case 2:
            name = p + "_3D_" + n + rangeSuffix;
            break;
        default:
            return result;
    }
    const QString path = m_target + '/' + name;
    QString saved = path;
    result = guarded(path, [&]() {
        NuvRangeImage copy = range;
        if (m_frameInfo) applyRangeInfo(&copy, info());
        if (path.contains(QLatin1String(".bin"))) return writeRangeBin(copy, path, &saved);
        // The range file of a multi-image frame holds heights whatever its suffix.
        if (containsAny(path, {".pcd", ".ply", ".obj"})) return writeRangePointCloud(copy, path, &saved);
        return writeRangeImage(copy, path, &saved);
    });
    if (files) files->append(saved);
    return result;
}

// ---- text layouts --------------------------------------------------------------------------

std::string ImageFileWriter::heightsCsv(const QVector<qreal>& heights) {
    std::string out;
    if (heights.isEmpty()) return out;
    out.reserve(static_cast<size_t>(heights.size()) * 12 + 1);
    for (int i = 0; i < heights.size(); ++i) {
        if (i > 0) out.push_back(',');
        appendNumber(&out, heights.at(i));
    }
    out.push_back('\n');
    return out;
}

std::string ImageFileWriter::heightsXzCsv(const QVector<qreal>& heights, double xInterval) {
    std::string out = "x (mm),z (mm)\n";
    out.reserve(out.size() + static_cast<size_t>(heights.size()) * 24);
    for (int i = 0; i < heights.size(); ++i) {
        appendNumber(&out, i * xInterval);
        out.push_back(',');
        const qreal z = heights.at(i);
        if (std::isfinite(z)) appendNumber(&out, z);
        out.push_back('\n');
    }
    return out;
}

std::string ImageFileWriter::bytesCsv(const uint8_t* bytes, int count) {
    std::string out;
    out.reserve(static_cast<size_t>(count) * 4 + 1);
    for (int i = 0; i < count; ++i) {
        if (i > 0) out.push_back(',');
        appendInt(&out, bytes[i]);
    }
    out.push_back('\n');
    return out;
}

std::string ImageFileWriter::imageCsv(const NuvImage& image) {
    std::string out;
    const int w = image.width();
    const int h = image.height();
    const int channels = std::max(1, image.channels());
    if (w <= 0 || h <= 0) return out;
    out.reserve(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    for (int r = 0; r < h; ++r) {
        const uint8_t* row = image.data() + static_cast<size_t>(r) * image.step();
        for (int c = 0; c < w; ++c) {
            appendInt(&out, row[static_cast<size_t>(c) * channels]);
            out.push_back(',');
        }
        out.back() = '\n';
    }
    return out;
}

bool ImageFileWriter::writeText(const QString& path, const std::string& bytes, QString* saved) {
    return writeFile(path, bytes.data(), bytes.size(), saved);
}

bool ImageFileWriter::writeRangeBrightnessCsv(const NuvImage& grey, const QString& path,
                                              QString* saved) const {
    if (grey.isEmpty()) {
        logError(
            QStringLiteral("Save image failed, path = %1, error = the frame has no grey image").arg(path));
        return false;
    }
    return writeText(path, imageCsv(grey), saved);
}

// ---- binary layouts ------------------------------------------------------------------------

bool ImageFileWriter::writeRangeBin(const NuvRangeImage& range, const QString& path, QString* saved) const {
    if (range.isEmpty()) {
        logError(QStringLiteral("Save image failed, path = %1, error = empty range image").arg(path));
        return false;
    }
    const cv::Mat& m = range.mat();
    if (m.isContinuous())
        return writeFile(path, reinterpret_cast<const char*>(m.data), range.byteSize(), saved);
    const cv::Mat packed = m.clone();
    return writeFile(path, reinterpret_cast<const char*>(packed.data), range.byteSize(), saved);
}

NuvRangeImage ImageFileWriter::profileRow(const QVector<qreal>& heights,
                                          const ProfileFrameInfo::Values& info) {
    // Profiles arrive in millimetres: height = (raw - offset) / divisor, so raw = height * divisor
    // + offset. Samples that do not fit or have no height become 0, the "no point" sample.
    const bool wide = info.brightnessStride == 4;
    NuvRangeImage row(heights.size(), 1, wide ? 4 : 2);
    if (row.isEmpty()) return row;
    const double divisor = info.profileScaleDivisor > 0 ? info.profileScaleDivisor : 1.0;
    const double offset = info.profileHeightOffset;
    const double top = wide ? std::numeric_limits<int32_t>::max() : 65535.0;
    uint8_t* data = row.data();
    for (int i = 0; i < heights.size(); ++i) {
        const double raw = std::round(heights.at(i) * divisor + offset);
        const bool valid = std::isfinite(raw) && raw >= 1.0 && raw <= top;
        if (wide) {
            reinterpret_cast<int32_t*>(data)[i] = valid ? static_cast<int32_t>(raw) : 0;
        } else {
            reinterpret_cast<uint16_t*>(data)[i] = valid ? static_cast<uint16_t>(raw) : 0;
        }
    }
    row.SetInfo(1.0 / divisor, -offset, info.xInterval, 0, info.yInterval, 0);
    return row;
}

void ImageFileWriter::applyRangeInfo(NuvRangeImage* range, const ProfileFrameInfo::Values& info) {
    // height = (raw - offset) * scale, with the offset in raw units.
    range->SetInfo(info.heightScale, -info.heightOffset, info.xInterval, 0, info.yInterval, 0);
}

bool ImageFileWriter::writeProfileBin(const QVector<qreal>& heights, const QString& path, QString* saved) {
    const NuvRangeImage row = profileRow(heights, info());
    return writeFile(path, reinterpret_cast<const char*>(row.data()), row.byteSize(), saved);
}

const NuvRangeImage& ImageFileWriter::cachedRow(ProfileCache* cache, const QVector<qreal>& heights,
                                                bool millimetres) {
    // Unchanged profiles (a stopped line) reuse the image made for the last one.
    if (!cache->valid || cache->heights != heights) {
        cache->heights = heights;
        if (millimetres) {
            // The heights as they are: 64-bit millimetres, no height (NaN) is no point.
            NuvRangeImage row;
            if (row.SetSize(heights.size(), 1, NuvRangeImage::TypeFloat64)) {
                std::memcpy(row.Data(), heights.constData(),
                            static_cast<size_t>(heights.size()) * sizeof(double));
            }
            row.SetInfo(1.0, 0.0, info().xInterval, 0, info().yInterval, 0);
            cache->row = row.DeepCopy();
        } else {
            cache->row = profileRow(heights, info()).DeepCopy();
        }
        cache->valid = true;
    }
    return cache->row;
}

bool ImageFileWriter::writeProfileSrt(const QVector<qreal>& heights, const QString& path, QString* saved) {
    NuvRangeImage row = cachedRow(&m_srtCache, heights, false);
    return writeRangeImage(row, path, saved);
}

bool ImageFileWriter::writeProfilePointCloud(const QVector<qreal>& heights, const QString& path,
                                             QString* saved) {
    NuvRangeImage row = cachedRow(&m_cloudCache, heights, true);
    return writeRangePointCloud(row, path, saved);
}

// ---- image and 3D file libraries -----------------------------------------------------------

bool ImageFileWriter::writeImage(const NuvImage& image, const QString& path, QString* saved) const {
    if (image.isEmpty()) {
        logError(QStringLiteral("Save image failed, path = %1, error = empty image").arg(path));
        return false;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff")) {
        const int type = image.mat().type();
        if (type == CV_8UC1 || type == CV_8UC3 || type == CV_16UC1 || type == CV_32SC1) {
            NuvTiffFile::Tags tags;
            tags.description = m_comment;
            if (m_written.isValid()) tags.dateTime = NuvTiffFile::dateTime(m_written.toSecsSinceEpoch());
            tags.software = NUVMV::Nuv3DFileOperation::kSoftware;
            std::string reason;
            std::string savedPath;
            const bool bgr = image.pixelFormat() == NuvPixelFormat::BGR8;
            if (NuvTiffFile::write(image.mat(), bgr, 0, tags, path.toStdString(), &reason, &savedPath) ==
                NuvTiffFile::Ok) {
                if (saved) *saved = QString::fromStdString(savedPath);
                return true;
            }
            logError(QStringLiteral("Save image failed, path = %1, error = %2")
                         .arg(path, QString::fromStdString(reason)));
            return false;
        }
    }
    if (UncompressedImageFile::canWrite(image, path)) {
        QString error;
        if (UncompressedImageFile::write(image, path, &error, saved)) return true;
        logError(QStringLiteral("Save image failed, path = %1, error = %2").arg(path, error));
        return false;
    }
    std::string savedPath;
    if (!image.SaveImage(path.toUtf8().constData(), 6, &savedPath)) {
        logError(QStringLiteral("Save image failed, path = %1").arg(path));
        return false;
    }
    const QString name = QString::fromStdString(savedPath);
    if (saved) *saved = name;
    if (suffix != QLatin1String("png") || m_comment.empty()) return true;
    // The encoder has no text chunks: the complete file is read back and replaced in one step by
    // one that has, so it is a whole PNG at every moment.
    QFile encoded(name);
    QByteArray png = encoded.open(QIODevice::ReadOnly) ? encoded.readAll() : QByteArray();
    encoded.close();
    QSaveFile file(name);
    if (addPngText(&png, m_comment) && file.open(QIODevice::WriteOnly) && file.write(png) == png.size() &&
        file.commit())
        return true;
    logError(QStringLiteral("Save image failed, path = %1, error = the metadata could not be added (%2)")
                 .arg(name, file.errorString()));
    QFile::remove(name);
    return false;
}

bool ImageFileWriter::addPngText(QByteArray* png, const std::string& text) {
    static const char kSignature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
    constexpr int kAfterHeader = 8 + 4 + 4 + 13 + 4;  // signature, then the IHDR chunk
    if (png->size() < kAfterHeader || !png->startsWith(QByteArray(kSignature, 8)) ||
        png->mid(12, 4) != "IHDR")
        return false;
    QByteArray chunk = QByteArray("tEXt") + "Comment" + '\0' + QByteArray::fromStdString(text);
    uint32_t crc = 0xFFFFFFFFu;
    for (const char c : qAsConst(chunk)) {
        crc ^= static_cast<uint8_t>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc ^= 0xFFFFFFFFu;
    const auto bigEndian = [](uint32_t v) {
        const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        return QByteArray(b, 4);
    };
    png->insert(kAfterHeader, bigEndian(static_cast<uint32_t>(chunk.size() - 4)) + chunk + bigEndian(crc));
    return true;
}

// The result of a 3D file library call: a status (0 success) or an OpenCV exception's text.
bool ImageFileWriter::checkStatus(int status, const std::string& reason, const QString& path,
                                  bool exception) {
    if (exception) {
        logError(QStringLiteral("Save image failed, path = %1, CV::Exception message = %2")
                     .arg(path, QString::fromStdString(reason)));
        return false;
    }
    if (status == 0) return true;
    logError(QStringLiteral("Save image failed, path = %1, ret = %2 (%3)")
                 .arg(path)
                 .arg(status)
                 .arg(QString::fromStdString(reason)));
    return false;
}

bool ImageFileWriter::writeRangeImage(NuvRangeImage& range, const QString& path, QString* saved) const {
    NuvVar target(path.toUtf8().constData());
    try {
        NUVMV::Nuv3DFileOperation files;
        files.setComment(m_comment);
        if (m_written.isValid()) files.setDateTime(m_written.toSecsSinceEpoch());
        if (!checkStatus(files.Save(range, target, false, 2), files.lastError(), path)) return false;
        if (saved) *saved = QString::fromStdString(files.savedPath());
        return true;
    } catch (const cv::Exception& e) {
        return checkStatus(0, e.what(), path, true);
    }
}

bool ImageFileWriter::writeRangePointCloud(NuvRangeImage& range, const QString& path, QString* saved) const {
    NuvVar target(path.toUtf8().constData());
    try {
        NuvPointCloud cloud;
        NUVMV::Nuv3DDataConvert convert;
        convert.RangeImageToPointCloud(range, &cloud);
        NUVMV::Nuv3DFileOperation files;
        files.setComment(m_comment);
        if (m_written.isValid()) files.setDateTime(m_written.toSecsSinceEpoch());
        if (!checkStatus(files.Save(cloud, target, false, false, 2), files.lastError(), path)) return false;
        if (saved) *saved = QString::fromStdString(files.savedPath());
        return true;
    } catch (const cv::Exception& e) {
        return checkStatus(0, e.what(), path, true);
    }
}
