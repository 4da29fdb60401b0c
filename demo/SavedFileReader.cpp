// SPDX-License-Identifier: Apache-2.0
#include "SavedFileReader.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "Nuv3DFileOperation.h"
#include "NuvTiffFile.h"
#include "NuvVar.h"

namespace {
struct Point {
    float x, y, z;
};

QString suffixOf(const QString& path) {
    return QFileInfo(path).suffix().toLower();
}

// ---- point clouds -------------------------------------------------------------------------

// Sizes of the scalar types of PLY ("float", "float32", ...) and PCD ("F" 4, ...).
int plyTypeSize(const QString& type) {
    static const QStringList one{"char", "uchar", "int8", "uint8"};
    static const QStringList two{"short", "ushort", "int16", "uint16"};
    static const QStringList four{"int", "uint", "int32", "uint32", "float", "float32"};
    static const QStringList eight{"double", "float64"};
    if (one.contains(type)) return 1;
    if (two.contains(type)) return 2;
    if (four.contains(type)) return 4;
    if (eight.contains(type)) return 8;
    return 0;
}

// One little-endian coordinate of a binary record: 4-byte or 8-byte floating point only.
bool coordinate(const char* record, int offset, int size, float* value) {
    if (size == 4) {
        std::memcpy(value, record + offset, 4);
    } else if (size == 8) {
        double d = 0;
        std::memcpy(&d, record + offset, 8);
        *value = static_cast<float>(d);
    } else {
        return false;
    }
    return true;
}

// The fields of a point record: offset and size of x, y and z.
struct Layout {
    int offset[3] = {-1, -1, -1};
    int size[3] = {0, 0, 0};
    int column[3] = {-1, -1, -1};  // ascii: column of x, y, z
    int stride = 0;
    bool complete() const { return offset[0] >= 0 && offset[1] >= 0 && offset[2] >= 0; }
};

void placeField(Layout* layout, const QString& name, int size) {
    const int axis = QStringList{"x", "y", "z"}.indexOf(name);
    if (axis >= 0) {
        layout->offset[axis] = layout->stride;
        layout->size[axis] = size;
    }
}

// Reads `count` records of `layout` from `data`, binary or whitespace-separated text.
bool readRecords(const QByteArray& data, qint64 start, qint64 count, const Layout& layout, bool ascii,
                 int fields, std::vector<Point>* points) {
    if (count < 0) return false;
    if (ascii) {
        const QList<QByteArray> lines = data.mid(static_cast<int>(start)).split('\n');
        for (const QByteArray& line : lines) {
            if (static_cast<qint64>(points->size()) == count) break;
            const QList<QByteArray> values = line.simplified().split(' ');
            if (line.trimmed().isEmpty()) continue;
            if (values.size() < fields) return false;
            Point p{};
            float* xyz[3] = {&p.x, &p.y, &p.z};
            for (int axis = 0; axis < 3; ++axis) {
                bool ok = false;
                *xyz[axis] = values.at(layout.column[axis]).toFloat(&ok);
                if (!ok) return false;
            }
            points->push_back(p);
        }
        return static_cast<qint64>(points->size()) == count;
    }
    if (layout.stride <= 0 || count > (data.size() - start) / layout.stride) return false;
    points->reserve(static_cast<size_t>(count));
    for (qint64 i = 0; i < count; ++i) {
        const char* record = data.constData() + start + i * layout.stride;
        Point p{};
        if (!coordinate(record, layout.offset[0], layout.size[0], &p.x) ||
            !coordinate(record, layout.offset[1], layout.size[1], &p.y) ||
            !coordinate(record, layout.offset[2], layout.size[2], &p.z))
            return false;
        points->push_back(p);
    }
    return true;
}

// Header lines up to and including the one starting with `last`; the offset after it, or -1.
qint64 headerEnd(const QByteArray& data, const QByteArray& last, QList<QByteArray>* lines) {
    qint64 at = 0;
    while (at < data.size()) {
        const qint64 end = data.indexOf('\n', static_cast<int>(at));
        if (end < 0) return -1;
        const QByteArray line = data.mid(static_cast<int>(at), static_cast<int>(end - at)).trimmed();
        lines->append(line);
        at = end + 1;
        if (line.startsWith(last)) return at;
        if (lines->size() > 200) return -1;  // not a header of ours
    }
    return -1;
}

QString parsePcd(const QByteArray& data, std::vector<Point>* points) {
    QList<QByteArray> lines;
    const qint64 start = headerEnd(data, "DATA", &lines);
    if (start < 0) return SavedFileReader::tr("no PCD header");
    QStringList names;
    QStringList sizes;
    QStringList types;
    qint64 count = -1;
    QString storage;
    for (const QByteArray& line : lines) {
        QStringList words = QString::fromLatin1(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty()) continue;
        const QString key = words.takeFirst();
        if (key == QLatin1String("FIELDS")) names = words;
        if (key == QLatin1String("SIZE")) sizes = words;
        if (key == QLatin1String("TYPE")) types = words;
        if (key == QLatin1String("POINTS") && !words.isEmpty()) count = words.first().toLongLong();
        if (key == QLatin1String("DATA") && !words.isEmpty()) storage = words.first();
    }
    if (names.isEmpty() || names.size() != sizes.size() || names.size() != types.size() || count < 0)
        return SavedFileReader::tr("the PCD header is incomplete");
    if (storage != QLatin1String("binary") && storage != QLatin1String("ascii"))
        return SavedFileReader::tr("PCD data stored as \"%1\" is not supported").arg(storage);
    Layout layout;
    for (int i = 0; i < names.size(); ++i) {
        const int size = sizes.at(i).toInt();
        if (size <= 0 || size > 8) return SavedFileReader::tr("the PCD header is incomplete");
        const int axis = QStringList{"x", "y", "z"}.indexOf(names.at(i));
        if (axis >= 0) {
            if (types.at(i) != QLatin1String("F"))
                return SavedFileReader::tr("the coordinates are not floating point");
            layout.column[axis] = i;
        }
        placeField(&layout, names.at(i), size);
        layout.stride += size;
    }
    if (!layout.complete()) return SavedFileReader::tr("the points have no x, y and z");
    if (!readRecords(data, start, count, layout, storage == QLatin1String("ascii"), names.size(), points))
        return SavedFileReader::tr("the file ends before its last point");
    return QString();
}

QString parsePly(const QByteArray& data, std::vector<Point>* points) {
    QList<QByteArray> lines;
    const qint64 start = headerEnd(data, "end_header", &lines);
    if (start < 0 || lines.isEmpty() || lines.first() != "ply") return SavedFileReader::tr("no PLY header");
    QString format;
    qint64 count = -1;
    bool inVertex = false;
    bool vertexFirst = false;
    int elements = 0;
    int fields = 0;
    Layout layout;
    for (const QByteArray& line : lines) {
        const QStringList words = QString::fromLatin1(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty()) continue;
        if (words.first() == QLatin1String("format") && words.size() > 1) format = words.at(1);
        if (words.first() == QLatin1String("element") && words.size() > 2) {
            inVertex = words.at(1) == QLatin1String("vertex");
            if (inVertex) {
                vertexFirst = elements == 0;
                count = words.at(2).toLongLong();
            }
            ++elements;
        }
        if (inVertex && words.first() == QLatin1String("property")) {
            const int size = words.size() == 3 ? plyTypeSize(words.at(1)) : 0;
            if (size == 0) return SavedFileReader::tr("a vertex property of this PLY is not supported");
            const int axis = QStringList{"x", "y", "z"}.indexOf(words.at(2));
            if (axis >= 0) layout.column[axis] = fields;
            placeField(&layout, words.at(2), size);
            layout.stride += size;
            ++fields;
        }
    }
    if (!vertexFirst || count < 0) return SavedFileReader::tr("the PLY has no vertices");
    if (format != QLatin1String("ascii") && format != QLatin1String("binary_little_endian"))
        return SavedFileReader::tr("PLY data stored as \"%1\" is not supported").arg(format);
    if (!layout.complete()) return SavedFileReader::tr("the points have no x, y and z");
    if (!readRecords(data, start, count, layout, format == QLatin1String("ascii"), fields, points))
        return SavedFileReader::tr("the file ends before its last point");
    return QString();
}

// The spacing of a scanned grid along one axis: the smallest step between distinct coordinates,
// ignoring steps the floating point storage adds.
double gridStep(std::vector<float> values) {
    std::sort(values.begin(), values.end());
    const double span = static_cast<double>(values.back()) - values.front();
    const double noise = std::max(1e-6, span * 1e-6);
    double step = 0;
    for (size_t i = 1; i < values.size(); ++i) {
        const double d = static_cast<double>(values[i]) - values[i - 1];
        if (d > noise && (step == 0 || d < step)) step = d;
    }
    return step;
}

// A point cloud on the range image's grid: x along the line, y across lines, z as 16-bit samples.
bool toRangeImage(const std::vector<Point>& points, NuvRangeImage* range) {
    std::vector<float> xs;
    std::vector<float> ys;
    float zMin = std::numeric_limits<float>::max();
    float zMax = std::numeric_limits<float>::lowest();
    for (const Point& p : points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) continue;
        xs.push_back(p.x);
        ys.push_back(p.y);
        zMin = std::min(zMin, p.z);
        zMax = std::max(zMax, p.z);
    }
    if (xs.empty()) return false;
    const auto [xLow, xHigh] = std::minmax_element(xs.begin(), xs.end());
    const auto [yLow, yHigh] = std::minmax_element(ys.begin(), ys.end());
    const double x0 = *xLow;
    const double y0 = *yLow;
    const double xSpan = static_cast<double>(*xHigh) - x0;
    const double ySpan = static_cast<double>(*yHigh) - y0;
    double xStep = gridStep(xs);
    double yStep = gridStep(ys);
    auto cells = [](double span, double step) { return step > 0 ? std::llround(span / step) + 1 : 1; };
    // A scattered cloud has no grid of its own: it gets one of at most kMaxGridPoints cells.
    const double limit = std::sqrt(static_cast<double>(SavedFileReader::kMaxGridPoints));
    if (cells(xSpan, xStep) * cells(ySpan, yStep) > SavedFileReader::kMaxGridPoints ||
        cells(xSpan, xStep) > 65536) {
        xStep = xSpan > 0 ? xSpan / (limit - 1) : 0;
        yStep = ySpan > 0 ? ySpan / (limit - 1) : 0;
    }
    const int width = static_cast<int>(cells(xSpan, xStep));
    const int height = static_cast<int>(cells(ySpan, yStep));
    if (!range->SetSize(width, height, NuvRangeImage::TypeUInt16)) return false;
    // Samples 1 to 65535 cover the heights; 0 stays "no point".
    // A whole-number offset, as a sensor's: the viewer's range pages take it as such.
    const double scale = zMax > zMin ? (static_cast<double>(zMax) - zMin) / 65532.0 : 1.0;
    const double offset = std::floor(zMin / scale) - 1.0;
    range->SetInfo(scale, offset, xStep > 0 ? xStep : 1.0, x0, yStep > 0 ? yStep : 1.0, y0);
    for (const Point& p : points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) continue;
        const int col = xStep > 0 ? static_cast<int>(std::lround((p.x - x0) / xStep)) : 0;
        const int row = yStep > 0 ? static_cast<int>(std::lround((p.y - y0) / yStep)) : 0;
        const long sample = std::lround(p.z / scale - offset);
        auto* line = reinterpret_cast<uint16_t*>(range->line(std::clamp(row, 0, height - 1)));
        line[std::clamp(col, 0, width - 1)] = static_cast<uint16_t>(std::clamp(sample, 1L, 65535L));
    }
    return true;
}

