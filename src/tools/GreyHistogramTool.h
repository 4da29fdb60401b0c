// SPDX-License-Identifier: Apache-2.0
#pragma once
// The pane's side of the grey histogram on the 2D view: the histogram button toggles the histogram
// dialog; the tool feeds the panel the frames the pane shows, draws the region the user picks on the
// image and the cross marker of the profile position, and moves the plot into a small frame over the
// image while the user draws. The pane owns one tool and calls it from its 2D-view hooks.
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSize>

#include "NuvImage.h"
#include "NuvROI.h"

class GreyHistogramDialog;
class GreyHistogramWidget;
class HistogramSubFrame;
class Image2DWnd;
class ImageWnd;
class ZMKImageWnd;

class GreyHistogramTool : public QObject {
    Q_OBJECT
public:
    explicit GreyHistogramTool(ImageWnd* pane);
    // Closes the histogram (its dialog and worker go with it).
    ~GreyHistogramTool() override;

    // The pane created its 2D view: wires the histogram button and the image's mouse and shape signals.
    void attachView(Image2DWnd* view);
    // A frame was shown on the 2D view: enables the histogram button and feeds an open panel, sharing
    // the pixels (no copy).
    void onFrameShown(const QImage& image);
    void onFrameShown(const NuvImage& image);
    // Closes an open histogram: region and markers leave the image, the dialog and its worker end.
    void close();
    void retranslate();

    bool isOpen() const { return m_open; }
    GreyHistogramDialog* dialog() const;
    GreyHistogramWidget* panel() const;
    HistogramSubFrame* subFrame() const;
    int regionShapeId() const { return m_regionId; }
    int markerLineId(int index) const { return m_markerIds[index & 1]; }

    // A pane frame as the worker reads it: the pixels are shared with the NuvImage, not copied. Formats
    // without an image counterpart give a 32-bit image (the worker reports empty statistics for it).
    static QImage sharedImage(const NuvImage& image);

public slots:
    void histogramButtonClicked();
    void onHistogramROIClicked(bool isGlobalROI);
    void onHistogramROIInfoUpdate(uint centerX, uint centerY, uint width, uint height);
    void onHistogramPosInfoUpdate(uint posX, uint posY);
    void onWndMouseClicked(double x, double y);

private:
    void open();
    void onShapeClicked(long id);
    void onShapeChanged(long id);
    void removeMarkers();
    int drawRegion(const NuvROI& rect);
    void showSubFrame();
    void closeSubFrame(bool showDialog);
    QSize sensorSize() const;
    ZMKImageWnd* display() const;
    bool inProfileView() const;

    ImageWnd* m_pane;
    QPointer<Image2DWnd> m_view;
    QPointer<GreyHistogramDialog> m_dialog;
    QPointer<HistogramSubFrame> m_subFrame;
    bool m_open = false;
    bool m_roiDrawing = false;     // the user picked a local region
    bool m_awaitingShape = false;  // drawing was started; the next new shape is the region
    int m_regionId = -1;
    int m_markerIds[2] = {-1, -1};
    NuvROI m_lastRegion;
    QImage m_lastFrame;  // shared with the view's frame; handed to the panel when it opens
};
