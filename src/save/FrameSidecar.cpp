// SPDX-License-Identifier: Apache-2.0
#include "FrameSidecar.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

#include "NuvFileWriter.h"

QString FrameSidecar::pathFor(const QString& folder, const QString& run) {
    return folder + '/' + run + QStringLiteral("_frames.csv");
}

void FrameSidecar::begin(const QString& path) {
    // A file of that name that is not ours is never replaced: the sidecar takes the next free name.
    m_path = path;
    for (int n = 1; QFileInfo::exists(m_path) || QFileInfo(m_path).isSymLink(); ++n)
        m_path = QString::fromStdString(NuvFileWriter::numberedName(path.toStdString(), n));
    m_rowCount = 0;
    m_bytes = FrameMetadata::csvHeader().toUtf8() + '\n';
}

bool FrameSidecar::add(const QStringList& files, const FrameMetadata& meta, QString* error) {
    if (!isActive()) return true;
    const int rowsBefore = m_rowCount;
    const int bytesBefore = m_bytes.size();
    for (const QString& file : files) {
        if (FrameMetadata::carriedInFile(file)) continue;
        m_bytes += meta.csvRow(file).toUtf8() + '\n';
        ++m_rowCount;
    }
    if (m_rowCount == rowsBefore) return true;
    if (rewrite(error)) return true;
    m_rowCount = rowsBefore;
    m_bytes.truncate(bytesBefore);
    return false;
}

// The whole file each time: a long recording rewrites some hundred kilobytes a frame, a few per cent
// of its frames' bytes, and no reader ever meets a half-written last row. Not synced to the disk
// (QSaveFile would, and a sync per frame halved a recording's rate): the rename keeps it whole.
bool FrameSidecar::rewrite(QString* error) const {
    std::string reason;
    const std::string target = m_path.toStdString();
    const std::string temporary = NuvFileWriter::reserveTemporary(target, &reason);
    std::FILE* file = temporary.empty() ? nullptr : NuvFileWriter::open(temporary, "wb");
    bool ok = file != nullptr && std::fwrite(m_bytes.constData(), 1, static_cast<size_t>(m_bytes.size()),
                                             file) == static_cast<size_t>(m_bytes.size());
    if (file != nullptr && std::fclose(file) != 0) ok = false;
    if (ok) ok = replace(temporary, target, &reason);
    if (ok) return true;
    if (!temporary.empty()) NuvFileWriter::remove(temporary);
    if (error)
        *error =
            reason.empty() ? QString::fromLocal8Bit(std::strerror(errno)) : QString::fromStdString(reason);
    return false;
}

// Renames `from` over `to` in one step (unlike NuvFileWriter, which never replaces a file).
bool FrameSidecar::replace(const std::string& from, const std::string& to, std::string* reason) {
#ifdef _WIN32
    const bool ok = MoveFileExW(reinterpret_cast<LPCWSTR>(QString::fromStdString(from).utf16()),
                                reinterpret_cast<LPCWSTR>(QString::fromStdString(to).utf16()),
                                MOVEFILE_REPLACE_EXISTING) != 0;
#else
    const bool ok = std::rename(from.c_str(), to.c_str()) == 0;
#endif
    if (!ok) *reason = std::string("cannot rename the sidecar: ") + std::strerror(errno);
    return ok;
}

void FrameSidecar::discard() {
    if (isActive()) QFile::remove(m_path);
    end();
}