QImage toPicture(const cv::Mat& mat) {
    cv::Mat m = mat;
    if (m.channels() == 4) cv::cvtColor(m, m, cv::COLOR_BGRA2BGR);
    if (m.depth() == CV_16U && m.channels() == 3) m.convertTo(m, CV_8U, 1.0 / 257.0);
    if (m.depth() == CV_8U && m.channels() == 1)
        return QImage(m.data, m.cols, m.rows, static_cast<int>(m.step), QImage::Format_Grayscale8).copy();
    if (m.depth() == CV_16U && m.channels() == 1)
        return QImage(m.data, m.cols, m.rows, static_cast<int>(m.step), QImage::Format_Grayscale16).copy();
    if (m.depth() == CV_8U && m.channels() == 3) {
        cv::Mat rgb;
        cv::cvtColor(m, rgb, cv::COLOR_BGR2RGB);
        return QImage(rgb.data, rgb.cols, rgb.rows, static_cast<int>(rgb.step), QImage::Format_RGB888).copy();
    }
    return QImage();
}
}  // namespace

SavedFileReader::Result SavedFileReader::failure(const QString& path, const QString& reason) {
    Result result;
    result.error = tr("%1 cannot be opened: %2").arg(QFileInfo(path).fileName(), reason);
    return result;
}

