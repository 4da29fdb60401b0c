// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QDateTime>
#include <QImage>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FrameMetadata.h"
#include "NuvImage.h"
#include "NuvRangeImage.h"
#include "ProfileFrameInfo.h"
#include "SaveSettings.h"

// Writes the files of one saved frame: builds the names from the save settings, picks the
// writer by suffix and writes the viewer's own CSV and BIN layouts itself; images, range
// images and point clouds go through the image and 3D file libraries. Runs on the save
// worker's thread only; failures are logged to the business layer.
class ImageFileWriter {
public:
    enum Kind { ProfileKind = 0, ImageKind = 1, RangeKind = 2 };
    enum Table { ProfileHeightTable, ImageTable, RangeHeightTable, RangeBrightnessTable, MultiImageTable };

    // One frame as the worker took it from its queues.
    struct Frame {
        int kind = ProfileKind;
        QVector<qreal> heights;
        QVector<uint8_t> brightness;
        NuvImage image;  // 2D image, or the grey image of a range frame
        NuvRangeImage range;
        QImage picture;      // a picture the host pushed (written as a 2D image)
        FrameMetadata meta;  // carried in the files whose format has room for it
    };

    // What a run writes: settings, mode (0 single), target path or folder and the profiler's
    // frame information (may be null: defaults are used).
    void setRun(const SaveSettings& settings, int saveMode, const QString& target,
                std::shared_ptr<const ProfileFrameInfo> frameInfo);

    // Writes one frame numbered `number`; `files` receives the paths in writing order (the names
    // the files got), `time` the time in the names (invalid: now). True when every file was
    // written (also when there was nothing to write).
    bool writeFrame(const Frame& frame, int number, QStringList* files, const QDateTime& time = QDateTime());
    // The metadata the files of writeMultiImageFrame carry (writeFrame takes the frame's own).
    void setMetadata(const FrameMetadata& meta);
    // Writes one frame of a multi-image camera: every image under its role name, then the range
    // image. Stops at the first image that fails.
    bool writeMultiImageFrame(const QMap<int, NuvImage*>& images, const NuvRangeImage& range,
                              const QString& cameraModel, int number, QStringList* files);

    // The names of one frame's files (full paths).
    QStringList fileList(int kind, int number, const QDateTime& time) const;
    static QString suffix(Table table, int index);
    // prefix + "_" + time + "_" + number + suffix and its two shorter rules; empty for other rules.
    static QString fileName(const QString& prefix, int rule, const QString& time, int number,
                            const QString& suffix);
    static QString timeText(const QDateTime& time);

    // The viewer's own text layouts, as the bytes written.
    static std::string heightsCsv(const QVector<qreal>& heights);
    // The X column layout of the profile heights CSV: the header line "x (mm),z (mm)", then one
    // line "x,z" per point in millimetres, x = index times xInterval; a column without a laser
    // point (NaN) keeps its x and has an empty z ("0.018,"). Numbers as in heightsCsv.
    static std::string heightsXzCsv(const QVector<qreal>& heights, double xInterval);
    static std::string bytesCsv(const uint8_t* bytes, int count);
    static std::string imageCsv(const NuvImage& image);

    // Writers (true on success; a failure is logged and leaves no file). A file is complete or
    // absent under its name, and an existing file is never replaced: the new one takes the next
    // free name ("cam_0_1.bmp"), which `saved` receives.
    static bool writeText(const QString& path, const std::string& bytes, QString* saved = nullptr);
    // TIFF goes through NuvTiffFile (the one TIFF writer), BMP through UncompressedImageFile, the
    // rest through NuvImage::SaveImage; TIFF and PNG carry the frame's metadata (see FrameMetadata).
    bool writeImage(const NuvImage& image, const QString& path, QString* saved = nullptr) const;
    // Adds a tEXt chunk "Comment" with `text` to the PNG bytes (after IHDR); false when they are
    // no PNG.
    static bool addPngText(QByteArray* png, const std::string& text);
    // Range BIN: the scan's raw samples, row-major, little endian, no header: 2-byte unsigned
    // samples from a 16-bit sensor, 4-byte ones (low 21 bits the sample, flag bits above) from a
    // 32-bit sensor (CAM_INFO 50 "32"). 0 is no point; heights as in the range TIFF.
    bool writeRangeBin(const NuvRangeImage& range, const QString& path, QString* saved = nullptr) const;
    bool writeRangeBrightnessCsv(const NuvImage& grey, const QString& path, QString* saved = nullptr) const;
    bool writeRangeImage(NuvRangeImage& range, const QString& path, QString* saved = nullptr) const;
    bool writeRangePointCloud(NuvRangeImage& range, const QString& path, QString* saved = nullptr) const;
    // Profile BIN: one raw sample per point, little endian, no header, in the sensor's sample
    // width, heights in millimetres: 16-bit sensors 2-byte unsigned round(height * Scaler / 32 +
    // 32768), 32-bit sensors 4-byte signed round(height * Scaler + 0x100000), "Scaler" being the
    // camera's feature; 0 is no point.
    bool writeProfileBin(const QVector<qreal>& heights, const QString& path, QString* saved = nullptr);
    bool writeProfileSrt(const QVector<qreal>& heights, const QString& path, QString* saved = nullptr);
    bool writeProfilePointCloud(const QVector<qreal>& heights, const QString& path, QString* saved = nullptr);

    // One-row range image of raw samples from profile heights in millimetres (NaN: no point).
    static NuvRangeImage profileRow(const QVector<qreal>& heights, const ProfileFrameInfo::Values& info);
    // Applies the scale of the frame information to a range image of the profiler.
    static void applyRangeInfo(NuvRangeImage* range, const ProfileFrameInfo::Values& info);

    static void logError(const QString& message);

private:
    // The last profile written by a closed-format writer and the one-row image made from it.
    struct ProfileCache {
        QVector<qreal> heights;
        NuvRangeImage row;
        bool valid = false;
    };
    bool writeProfileFrame(const Frame& frame, const QString& path, QString* saved);
    bool writeRangeFrame(const Frame& frame, const QString& path, QString* saved);
    // The one-row image of a profile: raw samples, or with `millimetres` the heights as 64-bit values.
    const NuvRangeImage& cachedRow(ProfileCache* cache, const QVector<qreal>& heights, bool millimetres);
    ProfileFrameInfo::Values info() const;
    QStringList singleSaveList(int kind) const;
    static bool checkStatus(int status, const std::string& reason, const QString& path,
                            bool exception = false);

    SaveSettings m_settings;
    std::string m_comment;  // metadata text of the frame being written
    QDateTime m_written;    // and the time it is written
    int m_saveMode = 0;
    QString m_target;
    std::shared_ptr<const ProfileFrameInfo> m_frameInfo;
    ProfileCache m_srtCache;
    ProfileCache m_cloudCache;
};
