// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QImage>
#include <QMap>
#include <QObject>
#include <QSharedPointer>
#include <QString>
#include <QVector>
#include <cstdint>
#include <mutex>

#include "BridgeMetaTypes.h"
#include "ZavizoZoz3.h"

class WndImageTransTool;

// The image listener: hands each frame to the transform tool of its camera on the calling
// business-layer thread; the tools publish their results through the signals below.
class ImageUpdateManager : public QObject, public ZavizoZoz3::IImageUpdate {
    Q_OBJECT
public:
    ImageUpdateManager() = default;
    ~ImageUpdateManager() override;

    void notify(std::string cameraKey, ZavizoZoz3::AcqBuffer* payload, uint32_t kind,
                uint32_t extra) override;

    // GUI thread: the dispatcher takes ownership; an existing tool of that key is replaced.
    void addTool(const QString& cameraKey, WndImageTransTool* tool);
    void removeTool(const QString& cameraKey);
    bool hasTool(const QString& cameraKey) const;

signals:
    void imageUpdate(QString id, QSharedPointer<QImage> img, QSharedPointer<bool> isFinish, bool isCopyImage);
    void imageUpdate(QString id, QSharedPointer<QImage> img, QSharedPointer<bool> isFinish);
    void nuvimageUpdate(QString id, QSharedPointer<NuvImage> img);
    // Every picture a tool converted, sent on the converting thread to whoever observes the stream.
    // Panes do not take pictures from these: see pictureReady.
    void imageProfileUpdate(QString id, QSharedPointer<NuvImage> img, QVector<qreal> profile);
    void qimageProfileUpdate(QString id, QSharedPointer<QImage> img, QVector<qreal> profile);
    // A picture of camera `id` waits in its latest-picture slot; at most one is pending per slot.
    void pictureReady(QString id);
    void profileUpdate(QString id, QVector<qreal> profile, QVector<uint8_t> brightness);
    void rangeImageUpdate(QString id, INT32* rangeData, size_t imgId, int frameIndex, bool isEnd);
    void imageArrayUpdate(QString id, QMap<int, NuvImage*> imgMap, INT32* rangeData, size_t imgId,
                          int frameIndex, bool isEnd);
    void imageArrayUpdateEx(QString id, QMap<int, NuvImage*> imgMap, NuvRangeImage* rangeImage);

private:
    // Guards m_tools, and is held while a frame is inside a tool so a tool is never
    // destroyed under a running conversion. A std::mutex, which ThreadSanitizer sees.
    mutable std::mutex m_toolsMutex;
    QMap<QString, WndImageTransTool*> m_tools;
};
