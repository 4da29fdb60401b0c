// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <string>

#include "FrameMetadata.h"

// The CSV sidecar "<run>_frames.csv" of one save run: one row per file written whose format has
// no room for the frame's metadata (BMP, JPEG, CSV, BIN, our own layouts, a video's frames). It is
// rewritten as a whole after every frame, under a temporary name that replaces it in one step, so a
// reader only ever sees a complete sidecar, and its rows are always the files that exist: when the
// sidecar cannot be written (a full disk), the frame's files are removed again and the frame
// counts as failed. Used on the save worker's thread only.
class FrameSidecar {
public:
    // "<folder>/<run>_frames.csv".
    static QString pathFor(const QString& folder, const QString& run);
    // A new run; nothing is written before its first row. A name that is taken is not replaced:
    // the sidecar gets the next free one ("<run>_frames_1.csv").
    void begin(const QString& path);
    bool isActive() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    int rowCount() const { return m_rowCount; }
    // Adds one row per file of `files` that needs one and rewrites the sidecar. False (nothing
    // added) when it could not be written; `error` says why.
    bool add(const QStringList& files, const FrameMetadata& meta, QString* error);
    // Removes the sidecar (its files were not kept, a video that could not be completed).
    void discard();
    void end() { m_path.clear(), m_rowCount = 0, m_bytes.clear(); }

private:
    bool rewrite(QString* error) const;
    static bool replace(const std::string& from, const std::string& to, std::string* reason);

    QString m_path;
    int m_rowCount = 0;
    // The sidecar as written: the header and the rows, encoded once as they come.
    QByteArray m_bytes;
};
