// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QHash>
#include <QImage>
#include <QMap>
#include <QMutex>
#include <QPoint>
#include <QSharedPointer>
#include <QString>
#include <QStringList>
#include <QTranslator>
#include <QVector>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "BridgeMetaTypes.h"
#include "ImageWnd.h"
#include "NuvViewerImageWnd.h"
#include "RangeStreamer.h"
#include "ZavizoZoz3.h"

class QGridLayout;
class LatestFrameSlot;
class FreedMemoryTrimmer;
class DeviceListUpdate;
class FocusUpdate;
class LayoutUpdate;
class ImageUpdateManager;
class CameraIdUpdate;
class LanguageUpdate;
class ROIUpdate;
class CorrectionUpdate;
class ImportUpdate;
class ImageModeUpdate;
class SLImageShowModeUpdate;

// The widget the facade places into the host's parent: owns the four panes and the business-layer
// listeners, arranges the panes in a grid, binds cameras to panes and routes every event.
class ImageWndManager : public QWidget {
    Q_OBJECT
public:
    ImageWndManager(NuvViewerImageWnd* facade, QWidget* parent);
    ~ImageWndManager() override;

    void setWndLayout(int layout, QVector<int> wndIds);
    void setCurrentWnd(int wndId);
    int getCurrentWnd() const { return m_currentWnd; }
    int getWndLayout() const { return m_layout; }
    void relayoutPanes(QSize size);
    QSize minimumSizeHint() const override;

    // Lookups. A key no pane holds yields index 0; unknown indices yield null.
    ImageWnd* pane(int wndId) const { return m_panes.value(wndId, nullptr); }
    int paneIndexOf(const QString& cameraKey) const;
    ImageWnd* paneOf(const QString& cameraKey) const { return pane(paneIndexOf(cameraKey)); }
    void setPaneMode(int wndId, int mode, bool accepted);
    QVector<int> occupiedList() const { return m_occupied; }
    QVector<int> shownList() const { return m_shown; }
    QVector<int> savedArrangement() const { return m_savedArrangement; }
    QPoint cellOf(int wndId) const { return m_cells.value(wndId, QPoint(-1, -1)); }
    int hostLayout() const { return m_hostLayout; }
    ImageUpdateManager* dispatcher() const { return m_imageUpdate; }
    DeviceListUpdate* deviceListListener() const { return m_deviceListUpdate; }

    // Thread-safe lookup for business-layer threads. The transform tools write range batches
    // through the batch sink of their pane, handed to them when the camera is bound.
    int rangeDataKind(const QString& cameraKey) const;

    // Called directly by the ROI listener on the GUI thread.
    void onROIPosChanged(std::string id, int leftX, int leftY, int rightX, int rightY, int operation,
                         int& roiId, bool& status, int roiType, int drawType);

signals:
    void buttonClicked(int wndId, QString camId, NuvViewerImageWnd::ButtonType type);

private slots:
    void onImageWndButtonClicked(ImageWnd::ButtonType type);
    void onDeviceListUpdate(int source, QStringList cardList, QStringList camList,
                            QSharedPointer<bool> finishPointer);
    void onFocusUpdate(ZavizoZoz3::FOCUS_TYPE type, QString id);
    void onCameraIdUpdate(QString srcName, QString dstName);
    void onLayoutUpdate(ZavizoZoz3::LAYOUT_TYPE type);
    void onImageUpdate(QString id, QSharedPointer<QImage> img, QSharedPointer<bool> isFinish,
                       bool isCopyImage);
    void onnuvimageUpdate(QString id, QSharedPointer<NuvImage> img);
    void onImportChanged(QString id);
    // The GUI thread takes the newest picture of camera `id`, however many arrived since the last.
    void onPictureReady(QString id);
    void onProfileUpdate(QString id, QVector<qreal> profile, QVector<uint8_t> brightness);
    void onImageArrayUpdate(QString id, QMap<int, NuvImage*> imgMap, INT32* rangeData, size_t imgId,
                            int frameIndex, bool isEnd);
    void onImageArrayUpdateEx(QString id, QMap<int, NuvImage*> imgMap, NuvRangeImage* rangeImage);
    void onRangeImageUpdate(QString id, INT32* rangeData, size_t imgId, int frameIndex, bool isEnd);
    void onCorrectionUpdate(QString id, int correctionType, float curCorrectionValue, void* ext);
    void onLPImageModeUpdate(QString id, int mode);
    void onSLShowImageModeUpdate(QString id, int mode);
    void onLanguageChanged(int language);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createPanes();
    void loadTranslation(const QString& language);
    void registerListeners();
    void unregisterListeners();
    void connectListeners();
    void addCamera(const QString& key);
    // A stream frame reached `pane` (for its health figures); returns the pane.
    static ImageWnd* countShown(ImageWnd* pane);
    void releaseCamera(const QString& key, ImageWnd* pane);
    bool handleDrop(ImageWnd* target, QDropEvent* event);
    void swapCells(int sourceIndex, int targetIndex);
    ImageWnd* modeTwoPaneLocked(const QString& cameraKey) const;
    QGridLayout* gridLayout() const;

    NuvViewerImageWnd* m_facade;  // not owned
    int m_layout = 1;
    int m_hostLayout = 1;
    QMap<int, ImageWnd*> m_panes;
    QVector<int> m_occupied;
    QVector<int> m_shown;
    QVector<int> m_savedArrangement;
    QHash<QString, int> m_cameras;
    QHash<int, QPoint> m_cells;
    // The latest-picture slot of each bound camera, shared with its transform tool. GUI thread only;
    // a slot of a released camera lives on with a tool still converting, and a late wake-up misses.
    QHash<QString, std::shared_ptr<LatestFrameSlot>> m_pictureSlots;
    int m_currentWnd = -1;
    QTranslator m_translator;  // the viewer's own texts in the business layer's language
    bool m_translatorInstalled = false;

    // Guards m_cameras and m_panes against GUI-thread changes while a transform tool reads them
    // from a business-layer thread. The GUI thread locks only to write.
    mutable QMutex m_cameraMapMutex;

    DeviceListUpdate* m_deviceListUpdate = nullptr;
    FocusUpdate* m_focusUpdate = nullptr;
    LayoutUpdate* m_layoutUpdate = nullptr;
    ImageUpdateManager* m_imageUpdate = nullptr;
    FreedMemoryTrimmer* m_memoryTrimmer = nullptr;
    CameraIdUpdate* m_cameraIdUpdate = nullptr;
    LanguageUpdate* m_languageUpdate = nullptr;
    ROIUpdate* m_roiUpdate = nullptr;
    CorrectionUpdate* m_correctionUpdate = nullptr;
    ImportUpdate* m_importUpdate = nullptr;
    ImageModeUpdate* m_imageModeUpdate = nullptr;
    SLImageShowModeUpdate* m_slImageShowModeUpdate = nullptr;
};