QString SavedFileReader::dialogFilter() {
    return tr(
        "Saved frames (*.bmp *.png *.jpg *.jpeg *.tif *.tiff *.pcd *.ply *.srt *.ecd *.mri);;"
        "Pictures (*.bmp *.png *.jpg *.jpeg *.tif *.tiff);;"
        "Range images and point clouds (*.tif *.tiff *.srt *.ecd *.mri *.pcd *.ply);;"
        "All files (*)");
}

SavedFileReader::Result SavedFileReader::read(const QString& path) {
    if (!QFileInfo(path).isFile()) return failure(path, tr("there is no such file"));
    const QString suffix = suffixOf(path);
    try {
        if (suffix == QLatin1String("pcd") || suffix == QLatin1String("ply")) return readPointCloud(path);
        if (suffix == QLatin1String("srt") || suffix == QLatin1String("ecd") ||
            suffix == QLatin1String("mri"))
            return readLayout(path);
        if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff")) {
            const QString description = rangeTiffDescription(path);
            if (!description.isEmpty()) return readRangeTiff(path, description);
        }
        return readPicture(path);
    } catch (const std::exception& e) {  // a decoder's exception or a file larger than the memory left
        return failure(path, QString::fromLocal8Bit(e.what()));
    }
}

SavedFileReader::Result SavedFileReader::readPicture(const QString& path) {
    const cv::Mat mat = cv::imread(QFile::encodeName(path).toStdString(), cv::IMREAD_UNCHANGED);
    if (mat.empty()) return failure(path, tr("it is not a picture this application reads"));
    Result result;
    result.picture = toPicture(mat);
    if (result.picture.isNull()) return failure(path, tr("its pixel format is not supported"));
    result.kind = Picture;
    return result;
}

