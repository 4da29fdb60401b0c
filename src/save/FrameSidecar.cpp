#include "FrameSidecar.h"

#include <QFile>
#include <QSaveFile>

QString FrameSidecar::pathFor(const QString& folder, const QString& run) {
    return folder + '/' + run + QStringLiteral("_frames.csv");
}

void FrameSidecar::begin(const QString& path) {
    m_path = path;
    m_rows.clear();
}

bool FrameSidecar::add(const QStringList& files, const FrameMetadata& meta, QString* error) {
    if (!isActive()) return true;
    const int before = m_rows.size();
    for (const QString& file : files) {
        if (!FrameMetadata::carriedInFile(file)) m_rows << meta.csvRow(file);
    }
    if (m_rows.size() == before) return true;
    if (rewrite(error)) return true;
    m_rows.erase(m_rows.begin() + before, m_rows.end());
    return false;
}

// The whole file each time: a long recording rewrites some hundred kilobytes a frame, far less than
// its frames, and no reader ever meets a half-written last row.
bool FrameSidecar::rewrite(QString* error) const {
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    QByteArray bytes = FrameMetadata::csvHeader().toUtf8() + '\n';
    for (const QString& row : m_rows)
        bytes += row.toUtf8() + '\n';
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

void FrameSidecar::discard() {
    if (isActive()) QFile::remove(m_path);
    end();
}
