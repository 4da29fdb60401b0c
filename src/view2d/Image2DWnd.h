// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <chrono>

#include "NuvImage.h"

namespace Ui {
class Image2DWnd;
}
class QPushButton;
class QVBoxLayout;
class ZMKImageWnd;

// View of an area-scan camera: a tool strip over the image area. The owning pane wires the
// buttons; the view handles resizing, zoom, the idle logo and the pixel report.
class Image2DWnd : public QWidget {
    Q_OBJECT
public:
    explicit Image2DWnd(QWidget* parent = nullptr);
    ~Image2DWnd() override;

    void setCameraName(const QString& name) { m_cameraName = name; }
    QString cameraName() const { return m_cameraName; }
    ZMKImageWnd* displayWidget() const { return m_display; }

    void setBackground(const QImage& image);
    void setBackground(const NuvImage& image);
    void getBackground(QImage* image) const;
    void getBackground(NuvImage* image) const;
    void retranslate();
    // The idle logo instead of the last frame (a released pane shows nothing of its camera).
    void showLogo();
    // Drops the display widget (teardown); later calls become no-ops.
    void destroyDisplay();

    QPushButton* btnGreyHistogram = nullptr;
    QPushButton* btnMultiSave = nullptr;
    QPushButton* btnRecording = nullptr;
    // Same icons as the profiler's 2D page: restore shows 1:1, zoom fit fits the window.
    QPushButton* btnRestore = nullptr;
    QPushButton* btnZoomFit = nullptr;
    QPushButton* btnSingleSave = nullptr;
    QPushButton* btnStartGrab = nullptr;
    QPushButton* btnStopGrab = nullptr;
    QPushButton* btnCross = nullptr;
    QPushButton* btnGrid = nullptr;
    QPushButton* btnMeasure = nullptr;
    QPushButton* btnCrossConfig = nullptr;
    QPushButton* btnGridConfig = nullptr;
    QPushButton* btnZoomIn = nullptr;
    QPushButton* btnZoomOut = nullptr;
    // Opens the display range of deep grey frames; shown only while such a frame is.
    QPushButton* btnDisplayRange = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QWidget* wdg2DToolSingle = nullptr;
    QWidget* wdg2DImageWnd = nullptr;

    static constexpr int kPixelReportIntervalMs = 50;

signals:
    void mousePress();
    // Every move over the image: position, pixel (see PixelReport::hostColor) and zoom.
    void pixelHovered(QPoint pos, QColor color, float zoom);

public slots:
    void ZoomIn();
    void ZoomOut();
    void Zoom100();
    void ZoomFit();
    void ZoomFitWnd();

private slots:
    void onImgInfo(double x, double y, int a, int b, int c, float value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setPictureToolsEnabled(bool enabled);
    // A real frame replaced the logo (or followed another frame).
    void pictureShown();
    void setWideGrey(bool wide);

    QString m_cameraName;
    ZMKImageWnd* m_display = nullptr;
    QWidget* m_displayViewport = nullptr;  // the display's own viewport, where image presses land
    QImage m_logo;
    bool m_showingLogo = false;  // the next real frame is fitted to the window
    bool m_wideGrey = false;     // the shown image has more than 8 bits per grey pixel
    bool m_reportClockStarted = false;
    std::chrono::steady_clock::time_point m_lastReport;
    Ui::Image2DWnd* m_ui;
};