QString SavedFileReader::rangeTiffDescription(const QString& path) {
    const QString text =
        QString::fromStdString(NuvTiffFile::description(QFile::encodeName(path).toStdString())).trimmed();
    return text.startsWith(QLatin1String("NuvRangeImage ")) ? text : QString();
}

SavedFileReader::Result SavedFileReader::readRangeTiff(const QString& path, const QString& description) {
    const cv::Mat mat = cv::imread(QFile::encodeName(path).toStdString(), cv::IMREAD_UNCHANGED);
    if (mat.empty() || mat.channels() != 1) return failure(path, tr("its samples cannot be read"));
    Result result;
    NuvRangeImage& range = result.range;
    if (mat.depth() == CV_16U) {
        range.SetSize(mat.cols, mat.rows, NuvRangeImage::TypeUInt16);
        mat.copyTo(range.mat());
    } else if (mat.depth() == CV_32S || mat.depth() == CV_32F) {
        range.SetSize(mat.cols, mat.rows, NuvRangeImage::TypeInt32);
        mat.convertTo(range.mat(), CV_32S);
    } else {
        return failure(path, tr("its samples cannot be read"));
    }
    // "key=value" pairs; one that is missing keeps the plain default.
    double info[6] = {1, 0, 1, 0, 1, 0};
    const char* const keys[6] = {"heightScale", "heightOffset", "xInterval",
                                 "xOffset",     "yInterval",    "yOffset"};
    for (const QString& pair : description.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const int eq = pair.indexOf(QLatin1Char('='));
        for (int k = 0; k < 6 && eq > 0; ++k) {
            bool ok = false;
            const double value = pair.mid(eq + 1).toDouble(&ok);  // C locale whatever the user's
            if (pair.leftRef(eq) == QLatin1String(keys[k]) && ok && std::isfinite(value)) info[k] = value;
        }
    }
    range.SetInfo(info[0], info[1], info[2], info[3], info[4], info[5]);
    result.kind = Range;
    return result;
}

SavedFileReader::Result SavedFileReader::readLayout(const QString& path) {
    Result result;
    NUVMV::Nuv3DFileOperation files;
    NuvVar target(path.toUtf8().constData());
    if (files.Load(&result.range, target) != 0)
        return failure(path, QString::fromStdString(files.lastError()));
    result.kind = Range;
    return result;
}

SavedFileReader::Result SavedFileReader::readPointCloud(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return failure(path, file.errorString());
    const QByteArray data = file.readAll();
    std::vector<Point> points;
    const QString error =
        suffixOf(path) == QLatin1String("pcd") ? parsePcd(data, &points) : parsePly(data, &points);
    if (!error.isEmpty()) return failure(path, error);
    Result result;
    if (!toRangeImage(points, &result.range)) return failure(path, tr("it holds no valid point"));
    result.kind = Range;
    return result;
}
