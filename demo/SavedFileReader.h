// SPDX-License-Identifier: Apache-2.0
#pragma once
// Reads back what the viewer's savers write, so that a user can look at a saved frame again:
// pictures (BMP, PNG, JPG, TIFF) for a 2D pane, range images (the range TIFF with its scale
// description, our own SRT/ECD/MRI layout) and point clouds (PCD, PLY) for a profiler pane's range
// and 3D pages. Never throws; a file it cannot read gives a reason a user understands.
#include <QCoreApplication>
#include <QImage>
#include <QString>

#include "NuvRangeImage.h"

class SavedFileReader {
    Q_DECLARE_TR_FUNCTIONS(SavedFileReader)

public:
    enum Kind { Unreadable, Picture, Range };
    struct Result {
        Kind kind = Unreadable;
        QImage picture;       // Picture: Grayscale8, Grayscale16 or RGB888
        NuvRangeImage range;  // Range: 16-bit samples with their scale information
        QString error;        // Unreadable: why, translated
    };

    // The largest point cloud grid opened: a scattered cloud is sampled down to this many points.
    static constexpr int kMaxGridPoints = 16 * 1024 * 1024;

    static Result read(const QString& path);
    // The file dialog's filter: the kinds read() opens.
    static QString dialogFilter();
    // The scale description of a range TIFF ("NuvRangeImage heightScale=.. ..."), empty when the
    // TIFF has none or is not a TIFF.
    static QString rangeTiffDescription(const QString& path);

private:
    static Result readPicture(const QString& path);
    static Result readRangeTiff(const QString& path, const QString& description);
    static Result readLayout(const QString& path);
    static Result readPointCloud(const QString& path);
    static Result failure(const QString& path, const QString& reason);
};
