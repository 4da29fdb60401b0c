// SPDX-License-Identifier: Apache-2.0
#pragma once
// The pane's grid and cross-hair overlays on the 2D view. The grid is drawn on the display's overlay
// layer in image pixels, so it zooms and scrolls with the image; the cross-hair goes through a point
// of the image or of the window. The two settings buttons open their panels in a small pop-up under
// the button; every change shows at once. The pane owns one tool and calls it from its 2D-view hooks.
#include <QColor>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>

class CrossHairWidget;
class Image2DWnd;
class ImageWnd;
class QMenu;
class QPushButton;
class ZMKImageWnd;

class OverlayTool : public QObject {
    Q_OBJECT
public:
    struct GridSettings {
        int lineWidth = 2;
        int spacing = 24;
        QColor color = QColor(20, 255, 255);
    };
    struct CrossSettings {
        int mode = 1;                 // 0 window, 1 image coordinates
        QPoint pos = QPoint(-1, -1);  // -1: the centre of the current system
        int width = 2;
        QColor color = QColor(255, 0, 0);
    };

    explicit OverlayTool(ImageWnd* pane);
    ~OverlayTool() override;

    // The pane created its 2D view: wires the grid and cross buttons.
    void attachView(Image2DWnd* view);
    // The shown picture changed size: the overlays are drawn again for it.
    void onImageSizeChanged();
    // The camera went or the view is hidden: both overlays leave the image and their buttons uncheck.
    void reset();

    const GridSettings& grid() const { return m_grid; }
    const CrossSettings& cross() const { return m_cross; }
    // Where the cross is drawn in its coordinate system (the stored position or the centre).
    QPoint crossPos() const;
    // Overlay ids on the display, -1 when not drawn; the window cross when it is shown.
    int gridOverlayId() const { return m_gridId; }
    int crossOverlayId() const { return m_crossId; }
    CrossHairWidget* windowCross() const;

    // The pop-up a settings button opens (frameless, with a soft shadow), holding panel.
    static QMenu* makePopup(QPushButton* button, QWidget* panel);

public slots:
    void onGridButtonClicked();
    void onGridConfigButtonClicked();
    void onCrossButtonClicked();
    void onCrossConfigButtonClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool hasImage() const;
    ZMKImageWnd* display() const;
    QSize wndSize() const;
    void drawGrid();
    int gridPenWidth() const;
    int gridStep() const;
    void drawCross();
    void removeCross();
    void runPopup(QPushButton* button, QWidget* panel);

    ImageWnd* m_pane;
    QPointer<Image2DWnd> m_view;
    GridSettings m_grid;
    CrossSettings m_cross;
    int m_gridId = -1;
    int m_gridPenWidth = 0;  // screen pixels of the grid as drawn
    int m_gridStep = 0;      // image pixels between the grid lines as drawn
    int m_crossId = -1;
    QPointer<CrossHairWidget> m_wndCross;
};
