// SPDX-License-Identifier: Apache-2.0
#pragma once
// Summary of a saved file by Debian's own readers (read_back.py next to this header); empty if the
// reader failed.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace TestSupport {
inline QJsonObject readBack(const QString& kind, const QString& path) {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QFINDTESTDATA("read_back.py"), kind, path});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        qWarning() << "reader failed:" << p.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}
}  // namespace TestSupport
