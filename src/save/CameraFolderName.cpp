// SPDX-License-Identifier: Apache-2.0
#include "CameraFolderName.h"

#include <QRegularExpression>
#include <QVector>

namespace {
bool isReserved(uint c) {
    return c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
           c == '|';
}

bool isInvisible(uint c) {
    const QChar::Category category = QChar::category(c);
    return category == QChar::Other_Control || category == QChar::Other_Format ||
           category == QChar::Other_Surrogate || category == QChar::Other_NotAssigned ||
           category == QChar::Separator_Line || category == QChar::Separator_Paragraph;
}

// Cuts whole characters off the end until the UTF-8 form fits.
QString bounded(const QVector<uint>& codePoints) {
    QString out;
    int bytes = 0;
    for (uint c : codePoints) {
        const int size = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (bytes + size > CameraFolderName::kMaxBytes) break;
        bytes += size;
        out += QString::fromUcs4(&c, 1);
    }
    return out;
}
}  // namespace

QString CameraFolderName::fromCameraName(const QString& name) {
    QVector<uint> kept;
    for (uint c : name.toUcs4()) {
        if (isReserved(c)) {
            kept << '_';
        } else if (!isInvisible(c)) {
            kept << c;
        }
    }
    QString folder = QString::fromUcs4(kept.constData(), kept.size());
    while (folder.contains(QLatin1String("..")))
        folder.replace(QLatin1String(".."), QString());
    // A leading dot hides the folder; Windows drops trailing dots and spaces.
    int first = 0;
    while (first < folder.size() && (folder[first] == '.' || folder[first].isSpace()))
        ++first;
    folder = folder.mid(first);
    // Windows keeps these names for devices, with any suffix.
    static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (device.match(folder).hasMatch()) folder.prepend('_');
    folder = bounded(folder.toUcs4());
    while (!folder.isEmpty() && (folder.endsWith('.') || folder.back().isSpace()))
        folder.chop(1);
    return folder.isEmpty() ? QStringLiteral("camera") : folder;
}
