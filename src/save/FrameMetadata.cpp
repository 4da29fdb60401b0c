// SPDX-License-Identifier: Apache-2.0
#include "FrameMetadata.h"

#include <QFileInfo>
#include <QStringList>

#include "NuvNumberParse.h"
#include "ZavizoZoz3.h"

namespace {
QString number(double value) {
    return std::isfinite(value) ? QString::number(value, 'g', 10) : QString();
}
QString number(qint64 value) {
    return value >= 0 ? QString::number(value) : QString();
}

double nodeValue(const std::string& key, const char* node) {
    std::string text;
    if (ZavizoZoz3::GetCameraNodeValue(key, node, text) != 0 || text.empty())
        return std::numeric_limits<double>::quiet_NaN();
    return NuvNumberParse::valueOr(text, std::numeric_limits<double>::quiet_NaN());
}
}  // namespace

std::string FrameMetadata::keyValueText() const {
    QStringList lines;
    if (frameId >= 0) lines << QStringLiteral("frame_id=%1").arg(frameId);
    if (cameraTimestampNs >= 0) lines << QStringLiteral("camera_timestamp_ns=%1").arg(cameraTimestampNs);
    if (std::isfinite(exposureUs)) lines << QStringLiteral("exposure_us=%1").arg(number(exposureUs));
    if (std::isfinite(gain)) lines << QStringLiteral("gain=%1").arg(number(gain));
    if (written.isValid()) lines << QStringLiteral("written=%1").arg(written.toString(Qt::ISODateWithMs));
    return lines.join('\n').toStdString();
}

QString FrameMetadata::csvHeader() {
    return QStringLiteral("file,frame_id,camera_timestamp_ns,exposure_us,gain,written");
}

QString FrameMetadata::csvRow(const QString& file) const {
    QString name = QFileInfo(file).fileName();
    // A name with a comma or quote is quoted, so the columns stay where they are.
    if (name.contains(',') || name.contains('"')) name = '"' + name.replace('"', QLatin1String("\"\"")) + '"';
    return QStringList{name,
                       number(frameId),
                       number(cameraTimestampNs),
                       number(exposureUs),
                       number(gain),
                       written.isValid() ? written.toString(Qt::ISODateWithMs) : QString()}
        .join(',');
}

void FrameMetadata::readCameraSettings(const QString& cameraKey, double* exposureUs, double* gain) {
    const std::string key = cameraKey.toStdString();
    *exposureUs = nodeValue(key, "ExposureTime");
    *gain = nodeValue(key, "Gain");
}

bool FrameMetadata::carriedInFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("tif") || suffix == QLatin1String("tiff") ||
           suffix == QLatin1String("png") || suffix == QLatin1String("pcd") ||
           suffix == QLatin1String("ply") || suffix == QLatin1String("obj");
}
