// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QDateTime>
#include <QString>
#include <cmath>
#include <limits>
#include <string>

// What a saved frame carries so that a user can trust it later: the camera's frame id and its
// timestamp at exposure (both handed over with the frame, -1 when the camera gives none), the
// exposure and gain of the camera (read from its nodes when the run starts, NaN when it has no
// such node) and the local time the file was written. Written into the file where the format has
// room for text (TIFF ImageDescription, PNG tEXt, PCD/PLY/OBJ comments), else into the run's CSV
// sidecar (FrameSidecar).
struct FrameMetadata {
    qint64 frameId = -1;
    qint64 cameraTimestampNs = -1;
    double exposureUs = std::numeric_limits<double>::quiet_NaN();
    double gain = std::numeric_limits<double>::quiet_NaN();
    QDateTime written;

    // "key=value" lines, '\n' between them; unknown values are left out.
    std::string keyValueText() const;
    // The sidecar's header line and one row for `file` (without line end); unknown values empty.
    static QString csvHeader();
    QString csvRow(const QString& file) const;
    // The camera's "ExposureTime" (microseconds) and "Gain" nodes; NaN for a node it lacks or
    // whose value is not a number. Blocks on the camera: call it on a worker thread.
    static void readCameraSettings(const QString& cameraKey, double* exposureUs, double* gain);
    // Whether the file format at `path` carries the key=value text itself.
    static bool carriedInFile(const QString& path);
};
